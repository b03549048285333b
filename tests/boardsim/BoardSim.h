// The simulated board on a pseudo-terminal, run in its own thread.
//
//   CBoardSim sim(options);
//   sim.Start(&error);            // the pseudo-terminal exists from here on
//   open(sim.SlavePath()) ...     // talk to it as to the board's COM port
//   sim.Stop();                   // also done by the destructor
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "tests/boardsim/SimOptions.h"

namespace boardsim {
class CBoardModel;
}

class CBoardSim {
 public:
  explicit CBoardSim(const boardsim::SimOptions& options = boardsim::SimOptions());
  ~CBoardSim();
  CBoardSim(const CBoardSim&) = delete;
  CBoardSim& operator=(const CBoardSim&) = delete;

  // Called on the simulator's thread each time the board appears (at Start
  // and after every replug) with the new slave device path.
  void SetReadyCallback(std::function<void(const std::string&)> cb) { ready_ = std::move(cb); }

  bool Start(std::string* error = nullptr);
  void Stop();
  // Pulls the cable now, whatever is on the line (the answer under way is
  // lost), and comes back after the replug delay; safe from any thread.
  void UnplugNow();

  // The current slave device; empty while the board is unplugged.
  std::string SlavePath() const;

  // Snapshots for tests.
  long Requests() const;
  boardsim::Bytes Image() const;
  boardsim::Bytes Firmware() const;  // the last image the boot loader flashed
  long Flashes() const;
  bool Plugged() const { return plugged_; }

 private:
  struct Loop;
  bool Plug(std::string* error);
  void Unplug();
  void Run();

  boardsim::SimOptions opt_;
  std::unique_ptr<boardsim::CBoardModel> model_;
  std::function<void(const std::string&)> ready_;
  mutable std::mutex mutex_;  // guards model_ snapshots and slavePath_
  std::string slavePath_;
  int master_ = -1;
  int wake_[2] = {-1, -1};
  int notify_ = -1;
  int watch_ = -1;
  std::atomic<bool> plugged_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<bool> unplugAsked_{false};
  std::thread thread_;
  FILE* log_ = nullptr;
};
