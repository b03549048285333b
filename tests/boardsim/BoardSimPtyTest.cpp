// The program's own promises beyond what the end-to-end runs rely on: the
// READY line names what the link points to, SIGUSR1 unplugs it and it comes
// back with a new READY line, and SIGTERM ends it cleanly and takes the link
// away.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {
std::string ReadLine(int fd) {
  std::string line;
  char c;
  while (read(fd, &c, 1) == 1 && c != '\n') line += c;
  return line;
}
}  // namespace

TEST(BoardSimProgram, ReadyLineUnplugOnSigusr1AndCleanExitOnSigterm) {
  char dir[] = "/tmp/boardsimXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string link = std::string(dir) + "/port";
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    execl(BOARDSIM_EXE, "boardsim", "--link", link.c_str(), "--replug-ms", "300", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string line = ReadLine(out[0]);
  char target[256] = {0};
  EXPECT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(line, std::string("READY ") + target);

  kill(pid, SIGUSR1);
  bool gone = false;
  for (int i = 0; i < 200 && !gone; ++i, usleep(1000)) gone = access(link.c_str(), F_OK) != 0;
  EXPECT_TRUE(gone);  // before the replug delay is over
  line = ReadLine(out[0]);
  char again[256] = {0};
  EXPECT_GT(readlink(link.c_str(), again, sizeof again - 1), 0);
  EXPECT_EQ(line, std::string("READY ") + again);

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0);  // the link goes with the board
  close(out[0]);
  unlink(link.c_str());
  rmdir(dir);
}
