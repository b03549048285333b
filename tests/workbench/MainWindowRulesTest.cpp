// The main window's portable rules, without windows.
#include "workbench/app/LanguageChoice.h"
#include "workbench/main/CommandRules.h"
#include "workbench/main/FlashUsage.h"
#include "workbench/main/MainLayout.h"
#include "workbench/main/Preferences.h"

#include <gtest/gtest.h>

#include <set>

using cmdrules::Command;
using cmdrules::State;

namespace {

State Connected(int task = 0, bool debug = true) {
    State s;
    s.connected = true;
    s.boardKnown = true;
    s.phpDebug = debug;
    s.taskState = task;
    s.editorReadOnly = false;
    return s;
}

template <typename Change>
State With(Change change, State s = Connected()) {
    change(s);
    return s;
}

}  // namespace

TEST(CommandRules, StateCombinations) {
    using C = Command;
    const std::vector<C> device = {C::Connect,     C::PortList,         C::Disconnect,      C::Settings,
                                   C::Upload,      C::ProductInfo,      C::NetworkInfo,     C::PhpErrorLog,
                                   C::FirmwareErrorLog, C::UpgradeFirmware, C::Reboot,      C::DeleteFiles};
    const std::vector<C> debugger = {C::Run, C::Stop, C::Pause, C::StepIn, C::StepOver, C::StepOverKey};
    const std::vector<C> edits = {C::Undo, C::Redo, C::Cut, C::Copy, C::Paste, C::Change, C::Find};
    // Disconnected and a running script (task 3): the main and watch roads.
    const struct {
        const char* name;
        State state;
        const std::vector<C>& among;
        std::set<C> enabled;
        int pauseShown;  // -1: not asked
    } cases[] = {
        // A job or a transfer under way: nothing may reach the board but a disconnect.
        {"job", With([](State& s) { s.jobRunning = true; }), device, {C::Disconnect}, -1},
        {"transfer", With([](State& s) { s.transferBusy = true; }), device, {C::Disconnect}, -1},
        // The port is open but the board has not answered or been identified yet (a connect,
        // a return after a restart awaited): only Disconnect acts.
        {"not known", With([](State& s) { s.boardKnown = false; }), device, {C::Disconnect}, -1},
        {"not known, stopped", With([](State& s) { s.boardKnown = false; }, Connected(1)), debugger, {}, -1},
        {"not known, an earlier boot loader", With([](State& s) { s.boardKnown = false, s.isp = true; }), device,
         {C::Disconnect}, -1},
        {"breakpoints, not known", With([](State& s) { s.boardKnown = false; }),
         {C::ToggleBreakpoint, C::RemoveBreakpoints, C::RunToLine}, {}, -1},
        // Without a port the breakpoint service says so itself.
        {"breakpoints, no port", With([](State& s) { s.connected = s.boardKnown = false; }),
         {C::ToggleBreakpoint, C::RemoveBreakpoints, C::RunToLine}, {C::ToggleBreakpoint, C::RemoveBreakpoints}, -1},
        // The boot loader: the firmware upgrade and the reboot stay, the rest goes.
        {"isp", With([](State& s) { s.isp = true; }), device, {C::Disconnect, C::UpgradeFirmware, C::Reboot}, -1},
        // Refused uploads: Upload's handler says why; deleting is simply off.
        {"refused", With([](State& s) { s.uploadsRefused = true; }), {C::Upload, C::DeleteFiles}, {C::Upload}, -1},
        {"task 0", Connected(0), debugger, {}, 0},
        {"task 1", Connected(1), debugger, {C::Run, C::StepIn, C::StepOver, C::StepOverKey}, 0},
        // 4 and 5 are halted like 2: F10 follows the Step Over button.
        {"task 4", Connected(4), debugger, {C::Run, C::Stop, C::StepIn, C::StepOver, C::StepOverKey}, 0},
        {"task 5", Connected(5), debugger, {C::Run, C::Stop, C::StepIn, C::StepOver, C::StepOverKey}, 0},
        {"unknown task", With([](State& s) { s.pauseShown = true; }, Connected(9)), debugger, {}, 1},
        // Debug mode off: all five buttons off, whichever of Run and Pause showed stays, and
        // F10 still steps over in states 1 and 2.
        {"no debug, task 3", With([](State& s) { s.pauseShown = true; }, Connected(3, false)), debugger, {}, 1},
        {"no debug, task 2", Connected(2, false), debugger, {C::StepOverKey}, 0},
        {"no debug, task 5", Connected(5, false), debugger, {C::StepOverKey}, 0},
        {"no debug, not connected", With([](State& s) { s.connected = false; }, Connected(1, false)), debugger, {}, -1},
        {"read-only editor", With([](State& s) {
             s.canUndo = s.canRedo = s.editorSelection = s.clipboardText = s.editorHasText = s.editorReadOnly = true;
         }),
         edits, {C::Copy, C::Find}, -1},
        // One entry is not worth packing; the boot loader cannot take a packed file.
        {"one entry in isp", With([](State& s) { s.entryCount = 1, s.isp = true; }), {C::SaveKbx, C::OpenKbx}, {}, -1},
    };
    for (const auto& c : cases) {
        std::set<C> enabled;
        for (C command : c.among)
            if (cmdrules::Enabled(command, c.state)) enabled.insert(command);
        EXPECT_EQ(enabled, c.enabled) << c.name;
        if (c.pauseShown >= 0) {
            EXPECT_EQ(cmdrules::Decide(C::Pause, c.state).visible, c.pauseShown == 1) << c.name;
            EXPECT_EQ(cmdrules::Decide(C::Run, c.state).visible, c.pauseShown == 0) << c.name;
        }
    }
    State german;
    german.language = 1031;  // neither language is ticked for one we have no resources for
    EXPECT_FALSE(cmdrules::Decide(C::LanguageKorean, german).checked || cmdrules::Decide(C::LanguageEnglish, german).checked);
}

// The ordinary layout shows in every screenshot; here only its limits.
TEST(MainLayout, SplitsAndReleasesAtTheirLimits) {
    const mainlayout::DebugButtons d{};
    const mainlayout::ButtonSize main[4] = {};
    EXPECT_FALSE(mainlayout::Compute(9, 500, 195, 70, d, main).valid);
    // 300 high with 70 %: 210 would leave 90 below, so the bottom keeps 190.
    EXPECT_EQ(mainlayout::Compute(800, 300, 195, 70, d, main).hSplitter.y, 110);
    // A narrow window pulls the vertical split in.
    EXPECT_EQ(mainlayout::Compute(300, 600, 250, 70, d, main).splitterX, 105);

    // {saved %, height, top, bottom, new %}
    const int releases[][5] = {{70, 600, 20, 24, 30}, {70, 600, 580, 584, 72},
                               {55, 0, 10, 14, 55}};  // no client: no division
    for (const auto& r : releases)
        EXPECT_EQ(mainlayout::HorizontalRelease(r[0], r[1], r[2], r[3]), r[4]) << r[2];
    const int vertical[][2] = {{100, 195}, {700, 605}, {300, 300}};
    for (const auto& v : vertical) EXPECT_EQ(mainlayout::VerticalRelease(800, v[0]), v[1]) << v[0];
}

TEST(MainLayout, RegistryValuesAppliedOnlyWhenSane) {
    mainlayout::Saved first;  // first start: all zero
    mainlayout::Applied a = mainlayout::ApplySaved(first, 1280, 1024);
    EXPECT_FALSE(a.place);
    EXPECT_EQ(a.splitterX, 195);
    EXPECT_EQ(a.splitterY, 70);

    mainlayout::Saved s{100, 50, 900, 700, 84, 300, 196};
    EXPECT_TRUE(mainlayout::ApplySaved(s, 1280, 1024).place);
    const mainlayout::Saved bad[] = {
        {1280, 50, 900, 700, 0, 0, 0},        // off the virtual screen
        {0xFFFFFFCE, 50, 900, 700, 0, 0, 0},  // negative
        {0, 0, 900, 479, 0, 0, 0},            // below the minimum
        {0, 0, 0x7FFFFFFF, 700, 0, 0, 0},     // absurd
    };
    for (const auto& b : bad) EXPECT_FALSE(mainlayout::ApplySaved(b, 1280, 1024).place) << b.startX << " " << b.width;
    // Splitters out of range fall back to the defaults, one by one.
    s.splitterY = 85;
    s.splitterX = 900;  // not below the saved width
    s.bottomX = 195;
    a = mainlayout::ApplySaved(s, 1280, 1024);
    EXPECT_EQ(a.splitterY, 70);
    EXPECT_EQ(a.splitterX, 195);
    EXPECT_FALSE(a.bottom);

    const mainlayout::Saved saved = mainlayout::ToSave(-50, 10, 750, 610, 195, 70, 300);
    EXPECT_EQ(saved.startX, 0u);
    EXPECT_EQ(saved.width, 750u);
    EXPECT_EQ(saved.height, 600u);
}

TEST(Preferences, NumbersFromInitIniAreBroughtIntoRange) {
    struct Case { int lineGap, tabSize, addFile; int wantGap, wantTab, wantAdd; };
    const Case cases[] = {
        {0, 0, -1, 120, 4, 0}, {130, 3, 2, 130, 3, 2}, {301, 17, 3, 120, 4, 0}, {100, 16, 1, 100, 16, 1},
    };
    for (const Case& c : cases) {
        PreferenceBlock b;
        b.lineGap = c.lineGap;
        b.tabSize = c.tabSize;
        b.addFile = c.addFile;
        b.margin = 7;
        b.backupPath.assign(400, 'x');
        prefs::Sanitize(b);
        EXPECT_EQ(b.lineGap, c.wantGap);
        EXPECT_EQ(b.tabSize, c.wantTab);
        EXPECT_EQ(b.addFile, c.wantAdd);
        EXPECT_EQ(b.margin, 1);
        EXPECT_EQ(b.backupPath.size(), 259u);
    }
    EXPECT_EQ(prefs::ClampFontHeight(0), -14);
    EXPECT_EQ(prefs::ClampFontHeight(-2000), -14);
    EXPECT_EQ(prefs::LogFontHeight(-30), -20);
}

TEST(FlashUsage, PackedSizeInSixtyFourBits) {
    EXPECT_EQ(flashusage::PackedSize({}), 0u);
    EXPECT_EQ(flashusage::PackedSize({{6, 10}}), 1024u);  // 6+2+10+2+8 = 28, +28 = 56
    EXPECT_EQ(flashusage::PackedSize({{4, 1024 - 28 - 8 - 4}}), 1024u);
    EXPECT_EQ(flashusage::PackedSize({{4, 1024 - 28 - 8 - 4 + 1}}), 2048u);
    // A PC file past 4 GiB does not wrap around to a small figure.
    EXPECT_GT(flashusage::PackedSize({{4, 5000000000ull}}), 5000000000ull);
    for (auto [text, lines] : {std::pair<const char*, int>{"", 0}, {"a", 1}, {"a\r\nb\r\n", 2}, {"a\nb\rc", 3}})
        EXPECT_EQ(flashusage::LineCount(text), lines) << text;
}

TEST(LanguageChoice, RegistryThenSystemThenEnglish) {
    auto both = [](uint32_t l) { return l == language::kEnglish || l == language::kKorean; };
    auto englishOnly = [](uint32_t l) { return l == language::kEnglish; };
    struct Case { uint32_t stored, system; bool korean; uint32_t want; bool write; };
    const Case cases[] = {
        {0, 1042, true, 1042, true},      // first start: the system's language, written
        {1042, 1033, true, 1042, false},  // kept as stored
        {1042, 1042, false, 1033, true},  // the code page cannot show Korean
        {0, 1031, true, 1033, true},      // no German resources
        {1033, 1042, true, 1033, false},
    };
    for (const Case& c : cases) {
        const language::Choice ch = c.korean ? language::Settle(c.stored, c.system, both)
                                             : language::Settle(c.stored, c.system, englishOnly);
        EXPECT_EQ(ch.language, c.want) << c.stored << " " << c.system;
        EXPECT_EQ(ch.write, c.write) << c.stored << " " << c.system;
    }
}
