// The main window's portable rules: which command goes in which state, the
// layout and its registry values, the preferences read from Init.ini, the
// flash-usage figure and the start-up language.
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

State Connected() {
    State s;
    s.connected = true;
    s.phpDebug = true;
    s.editorReadOnly = false;
    return s;
}

std::set<Command> EnabledOf(const State& s, std::initializer_list<Command> among) {
    std::set<Command> out;
    for (Command c : among)
        if (cmdrules::Enabled(c, s)) out.insert(c);
    return out;
}

const std::initializer_list<Command> kDevice = {
    Command::Connect, Command::PortList, Command::Disconnect, Command::Settings, Command::Upload,
    Command::ProductInfo, Command::NetworkInfo, Command::PhpErrorLog, Command::FirmwareErrorLog,
    Command::UpgradeFirmware, Command::Reboot, Command::DeleteFiles};
const std::initializer_list<Command> kDebugger = {Command::Run, Command::Stop, Command::Pause, Command::StepIn,
                                                  Command::StepOver};

}  // namespace

TEST(CommandRules, DeviceCommandsByConnectionJobAndBootLoader) {
    using Set = std::set<Command>;
    State off, on = Connected(), job = Connected(), transfer = Connected(), isp = Connected(), refused = Connected();
    job.jobRunning = true;
    transfer.transferBusy = true;
    isp.isp = true;
    refused.uploadsRefused = true;
    const struct {
        const char* name;
        State state;
        Set enabled;
    } cases[] = {
        {"off", off, {Command::Connect, Command::PortList}},
        // A job or a transfer under way: nothing may reach the board but a disconnect.
        {"job", job, {Command::Disconnect}},
        {"transfer", transfer, {Command::Disconnect}},
        // The boot loader: the firmware upgrade and the reboot stay, the rest goes.
        {"isp", isp, {Command::Disconnect, Command::UpgradeFirmware, Command::Reboot}},
    };
    for (const auto& c : cases) EXPECT_EQ(EnabledOf(c.state, kDevice), c.enabled) << c.name;
    EXPECT_EQ(EnabledOf(on, kDevice).size(), kDevice.size() - 2);
    EXPECT_TRUE(cmdrules::Enabled(Command::Upload, refused));  // its handler says why it refuses
    EXPECT_FALSE(cmdrules::Enabled(Command::DeleteFiles, refused));
}

TEST(CommandRules, DebuggerButtonsByTaskStateAndMode) {
    struct Case {
        int task;
        bool debug;
        bool pauseBefore;
        std::set<Command> enabled;
        bool pauseShown;
    };
    const Case cases[] = {
        {0, true, false, {}, false},
        {1, true, true, {Command::Run, Command::StepIn, Command::StepOver}, false},
        {5, true, false, {Command::Run, Command::Stop, Command::StepIn, Command::StepOver}, false},
        {3, true, false, {Command::Stop, Command::Pause}, true},
        // Debug mode off: all five off, and whichever of Run and Pause showed stays.
        {3, false, true, {}, true},
        {1, false, true, {}, true},
        {9, true, true, {}, true},
    };
    for (const Case& c : cases) {
        State s = Connected();
        s.taskState = c.task;
        s.phpDebug = c.debug;
        s.pauseShown = c.pauseBefore;
        EXPECT_EQ(EnabledOf(s, kDebugger), c.enabled) << c.task << " " << c.debug;
        EXPECT_EQ(cmdrules::Decide(Command::Pause, s).visible, c.pauseShown) << c.task << " " << c.debug;
        EXPECT_EQ(cmdrules::Decide(Command::Run, s).visible, !c.pauseShown) << c.task << " " << c.debug;
    }
    // F10 steps over without debug mode, in states 1 and 2 only; not while disconnected.
    State s = Connected();
    s.phpDebug = false;
    for (int task : {0, 1, 2, 3}) {
        s.taskState = task;
        EXPECT_EQ(cmdrules::Enabled(Command::StepOverKey, s), task == 1 || task == 2) << task;
    }
    s.connected = false;
    s.taskState = 1;
    EXPECT_FALSE(cmdrules::Enabled(Command::StepOverKey, s));
}

TEST(CommandRules, EditAndFileMenus) {
    State s = Connected();
    s.canUndo = s.canRedo = s.editorSelection = s.clipboardText = s.editorHasText = true;
    s.editorReadOnly = true;  // the help text, a board that refuses uploads
    const std::initializer_list<Command> edits = {Command::Undo, Command::Redo, Command::Cut, Command::Copy,
                                                  Command::Paste, Command::Change, Command::Find};
    EXPECT_EQ(EnabledOf(s, edits), (std::set<Command>{Command::Copy, Command::Find}));

    s.entryCount = 1;  // a packed file of one entry is not worth saving
    EXPECT_FALSE(cmdrules::Enabled(Command::SaveKbx, s));
    s.isp = true;
    EXPECT_FALSE(cmdrules::Enabled(Command::OpenKbx, s));
    State marks;
    marks.language = 1031;  // neither language is ticked for one we have no resources for
    EXPECT_FALSE(cmdrules::Decide(Command::LanguageKorean, marks).checked || cmdrules::Decide(Command::LanguageEnglish, marks).checked);
}

TEST(MainLayout, SplitsAndReleases) {
    const mainlayout::DebugButtons d{};
    const mainlayout::ButtonSize main[4] = {};
    EXPECT_FALSE(mainlayout::Compute(9, 500, 195, 70, d, main).valid);
    // 300 high with 70 %: 210 would leave 90 below, so the bottom keeps 190.
    EXPECT_EQ(mainlayout::Compute(800, 300, 195, 70, d, main).hSplitter.y, 110);
    EXPECT_EQ(mainlayout::Compute(800, 300, 195, 30, d, main).hSplitter.y, 90);
    // Main buttons 40 pixels high push the file-list column down; the list still meets the bar.
    const mainlayout::ButtonSize tall[4] = {{40, 40}, {40, 40}, {40, 40}, {40, 40}};
    const mainlayout::Layout l = mainlayout::Compute(800, 600, 195, 70, d, tall);
    EXPECT_EQ(l.listLabel.y, mainlayout::Compute(800, 600, 195, 70, d, main).listLabel.y + 10);
    EXPECT_EQ(l.fileList.y + l.fileList.h, l.flashBar.y - 1);
    // A narrow window pulls the vertical split in.
    EXPECT_EQ(mainlayout::Compute(300, 600, 250, 70, d, main).splitterX, 105);

    // {saved %, height, top, bottom, new %}
    const int releases[][5] = {{70, 600, 436, 440, 72}, {70, 600, 20, 24, 30}, {70, 600, 580, 584, 72},
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
        {0, 0, 639, 700, 0, 0, 0},            // below the minimum
        {0, 0, 900, 479, 0, 0, 0},
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
