// The debugger service against a scripted port.
#include "link/services/DebuggerService.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "LinkFakes.h"

namespace {

class DebugHost : public FakeHost {
public:
    void UpdateButtonStates(int s) override { states.push_back(s); }
    void SetExecutionLine(int row) override { execLine = row; }
    void ShowBreakFile(FileEntry& e, int row) override { shown.push_back(e.name + ":" + std::to_string(row)); }
    int GetEditorRowCount() override { return editorRows; }
    int GetCaretRow() override { return caret; }
    bool ToggleBreakpoint(int& row, bool& set) override
    {
        row = caret;
        SetBreakpointMark(row, set = !marks.count(row));
        return true;
    }
    void SetBreakpointMark(int row, bool on) override
    {
        if (on) marks.insert(row); else marks.erase(row);
    }
    void RemoveAllBreakpointMarks() override { marks.clear(); }
    void RedrawResourceView() override { ++resourceRedraws; }
    int GetWatchCount() override { return static_cast<int>(watches.size()); }
    std::string GetWatchName(int row) override { return watches.at(static_cast<size_t>(row)); }
    void SetWatchValue(int row, const std::string& t, const std::string& v, const std::string& f) override
    {
        values[row] = t + "|" + v + "|" + f;
    }

    std::vector<int> states;
    std::vector<std::string> shown, watches;
    std::set<int> marks;
    std::map<int, std::string> values;
    int execLine = 99, editorRows = 40, caret = 0, resourceRedraws = 0;
};

std::vector<uint8_t> Event(uint8_t group, uint8_t command, const std::vector<uint8_t>& items)
{
    return Frame(2, group, static_cast<uint8_t>(command << 4), items);
}

class DebuggerTest : public LinkTest<DebugHost> {
protected:
    CDebuggerService& dbg = link.Debugger();

    void SetUp() override { port.open = true; }
    void Paused() { Feed(Reply(1, 0x51, ItemInt(0) + ItemInt(2))); Sent(); }
    static std::vector<uint8_t> Str(const std::string& s, int32_t full)
    {
        return ItemBytes(std::vector<uint8_t>(s.begin(), s.end())) + ItemInt(full);
    }
};

TEST_F(DebuggerTest, EveryRequestsBytes)
{
    host.watches = {"$a[1][2]"};
    ExpectRequests({
        {"01/51", [&] { dbg.RequestTaskState(); }, "00 0C 01 51 00 08 00 02 00 04 00 00 00 00"},
        {"02/21 run", [&] { dbg.RunTask(); }, "00 14 02 21 00 10 00 02 00 04 00 00 00 01 00 02 00 04 00 00 00 03"},
        {"06/11", [&] { dbg.Pause(); }, "00 0C 06 11 00 08 00 02 00 04 00 00 00 00"},
        {"06/12", [&] { dbg.SendDebug12("a.php", 5); },
         "00 20 06 12 00 1C 00 02 00 04 00 00 00 00 00 06 00 08 61 2E 70 68 70 00 00 00 00 02 00 04 00 00 00 05"},
        {"06/42", [&] { dbg.ReadBreakpoints("a.php"); },
         "00 20 06 42 00 1C 00 02 00 04 00 00 00 00 00 02 00 04 00 00 00 00 00 06 00 0A 61 2E 70 68 70 00 00 00"},
        {"06/42 main.php", [&] { Feed(Reply(6, 0x42, ItemInt(0), true)); dbg.ReadBreakpoints("main.php"); },
         "00 24 06 42 00 20 00 02 00 04 00 00 00 00 00 02 00 04 00 00 00 00 00 06 00 0F 6D 61 69 6E 2E 70 68 70 00 00 00 00"},
        {"01/60", [&] { Paused(); dbg.OnWatchNext(0, true); },
         "00 20 01 60 00 1C 00 02 00 04 00 00 00 00 00 06 00 05 24 61 00 00 00 07 00 08 5B 40 41 00 5B 40 42 00"},
        {"03/50", [&] { Feed(Reply(1, 0x60, Str("x", 100))); },
         "00 20 03 50 00 1C 00 02 00 04 00 00 00 00 00 06 00 05 24 61 00 00 00 07 00 08 5B 40 41 00 5B 40 42 00"},
    });
    // The long string's read: its window follows, the transfer is the watch string's.
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(std::vector<uint8_t>(port.writes[1].begin() + 2, port.writes[1].end()), Hex("00 04 40 00 20 00"));
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferWatchString);
}

TEST_F(DebuggerTest, TaskStateBreakAndResourceEvents)
{
    Feed(Reply(1, 0x51, ItemInt(0) + ItemInt(3)));
    EXPECT_EQ(dbg.TaskState(), 3);

    Add("b.php", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12");
    host.openFile = "a.php";
    Feed(Event(1, 3, ItemInt(0) + ItemInt(12) + ItemText("b.php")));
    EXPECT_EQ(host.shown, std::vector<std::string>{"b.php:11"});
    EXPECT_EQ(dbg.TaskState(), 2);
    // Rows past the text open nothing (a gone file, lying items: e2e.debug_hostile).
    for (auto items : {ItemInt(0) + ItemInt(13) + ItemText("b.php"), ItemInt(0) + ItemInt(0) + ItemText("b.php")})
        Feed(Event(1, 2, items));
    EXPECT_EQ(host.shown.size(), 1u);

    Feed(Event(2, 5, ItemInt(2048) + ItemInt(1536) + ItemInt(1023)));
    Feed(Event(3, 3, ItemInt(7) + ItemInt(1) + ItemInt(2) + ItemInt(3)));
    Feed(Event(3, 3, ItemInt(5) + ItemInt(4) + ItemInt(5) + ItemInt(6)));
    Feed(Event(2, 9, {}));
    Feed(Reply(1, 0x52, ItemInt(0) + ItemInt(7) + ItemInt(8) + ItemInt(9)));  // row 3 again, unscaled
    const auto& rows = link.Identity().ResourceRows();
    EXPECT_EQ((std::vector<int32_t>{rows[3][0], rows[3][1], rows[3][2], rows[11][2], rows[5][0]}),
              (std::vector<int32_t>{7, 8, 9, 3, 4}));
    EXPECT_EQ(host.resourceRedraws, 4);

    // Script output and firmware log: text up to the first zero.
    std::vector<uint8_t> out = Reply(0, 0, {'h', 'i', 0, 'x'});
    out[1] = 0x30;
    Feed(out);
    out[1] = 0x40;
    Feed(out);
    EXPECT_EQ(host.output + host.fwlog, "hihi");

    // A run to the line starts the task only on the board's 0.
    Feed(Reply(6, 0x13, ItemInt(1)));
    EXPECT_EQ(Sent(), "");
    Feed(Reply(6, 0x13, ItemInt(0)));
    EXPECT_EQ(Sent(), "02/21 ");
}

// A late watch reply: e2e.debug_late_watch.
TEST_F(DebuggerTest, ChainsKeepOneRequestOutstanding)
{
    host.watches = {"$a", "$b"};
    Paused();
    dbg.OnWatchNext(0, true);
    // A long-string read that never ends gives the transfer back; a late
    // 03/50 reply then touches no one else's transfer.
    Feed(Reply(1, 0x60, Str("x", 200)));
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferWatchString);
    link.Session().OnTimer(CDebuggerService::kTimerWatchWait);
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferNone);
    link.Session().SetTransferType(CLinkSession::kTransferCertRead);
    Feed(Reply(3, 0x50, ItemInt(0), true));
    EXPECT_EQ(link.Session().GetTransferType(), CLinkSession::kTransferCertRead);
    EXPECT_EQ(dbg.OnWatchNext(0, true), 0);  // busy: nothing starts
    EXPECT_EQ(dbg.ReadBreakpoints("a.php"), CDebuggerService::ReadStart::kBusy);
    link.Session().SetTransferType(CLinkSession::kTransferNone);

    // Breakpoints: marks of the open file, the next index each time; a file
    // opened meanwhile restarts from index 0 once the reply is in.
    host.openFile = "a.php";
    host.editorRows = 5;
    Sent();
    EXPECT_EQ(dbg.ReadBreakpoints("a.php"), CDebuggerService::ReadStart::kSent);
    Feed(Reply(6, 0x42, ItemInt(0) + ItemInt(3) + ItemText("a.php")));
    Feed(Reply(6, 0x42, ItemInt(0) + ItemInt(6) + ItemText("a.php")));  // past the text: no mark
    Feed(Reply(6, 0x42, ItemInt(0) + ItemInt(1) + ItemText("c.php")));
    EXPECT_EQ(host.marks, (std::set<int>{2}));
    host.openFile = "b.php";
    EXPECT_EQ(dbg.ReadBreakpoints("b.php"), CDebuggerService::ReadStart::kQueued);
    Feed(Reply(6, 0x42, ItemInt(0) + ItemInt(2) + ItemText("a.php")));
    Feed(Reply(6, 0x42, ItemInt(0), true));
    Feed(Reply(6, 0x42, ItemInt(0), true));  // late: dropped
    std::vector<std::vector<uint8_t>> sent = port.writes;
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[3][23], 3);   // a.php's index 3 was outstanding ...
    EXPECT_EQ(sent[4][23], 0);   // ... and b.php starts from 0
    EXPECT_EQ(sent[4][28], 'b');
    EXPECT_EQ(host.marks, (std::set<int>{2}));
}

// Names the board cannot take (the marks themselves: e2e.debug).
TEST_F(DebuggerTest, BreakpointMarksAndNamesTooLong)
{
    host.openFile = "a.php";
    host.caret = 4;
    dbg.SyncBreakpoints(false);
    dbg.SyncBreakpoints(false);
    EXPECT_EQ(Sent(), "06/12 06/22 ");
    host.openFile = std::string(484, 'n');
    dbg.SyncBreakpoints(false);
    EXPECT_TRUE(host.marks.empty());  // taken back: the board was not told
    EXPECT_EQ(Sent(), "");
    EXPECT_NE(host.log.back().find("too long"), std::string::npos);
    port.open = false;
    dbg.SyncBreakpoints(false);
    EXPECT_EQ(host.messages.back(), LinkStrings::kOpenPortFirst.english);
}

} // namespace

// Rows 0-2 are plain counts whichever way they come (only "System Memory"
// is in kilobytes), and the view is redrawn when a disconnect zeroes them.
TEST_F(DebuggerTest, ResourceRowsKeepOneUnitOnEitherRoadAndClearOnDisconnect)
{
    struct Row {
        const char* road;
        std::vector<uint8_t> frame;
        int row;
        std::vector<int32_t> expected;
    } rows[] = {
        {"event 2", Event(2, 2, ItemInt(4096) + ItemInt(3000) + ItemInt(1096)), 0, {4096, 3000, 1096}},
        {"event 3", Event(2, 3, ItemInt(8192) + ItemInt(100) + ItemInt(8092)), 1, {8192, 100, 8092}},
        {"event 4", Event(2, 4, ItemInt(2048) + ItemInt(1536) + ItemInt(512)), 2, {2048, 1536, 512}},
        {"event 5", Event(2, 5, ItemInt(2048) + ItemInt(1536) + ItemInt(-1023)), 3, {2, 1, 0}},
        {"01/12", Reply(1, 0x12, ItemInt(4096) + ItemInt(3000) + ItemInt(1096)), 0, {4096, 3000, 1096}},
        {"01/13", Reply(1, 0x13, ItemInt(8192) + ItemInt(100) + ItemInt(8092)), 1, {8192, 100, 8092}},
        {"01/15", Reply(1, 0x15, ItemInt(2048) + ItemInt(1536) + ItemInt(512)), 2, {2048, 1536, 512}},
    };
    const auto& shown = link.Identity().ResourceRows();
    for (const Row& r : rows) {
        Feed(r.frame);
        EXPECT_EQ((std::vector<int32_t>{shown[r.row][0], shown[r.row][1], shown[r.row][2]}), r.expected) << r.road;
    }
    const int redraws = host.resourceRedraws;
    link.Session().Disconnect(false);
    for (int row = 0; row < 12; ++row)
        EXPECT_EQ(shown[row][0] | shown[row][1] | shown[row][2], 0) << row;
    EXPECT_EQ(host.resourceRedraws, redraws + 1) << "the view shows the zeroed rows at once";
}
