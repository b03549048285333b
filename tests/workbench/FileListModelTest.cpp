// The file list's rules, its names, the image pane's sizes and the drop block.
#include "workbench/files/DropFiles.h"
#include "workbench/files/FileListModel.h"
#include "workbench/files/FileNameRules.h"
#include "workbench/files/ImageRules.h"
#include "workbench/files/RecentFiles.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

FileEntry& AddEntry(CFileEntryList& list, const std::string& name, uint32_t state = FileEntry::kInStep,
                    const std::string& data = "x") {
    auto e = std::make_unique<FileEntry>();
    e->name = name;
    e->nameLength = static_cast<uint8_t>(name.size() + 1);
    e->state = state;
    e->data = data;
    e->kind = FileEntry::KindFor(name, data.size());
    return list.Insert(std::move(e));
}

class FileListModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.SetEntryList(&list);
        model.EnsureSystemFolders();
        AddEntry(list, "main.php");
        AddEntry(list, "logo.png");
        AddEntry(list, "lib/a.php");
        model.RebuildView();
    }
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < model.RowCount(); ++i) rows.push_back(model.RowText(i));
        return rows;
    }
    CFileEntryList list;
    CFileListModel model;
};

}  // namespace

TEST_F(FileListModelTest, FoldersShowTheirFilesAndTheUpRowOutlivesRebuilds) {
    EXPECT_EQ(Rows(), (std::vector<std::string>{"lib", "mmap", "logo.png", "main.php"}));
    EXPECT_FALSE(model.DoubleClick(1).viewChanged);  // mmap cannot be entered
    EXPECT_TRUE(model.DoubleClick(0).viewChanged);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"..", "a.php"}));
    EXPECT_TRUE(model.IsUpRow(0));
    FileEntry* up = model.Row(0);
    model.RebuildView();
    EXPECT_EQ(model.Row(0), up);  // the ".." row is never freed under a click
    EXPECT_TRUE(model.DoubleClick(0).viewChanged);
    EXPECT_EQ(model.Row(4), nullptr);
    EXPECT_EQ(model.HitTest(70, 20, 100), -1);  // below the last row
}

// Opening what the board holds is the files road's; here what holds no data yet.
TEST_F(FileListModelTest, ClicksOpenOnlyWhatHoldsData) {
    auto r = model.ButtonDown(3, false, false);  // main.php, in step
    ASSERT_EQ(r.open, model.Row(3));
    model.SetCurrentFile("main.php");
    EXPECT_EQ(model.ButtonDown(3, false, false).open, nullptr);  // already current

    FileEntry& added = AddEntry(list, "new.php", FileEntry::kAddedInternal, "");
    FileEntry& external = AddEntry(list, "pic.png", FileEntry::kAddedExternal, "");
    model.RebuildView();
    for (const FileEntry* e : {&added, &external}) {
        const int row = model.FindFileRow(e->name);
        r = model.ButtonDown(row, false, false);
        EXPECT_EQ(r.open, nullptr) << e->name;
        EXPECT_EQ(r.info, e);
    }
    model.ButtonDown(-1, false, false);
    EXPECT_EQ(model.CountSelectedFiles(), 0);
    EXPECT_EQ(model.Anchor(), -1);
}

TEST_F(FileListModelTest, HiddenSelectionsAndFreedRowsNeverSurviveAChange) {
    model.SelectAll();
    EXPECT_EQ(model.CountSelectedFiles(), 2);
    model.SelectFile("lib/a.php");  // into "lib": the root's files lose their selection
    EXPECT_EQ(model.CurrentFolder(), "lib");
    EXPECT_FALSE(list.Find("main.php")->selected);
    EXPECT_EQ(model.DraggableNames(), std::vector<std::string>{});
    model.SelectAll();
    EXPECT_EQ(model.DraggableNames(), std::vector<std::string>{"lib/a.php"});
    EXPECT_EQ(model.Anchor(), -1);

    EXPECT_FALSE(model.RefreshIfStale());
    list.Remove(list.Find("lib/a.php"));  // freed by someone else
    EXPECT_TRUE(model.RefreshIfStale());
    EXPECT_EQ(model.RowCount(), 1);
    AddEntry(list, "lib/b.php");
    EXPECT_TRUE(model.RefreshIfStale());
    EXPECT_EQ(model.RowText(1), "b.php");
}

// Moves and renames through the pane are the Win32 suite's; here what it does not read back.
TEST_F(FileListModelTest, ARenamedFileHoldsItsNewLengthAndARemovedOneIsNoLongerCurrent) {
    ASSERT_TRUE(model.RenameFile("main.php", "lib/main.php", false));
    const FileEntry* moved = model.FindFile("lib/main.php");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->nameLength, 13);
    EXPECT_EQ(list.At(0).name, "lib");  // folders stay first
    EXPECT_FALSE(model.RenameFile("gone.php", "x.php", false));
    EXPECT_EQ(model.MovedName("main.php", 1), "");  // mmap takes no drop
    model.SetCurrentFile("lib/main.php");
    EXPECT_TRUE(model.RemoveFile("lib/main.php"));
    EXPECT_EQ(model.CurrentFile(), "");
}

TEST_F(FileListModelTest, MenuFollowsTheOneSelectedFile) {
    struct Case {
        const char* name;
        uint32_t state;
        bool linked, editable, rename, firmware;
    } cases[] = {
        {"fw.kbx", FileEntry::kInStep, false, true, true, true},
        {"fw.kbx", FileEntry::kAddedInternal, true, true, false, false},
        {"x.php", FileEntry::kExternalInStep, true, true, false, false},
        {"fw.kbx", FileEntry::kInStep, false, false, false, true},
    };
    for (const Case& c : cases) {
        CFileEntryList l;
        CFileListModel m;
        m.SetEntryList(&l);
        FileEntry& e = AddEntry(l, c.name, c.state);
        e.linked = c.linked;
        e.selected = true;
        AddEntry(l, "other.php");
        m.RebuildView();
        const auto s = m.Menu(c.editable, false);
        EXPECT_EQ(s.rename, c.rename) << c.name << " " << c.state;
        EXPECT_EQ(s.firmware, c.firmware) << c.name << " " << c.state;
        EXPECT_EQ(s.remove, c.editable);
        EXPECT_FALSE(s.clearRecent);
        l.Find("other.php")->selected = true;  // two selected: neither rename nor firmware
        EXPECT_FALSE(m.Menu(true, true).rename);
        EXPECT_TRUE(m.Menu(true, true).clearRecent);
    }
}

TEST(FileNameRulesTest, NamesTheBoardCanHold) {
    using filenames::Verdict;
    const std::string longName(251, 'a');
    struct Case {
        std::string name;
        Verdict v;
    } cases[] = {
        {"lib/a.php", Verdict::Ok},     {longName + ".ph", Verdict::Ok},  {longName + ".php", Verdict::TooLong},
        {"", Verdict::Empty},           {"a/b/c.php", Verdict::BadName},  {"lib/..", Verdict::BadName},
        {"a\\b.php", Verdict::BadName}, {"a\x01.php", Verdict::BadName},
    };
    for (const Case& c : cases) EXPECT_EQ(filenames::CheckFullName(c.name), c.v) << c.name;
}

TEST(FileNameRulesTest, TheNameDialogsChecks) {
    using filenames::Verdict;
    const std::string longPrefix = std::string(240, 'f') + "/";
    struct Case {
        int mode;
        const char* old;
        const char* prefix;
        const char* typed;
        Verdict v;
        const char* result;
    } cases[] = {
        {0, "", "", "readme", Verdict::Ok, "readme.php"},
        {0, "", "", "logo.png", Verdict::Ok, "logo.png.php"},
        {0, "", "", "", Verdict::Empty, ""},
        {0, "", "", "x/y", Verdict::BadName, ""},
        {1, "main.php", "", "main", Verdict::Unchanged, ""},
        {1, "Makefile", "", "Makefile2", Verdict::Ok, "Makefile2"},  // no "." : edited whole
        {0, "", longPrefix.c_str(), "abcdefghij", Verdict::TooLong, ""},
    };
    for (const Case& c : cases) {
        filenames::NameForm form;
        form.mode = c.mode;
        form.oldName = c.old;
        form.prefix = c.prefix;
        form.namesInUse = {"lib/a.php", "main.php"};
        if (c.mode == 1) {
            EXPECT_EQ(form.StartText(), std::string(c.old).substr(0, std::string(c.old).rfind('.')));
        }
        std::string result;
        EXPECT_EQ(form.Check(c.typed, result), c.v) << c.typed;
        if (c.v == Verdict::Ok || c.v == Verdict::InUse) {
            EXPECT_EQ(result, c.result);
        }
    }
}

TEST(FileNameRulesTest, AddedEntriesAndClashes) {
    using filenames::Verdict;
    FileEntry e;
    ASSERT_EQ(filenames::MakeAddedEntry("C:\\w\\pic.PNG", "lib", 2, false, e), Verdict::Ok);
    EXPECT_EQ(e.name, "lib/pic.PNG");
    EXPECT_EQ(e.kind, FileEntry::kImage);
    EXPECT_EQ(e.state, FileEntry::kAddedExternal);
    ASSERT_EQ(filenames::MakeAddedEntry("C:\\w\\data.bin", "", 0, false, e), Verdict::Ok);
    EXPECT_EQ(e.kind, FileEntry::kOther);
    EXPECT_EQ(e.state, FileEntry::kAddedInternal);
    EXPECT_EQ(filenames::MakeAddedEntry("C:\\w\\Makefile", "", 0, true, e), Verdict::NoDot);
    EXPECT_EQ(filenames::MakeAddedEntry("C:\\" + std::string(260, 'a') + ".php", "", 0, true, e), Verdict::TooLong);

    // Yes with the tick replaces the rest without asking; No with it skips them.
    for (bool yes : {true, false}) {
        int state = 0, asked = 0;
        auto ask = [&](bool& tick) { ++asked; tick = true; return yes; };
        for (int i = 0; i < 3; ++i) EXPECT_EQ(filenames::ResolveClash(state, ask), yes);
        EXPECT_EQ(asked, 1);
    }
    int state = 0, asked = 0;
    auto untick = [&](bool& tick) { ++asked; tick = false; return true; };
    filenames::ResolveClash(state, untick);
    filenames::ResolveClash(state, untick);
    EXPECT_EQ(asked, 2);
}

TEST(FileNameRulesTest, TempFileNamesStayOneFileInTheFolder) {
    const struct {
        const char* name;
        const char* temp;
    } cases[] = {
        {"lib/logo.png", "lib-logo.png"}, {"...", ""}, {"COM1", "-COM1"}, {"a\x07.gif", "a-.gif"}, {"x.png. ", "x.png"},
    };
    for (const auto& c : cases) EXPECT_EQ(filenames::TempFileName(c.name), c.temp) << c.name;
    const std::string capped = filenames::TempFileName(std::string(300, 'b') + ".png");
    EXPECT_EQ(capped.size(), 100u);
    EXPECT_EQ(capped.substr(96), ".png");
}

TEST(RecentFilesTest, TenWithTheirOwnCommandsAndNoneBeyond) {
    CRecentFiles recent;
    for (int i = 0; i < 12; ++i) recent.Add("p" + std::to_string(i));
    EXPECT_EQ(*recent.ForCommand(32810), "p2");
    EXPECT_EQ(recent.ForCommand(32811), nullptr);
    EXPECT_EQ(recent.ForCommand(32817), nullptr);  // Delete's id
    recent.Load(std::vector<std::string>(17, "q"));
    EXPECT_EQ(recent.Paths().size(), 10u);
}

// A recent path as the Add submenu shows it: a long one keeps its start and
// its file name around an ellipsis, so the menu stays narrower than the screen.
TEST(RecentFilesTest, LongPathsAreShownShortened) {
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\project\\main.php";
    struct Row { std::wstring path, shown; };
    const Row rows[] = {
        {L"C:\\work\\a.php", L"C:\\work\\a.php"},
        {deep, L"C:\\...\\project\\main.php"},
        {L"C:\\a\\" + std::wstring(200, L'x') + L".php", L"C:\\...\\" + std::wstring(53, L'x') + L".php"},
        {L"\\\\server\\share\\" + std::wstring(100, L's') + L"\\f.txt", L"\\\\server\\...\\f.txt"},
        {L"C:\\R&D\\a.php", L"C:\\R&&D\\a.php"},  // not a mnemonic
    };
    for (const Row& r : rows) {
        const std::wstring shown = CRecentFiles::MenuText(r.path);
        EXPECT_EQ(shown, r.shown) << r.path.size();
        EXPECT_LE(shown.size(), CRecentFiles::kMenuChars + 1);  // an & counts twice
    }
}

TEST(ImageRulesTest, SizeHistoryUndoRedoAndCapacity) {
    CImageSizeHistory h;
    int w = 0, ht = 0;
    EXPECT_FALSE(h.Undo(w, ht));
    h.Reset(200, 100);
    for (int i = 1; i <= 3; ++i) h.Push(200 + i, 100 + i);
    for (int i = 2; i >= 0; --i) {
        ASSERT_TRUE(h.Undo(w, ht));
        EXPECT_EQ(w, 200 + i);
    }
    EXPECT_FALSE(h.Undo(w, ht));
    EXPECT_TRUE(h.Redo(w, ht));
    EXPECT_EQ(w, 201);
    h.Push(50, 25);  // drops 202 and 203
    EXPECT_EQ(h.Count(), 3);
    EXPECT_FALSE(h.Redo(w, ht));
    h.Reset(1, 1);
    for (int i = 2; i <= 101; ++i) h.Push(i, i);
    EXPECT_EQ(h.Count(), 100);
    EXPECT_EQ(h.Index(), 99);
    for (int i = 0; i < 99; ++i) h.Undo(w, ht);
    EXPECT_EQ(w, 2);  // the opening size is gone
}

TEST(ImageRulesTest, ResizeNumbersAndScrollLimit) {
    int v = 0;
    ASSERT_TRUE(imagerules::ParseSide("16384", v));
    EXPECT_EQ(v, 16384);
    for (const char* bad : {"16385", "0", "-5", "1e3", "999999999999"})
        EXPECT_FALSE(imagerules::ParseSide(bad, v)) << bad;
    EXPECT_EQ(imagerules::KeepRatio(50, 200, 100), 25);
    EXPECT_EQ(imagerules::KeepRatio(5, 0, 100), 0);  // no division by a zero side
    // Range 0..600, page 201: the limit is 400.
    EXPECT_EQ(imagerules::ScrollPosition(1, 395, 0, 600, 201, 0, 20), 400);
}

// With the ratio kept, the other side follows every number typed, even one
// that OK then refuses: the user sees what the size would be, and why not.
TEST(ImageRulesTest, TheRatioFollowsEveryNumber) {
    struct Row { const char* typed; int from, to, follows; };
    const Row rows[] = {
        {"50", 200, 100, 25},      {"100", 100, 200, 200},   {"1", 200, 100, 1},  // never below 1
        {"1", 2000, 1, 1},         {"20100", 2000, 1000, 10050},  // past the largest side still follows
        {"99999", 1, 65535, 999999999}, {"0", 200, 100, 0}, {"7", 0, 100, 0},
    };
    for (const Row& r : rows) {
        int v = -1;
        ASSERT_TRUE(imagerules::ParseNumber(r.typed, v)) << r.typed;
        EXPECT_EQ(imagerules::KeepRatio(v, r.from, r.to), r.follows) << r.typed << " " << r.from << "x" << r.to;
    }
    int v = 0;
    for (const char* bad : {"", "-5", "1e3", "12a", "1234567890"}) EXPECT_FALSE(imagerules::ParseNumber(bad, v)) << bad;
}

TEST(DropFilesTest, BlockOfNames) {
    const std::vector<uint8_t> block = dropfiles::Build({"a.php", "lib/b.php"});
    ASSERT_EQ(block.size(), 37u);
    EXPECT_EQ(block[0], 20);
    EXPECT_EQ(std::string(block.begin() + 20, block.end()), std::string("a.php\0lib/b.php\0\0", 17));
    EXPECT_TRUE(dropfiles::Build({}).empty());
}
