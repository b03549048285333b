// The program's own promises beyond what the end-to-end runs rely on: the
// READY line names what the link points to, and SIGTERM ends it cleanly and
// takes the link away.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

TEST(BoardSimProgram, ReadyLineAndCleanExitOnSigterm) {
  char dir[] = "/tmp/boardsimXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string link = std::string(dir) + "/port";
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    execl(BOARDSIM_EXE, "boardsim", "--link", link.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char line[256] = {0};
  size_t got = 0;
  while (got < sizeof line - 1 && read(out[0], line + got, 1) == 1 && line[got] != '\n') ++got;
  line[got] = 0;
  char target[256] = {0};
  EXPECT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(line), std::string("READY ") + target);

  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(access(link.c_str(), F_OK), 0);  // the link goes with the board
  close(out[0]);
  unlink(link.c_str());
  rmdir(dir);
}
