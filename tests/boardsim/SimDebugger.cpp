#include "tests/boardsim/SimDebugger.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "tests/boardsim/SimImage.h"
#include "tests/boardsim/SimOptions.h"

namespace boardsim {

namespace {

enum : int { kCodeNotPermitted = 1, kCodeNoSuchItem = 2, kCodeNothing = 16, kCodeBadData = 22 };

// The script's variables while it is paused.
struct Variable {
  const char* name;
  uint8_t type;
  int64_t number;
  double real;
  const char* text;  // nullptr: the long string
};
const Variable kVariables[] = {
    {"$i", kItemInt64, 42, 0, nullptr},       {"$n", kItemInt64, -2, 0, nullptr},
    {"$big", kItemInt64, 1099511627776LL, 0, nullptr},
    {"$pi", kItemDouble, 0, 3.14159265358979, nullptr},
    {"$ok", kItemBool, 1, 0, nullptr},        {"$off", kItemBool, 0, 0, nullptr},
    {"$s", kItemBytes, 0, 0, "hello"},        {"$long", kItemBytes, 0, 0, nullptr},
    {"$a[1][2]", kItemInt64, 12, 0, nullptr}, {"$m[10][2]", kItemInt64, 102, 0, nullptr},
};
constexpr size_t kLongLength = 300;
constexpr size_t kShortPart = 64;

Bytes VariableText(const Variable& v) {
  if (v.text) return Bytes(v.text, v.text + std::strlen(v.text));
  Bytes b(kLongLength);
  for (size_t k = 0; k < b.size(); ++k) b[k] = static_cast<uint8_t>('a' + k % 26);
  return b;
}

void PutFixed8(Bytes& out, uint8_t type, uint64_t v) {
  out.insert(out.end(), {0, type, 0, 8});
  for (int s = 56; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

// A text item whose length field claims far more than the frame holds.
void PutLyingText(Bytes& out, const std::string& text) {
  PutText(out, text);
  out[out.size() - ((text.size() + 1 + 3) & ~size_t(3)) - 2] = 0x7F;
}

Bytes Event(uint8_t group, uint8_t command, const Bytes& items) {
  Bytes f = EncodeCommand(0, group, static_cast<uint8_t>(command << 4), items);
  f[1] = static_cast<uint8_t>(kKindEvent << 4);
  return f;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    char c = s[++i];
    out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
  }
  return out;
}

// The watch name the program asked for: base and the index bytes "[@c" each
// ended by a zero. false when the index bytes are not in that form.
bool WatchName(const Item& base, const Item& index, std::string& name) {
  name = base.AsText();
  const Bytes& v = index.value;
  if (v.empty() || v.back() != 0) return false;
  if (v.size() == 1) return true;  // no index: the base name alone
  for (size_t at = 0; at < v.size();) {
    size_t end = static_cast<size_t>(std::find(v.begin() + static_cast<long>(at), v.end(), uint8_t(0)) - v.begin());
    if (end - at != 3 || v[at] != '[' || v[at + 1] != '@') return false;
    name += "[" + std::to_string(static_cast<int>(v[at + 2]) - 0x40) + "]";
    at = end + 1;
  }
  return true;
}

// The text item carries its NUL and the length field the request's rule asks.
bool TextFieldRight(const Item& it, bool padOnly) {
  return it.type == kItemText && it.field == VarLengthField(it.AsText().size() + 1, padOnly);
}

}  // namespace

int ParseDebugOption(const std::vector<std::string>& args, size_t& i, SimDebugOptions& opt, std::string& error) {
  const std::string& a = args[i];
  if (a == "--debug-lying") opt.lyingItems = true;
  else if (a == "--endless-breakpoints") opt.endlessBreakpoints = true;
  else if (a == "--late-watch") opt.lateWatch = true;
  else if (a == "--task-ends") opt.taskEnds = true;
  else if (a == "--break-at") {
    std::string v = i + 1 < args.size() ? args[++i] : "";
    size_t colon = v.rfind(':');
    char* end = nullptr;
    long line = colon == std::string::npos ? 0 : std::strtol(v.c_str() + colon + 1, &end, 10);
    if (colon == std::string::npos || colon == 0 || !end || *end || line < 1) {
      error = "--break-at: want FILE:LINE";
      return -1;
    }
    opt.breakFile = v.substr(0, colon);
    opt.breakLine = static_cast<int>(line);
  } else {
    return 0;
  }
  return 1;
}

std::string DebugHelpText() {
  return "Debugger (the task runs the lines of index.php; each echo \"...\" sends its text\n"
         "as script output; watches: $i $n $big (INT), $pi (FLOAT), $ok $off (BOOL),\n"
         "$s, $long (300 bytes, through 03/50), $a[1][2], $m[10][2]; others refused with 2;\n"
         "with the firmware log on, a line at each run and pause):\n"
         "  --task-ends           the task ends after its last line (event 1) instead of\n"
         "                        staying in its final loop\n"
         "  --break-at FILE:LINE  break events name FILE and LINE wherever the task stands\n"
         "  --debug-lying         break events, breakpoint and watch replies carry an item\n"
         "                        whose length field runs far past the frame\n"
         "  --endless-breakpoints 06/42 answers every index (never refuses with 16)\n"
         "  --late-watch          the first watch reply comes after the next reply\n";
}

std::vector<Bytes> CSimDebugger::AfterReply() {
  std::vector<Bytes> due = std::move(deferred_);
  deferred_ = std::move(fresh_);
  fresh_.clear();
  if (runDue_ && !runArmedNow_) {
    runDue_ = false;
    Run(due);
  }
  runArmedNow_ = false;
  return due;
}

void CSimDebugger::LoadScript(const Bytes& image) {
  script_.clear();
  ImageInfo info;
  if (!ParseImage(image, info)) return;
  for (const ImageEntry& e : info.entries) {
    // Names of an uploaded image carry their terminating zero.
    if (std::string(e.name.c_str()) != kScript) continue;
    std::string text(e.data.begin(), e.data.end()), line;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' || text[i] == '\n') {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        script_.push_back(line);
        line.clear();
      } else {
        line += text[i];
      }
    }
    if (!line.empty()) script_.push_back(line);
  }
}

Bytes CSimDebugger::BreakEvent(int command, const std::string& file, int line) const {
  bool moved = command != 1 && !opt_.breakFile.empty();
  Bytes items;
  PutInt32(items, 0);
  PutInt32(items, moved ? opt_.breakLine : line);
  if (opt_.lyingItems)
    PutLyingText(items, moved ? opt_.breakFile : file);
  else
    PutText(items, moved ? opt_.breakFile : file);
  return Event(1, static_cast<uint8_t>(command), items);
}

void CSimDebugger::FwPaused(std::vector<Bytes>& out, int line) const {
  if (fwLog_) out.push_back(EncodeText(kKindFwLog, 0, "[fw] task 0 paused at line " + std::to_string(line) + "\r\n"));
}

void CSimDebugger::Stopped(std::vector<Bytes>& out) {
  state_ = 1;
  out.push_back(BreakEvent(1, kScript, std::max(line_ - 1, 0)));
  line_ = 0;
  Log("task ended");
}

bool CSimDebugger::Execute(std::vector<Bytes>& out) {
  int lines = static_cast<int>(script_.size());
  if (line_ < 1 || line_ > lines) return false;
  const std::string& s = script_[static_cast<size_t>(line_ - 1)];
  size_t echo = s.find("echo \"");
  size_t close = echo == std::string::npos ? echo : s.rfind('"');
  if (close != std::string::npos && close > echo + 5) {
    std::string text = Unescape(s.substr(echo + 6, close - echo - 6));
    out.push_back(EncodeText(kKindOutput, 0, text));
  }
  ++line_;
  return line_ <= lines;
}

void CSimDebugger::Run(std::vector<Bytes>& out) {
  // Runs from where the task stands; the line a pause stopped at runs first.
  bool check = line_ < 1;
  if (line_ < 1) line_ = 1;
  if (fwLog_) out.push_back(EncodeText(kKindFwLog, 0, "[fw] task 0 running\r\n"));
  int lines = static_cast<int>(script_.size());
  for (;; check = true) {
    if (line_ > lines) {
      if (opt_.taskEnds) Stopped(out);
      return;  // otherwise it stays in its final loop, running
    }
    bool hit = breakpoints_[kScript].count(line_) != 0 || (toFile_ == kScript && toLine_ == line_);
    if (check && hit) {
      state_ = 2;
      toFile_.clear();
      Bytes res;
      for (int32_t v : {4096, 2048, 1024}) PutInt32(res, v);
      out.push_back(Event(2, 2, res));
      out.push_back(BreakEvent(3, kScript, line_));
      FwPaused(out, line_);
      Log("task stopped at breakpoint line " + std::to_string(line_));
      return;
    }
    Execute(out);
  }
}

bool CSimDebugger::OnRequest(const Frame& req, const std::vector<Item>& items, const Bytes& image, bool fwLog,
                             DebugAnswer& a) {
  uint16_t key = RequestKey(req.group, req.Code());
  fwLog_ = fwLog;
  LoadScript(image);
  a = DebugAnswer{};
  if (key == RequestKey(1, 0x51) || key == RequestKey(2, 0x21) || key == RequestKey(6, 0x11) ||
      key == RequestKey(6, 0x50) || key == RequestKey(6, 0x60))
    return TaskControl(req, items, a);
  if (key == RequestKey(6, 0x12) || key == RequestKey(6, 0x13) || key == RequestKey(6, 0x22) ||
      key == RequestKey(6, 0x21) || key == RequestKey(6, 0x42))
    return Breakpoint(req, items, a);
  if (key == RequestKey(1, 0x60) || key == RequestKey(3, 0x50)) return Watch(req, items, a);
  return false;
}

bool CSimDebugger::TaskControl(const Frame& req, const std::vector<Item>& items, DebugAnswer& a) {
  auto refuse = [&](const std::string& why) {
    Log("debugger request refused: " + why);
    a.kind = DebugAnswer::kRefuse;
    a.code = kCodeBadData;
    return true;
  };
  auto ok = [&] { PutInt32(a.items, 0); return true; };
  uint16_t key = RequestKey(req.group, req.Code());
  if (key == RequestKey(2, 0x21)) {
    if (items.size() != 2 || items[0].type != kItemInt32 || items[1].type != kItemInt32 || items[0].AsInt32() != 1)
      return refuse("02/21 wants int32 1 and the action");
    int32_t what = items[1].AsInt32();
    if (what == 1) {
      state_ = 1;
      line_ = 0;
      runDue_ = false;
      toFile_.clear();
    } else if (what == 3) {
      // The task reaches its next breakpoint a moment later: after the
      // reply to the program's next request (its task-state query).
      if (state_ != 3) runDue_ = runArmedNow_ = true;
      state_ = 3;
    } else {
      return refuse("02/21 action " + std::to_string(what));
    }
    return ok();
  }
  // The other requests carry the task number, always 0.
  if (items.size() != 1 || items[0].type != kItemInt32 || items[0].AsInt32() != 0)
    return refuse("task number item must be int32 0");
  if (key == RequestKey(1, 0x51)) {
    PutInt32(a.items, 0);
    PutInt32(a.items, state_);
    return true;
  }
  int lines = std::max(static_cast<int>(script_.size()), 1);
  if (key == RequestKey(6, 0x11)) {
    if (state_ == 3) {
      runDue_ = false;
      state_ = 2;
      if (line_ < 1) line_ = 1;
      a.after.push_back(BreakEvent(2, kScript, std::min(line_, lines)));
      FwPaused(a.after, std::min(line_, lines));
    }
    return ok();
  }
  // Steps: from a stop the task starts paused at its first line.
  if (state_ == 1) {
    state_ = 2;
    line_ = 1;
    a.after.push_back(BreakEvent(2, kScript, 1));
  } else if (state_ == 2) {
    if (Execute(a.after))
      a.after.push_back(BreakEvent(2, kScript, line_));
    else
      Stopped(a.after);
  }
  return ok();
}

bool CSimDebugger::Breakpoint(const Frame& req, const std::vector<Item>& items, DebugAnswer& a) {
  auto refuse = [&](int code, const std::string& why) {
    if (!why.empty()) Log("breakpoint request refused: " + why);
    a.kind = DebugAnswer::kRefuse;
    a.code = code;
    return true;
  };
  uint16_t key = RequestKey(req.group, req.Code());
  if (items.empty() || items[0].type != kItemInt32 || items[0].AsInt32() != 0)
    return refuse(kCodeBadData, "task number item must be int32 0");
  if (key == RequestKey(6, 0x21)) {
    if (items.size() != 1) return refuse(kCodeBadData, "06/21 wants one item");
    breakpoints_.clear();
    PutInt32(a.items, 0);
    return true;
  }
  if (key == RequestKey(6, 0x42)) {
    if (items.size() != 3 || items[1].type != kItemInt32 || !TextFieldRight(items[2], false))
      return refuse(kCodeBadData, "06/42 wants int32 0, int32 index, text (padded size + pad count)");
    std::string file = items[2].AsText();
    int32_t index = items[1].AsInt32();
    const std::set<int>& lines = breakpoints_[file];
    int line = 0;
    if (opt_.endlessBreakpoints) {
      line = index + 1;
    } else {
      if (index < 0 || static_cast<size_t>(index) >= lines.size()) return refuse(kCodeNothing, "");
      line = *std::next(lines.begin(), index);
    }
    PutInt32(a.items, 0);
    PutInt32(a.items, line);
    if (opt_.lyingItems) PutLyingText(a.items, file); else PutText(a.items, file);
    return true;
  }
  // 06/12, 06/13, 06/22: the text carries the padded size alone.
  if (items.size() != 3 || !TextFieldRight(items[1], true) || items[2].type != kItemInt32)
    return refuse(kCodeBadData, "wants int32 0, text (padded size), int32 line");
  std::string file = items[1].AsText();
  int32_t line = items[2].AsInt32();
  if (line < 1) return refuse(kCodeBadData, "line " + std::to_string(line));
  if (key == RequestKey(6, 0x12)) {
    breakpoints_[file].insert(line);
  } else if (key == RequestKey(6, 0x22)) {
    breakpoints_[file].erase(line);
  } else {
    toFile_ = file;
    toLine_ = line;
  }
  PutInt32(a.items, 0);
  return true;
}

bool CSimDebugger::Watch(const Frame& req, const std::vector<Item>& items, DebugAnswer& a) {
  std::string name;
  bool longRead = req.group == 3;
  if (items.size() != 3 || items[0].type != kItemInt32 || items[0].AsInt32() != 0 ||
      !TextFieldRight(items[1], false) || items[2].type != kItemBytes || !WatchName(items[1], items[2], name)) {
    Log("watch request refused: wants int32 0, text, index bytes");
    a.kind = DebugAnswer::kRefuse;
    a.code = kCodeBadData;
    return true;
  }
  const Variable* v = nullptr;
  for (const Variable& var : kVariables)
    if (name == var.name) v = &var;
  if (state_ != 2 || !v || (longRead && v->type != kItemBytes)) {
    Log("watch " + name + (state_ != 2 ? ": task not paused" : ": no such variable"));
    a.kind = DebugAnswer::kRefuse;
    a.code = state_ != 2 ? kCodeNotPermitted : kCodeNoSuchItem;
    return true;
  }
  if (longRead) {
    a.kind = DebugAnswer::kRead;
    a.readData = VariableText(*v);
    return true;
  }
  switch (v->type) {
    case kItemInt64: PutInt64(a.items, v->number); break;
    case kItemBool: PutFixed8(a.items, kItemBool, static_cast<uint64_t>(v->number)); break;
    case kItemDouble: {
      uint64_t bits;
      std::memcpy(&bits, &v->real, sizeof bits);
      PutFixed8(a.items, kItemDouble, bits);
      break;
    }
    default: {
      Bytes text = VariableText(*v);
      size_t shown = std::min(text.size(), kShortPart);
      PutBytes(a.items, text.data(), shown);
      if (opt_.lyingItems) a.items[2] = 0x7F;
      PutInt32(a.items, static_cast<int32_t>(text.size()));
    }
  }
  if (opt_.lateWatch && !lateSpent_) {
    lateSpent_ = true;
    Log("watch reply held back");
    fresh_.push_back(EncodeCommand(req.seq, req.group, req.Code(), a.items));
    a.kind = DebugAnswer::kLate;
  }
  return true;
}

}  // namespace boardsim
