// The simulated board's script task and its debugger: run, stop, pause and
// steps over the lines of index.php, breakpoints kept per file, run to a
// line, typed watch variables and the long strings read through 03/50; the
// firmware log, while it is on, tells of each run and pause.
// Break events and the script's output follow the replies as the board
// sends them; hostile variants lie about item lengths, never end the
// breakpoint list, answer a watch late or break in a file that is not there.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/boardsim/SimCodec.h"

namespace boardsim {

struct SimDebugOptions {
  bool lyingItems = false;          // --debug-lying
  bool endlessBreakpoints = false;  // --endless-breakpoints
  bool lateWatch = false;           // --late-watch (the first watch reply only)
  bool taskEnds = false;            // --task-ends
  std::string breakFile;            // --break-at FILE:LINE
  int breakLine = 0;
};

// One of the options above at args[i] (i moves past its value): 1 taken,
// -1 taken but bad (error set), 0 not one of them.
int ParseDebugOption(const std::vector<std::string>& args, size_t& i, SimDebugOptions& opt, std::string& error);
std::string DebugHelpText();

// What the board answers to one debugger request.
struct DebugAnswer {
  enum Kind { kReply, kRefuse, kRead, kLate } kind = kReply;
  Bytes items;      // kReply
  int code = 0;     // kRefuse
  Bytes readData;   // kRead: served by windows like any block read
  std::vector<Bytes> after;  // events and output sent right after the reply
};

class CSimDebugger {
 public:
  CSimDebugger(const SimDebugOptions& opt, const std::function<void(const std::string&)>& log)
      : opt_(opt), log_(log) {}

  // A new session: frames held back for the old one are dropped.
  void StartSession() { deferred_.clear(); fresh_.clear(); }

  // Handles 01/51, 01/60, 02/21, 03/50 and 06/xx; false for anything else.
  // image: the board's file system (the task runs its index.php).
  bool OnRequest(const Frame& req, const std::vector<Item>& items, const Bytes& image, bool fwLog,
                 DebugAnswer& answer);

  // Frames due after the reply to the request just answered: what an
  // earlier request left for later (a late watch reply, a run reaching its
  // breakpoint while the program asks for the state).
  std::vector<Bytes> AfterReply();

  int TaskState() const { return state_; }
  int Line() const { return line_; }
  const std::map<std::string, std::set<int>>& Breakpoints() const { return breakpoints_; }

  static constexpr const char* kScript = "index.php";

 private:
  bool TaskControl(const Frame& req, const std::vector<Item>& items, DebugAnswer& a);
  bool Breakpoint(const Frame& req, const std::vector<Item>& items, DebugAnswer& a);
  bool Watch(const Frame& req, const std::vector<Item>& items, DebugAnswer& a);
  void LoadScript(const Bytes& image);
  void Run(std::vector<Bytes>& out);
  // Runs line_ and moves on; false when the script has ended.
  bool Execute(std::vector<Bytes>& out);
  void Stopped(std::vector<Bytes>& out);
  void FwPaused(std::vector<Bytes>& out, int line) const;  // the firmware log's line, when it is on
  Bytes BreakEvent(int command, const std::string& file, int line) const;
  void Log(const std::string& s) const { if (log_) log_(s); }

  SimDebugOptions opt_;
  const std::function<void(const std::string&)>& log_;
  std::vector<std::string> script_;  // lines of index.php
  bool fwLog_ = false;
  int state_ = 1;       // 1 stopped, 2 paused, 3 running
  int line_ = 0;        // line the task stands at (not yet run); 0 = not started
  bool runDue_ = false;
  bool runArmedNow_ = false;
  std::map<std::string, std::set<int>> breakpoints_;
  std::string toFile_;  // run-to-line target
  int toLine_ = 0;
  bool lateSpent_ = false;
  std::vector<Bytes> deferred_, fresh_;
};

}  // namespace boardsim
