// boardsim: the simulated board as a program (see --help).
#include <signal.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tests/boardsim/BoardSim.h"
#include "tests/boardsim/SimBlocks.h"
#include "tests/boardsim/SimImage.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  boardsim::SimOptions opt;
  std::string error;
  bool help = false;
  if (!boardsim::ParseOptions(args, opt, error, help)) {
    fprintf(stderr, "boardsim: %s\n", error.c_str());
    return 2;
  }
  if (help) {
    fputs(boardsim::HelpText().c_str(), stdout);
    return 0;
  }
  if (!opt.dumpSettings.empty()) {
    // The built-in settings block into a file (an input for the settings writes).
    return boardsim::WriteFileAtomic(opt.dumpSettings, boardsim::DefaultSettingsBlock(opt.firmwareName)) ? 0 : 1;
  }
  if (opt.linkPath.empty()) {
    fprintf(stderr, "boardsim: --link PATH is required (see --help)\n");
    return 2;
  }

  // Signals are taken by sigwait below; the simulator thread inherits the mask.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGUSR1);  // unplug now (the replug delay still holds)
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  signal(SIGPIPE, SIG_IGN);

  CBoardSim sim(opt);
  sim.SetReadyCallback([](const std::string& path) {
    printf("READY %s\n", path.c_str());
    fflush(stdout);
  });
  if (!sim.Start(&error)) {
    fprintf(stderr, "boardsim: %s\n", error.c_str());
    return 1;
  }
  int sig = 0;
  while (sigwait(&set, &sig) == 0 && sig == SIGUSR1) sim.UnplugNow();
  sim.Stop();
  return 0;
}
