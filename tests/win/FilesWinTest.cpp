// The file list pane, its dialogs and the image pane, in-process under a fake
// main window that answers whether files are editable.
#include "WinTestSupport.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/WindowMessages.h"
#include "workbench/files/DlgResize.h"
#include "workbench/files/WndFileList.h"
#include "workbench/files/WndImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace {

const unsigned char kAnimGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x04, 0x00, 0x04, 0x00, 0xf0, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x21, 0xff, 0x0b, 0x4e, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45,
    0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x04, 0x00, 0x00, 0x02,
    0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x14, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00,
    0x04, 0x00, 0x04, 0x00, 0x80, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x02, 0x04, 0x84, 0x8f, 0x09, 0x05, 0x00, 0x3b};


// Answers the next message box with the button of the column (0 OK / No, 1 Yes); keeps its text.
void AnswerMessages(std::vector<std::string>* texts, int column) {
    OnDialog(IDD_MESSAGE, [=](CDialog* d) {
        texts->push_back(static_cast<CDlgMessage*>(d)->m_text.str());
        Click(d, column == 0 ? IDC_MSG_BUTTON1 : IDC_MSG_BUTTON2);
    });
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class TestFileList : public CWndFileList {
public:
    std::vector<std::string> choose;
    std::string chooseFolder;
    std::vector<std::string> opened;
    bool ChooseFiles(std::vector<std::string>& paths, std::string& folder) override {
        paths = choose;
        folder = chooseFolder;
        return !choose.empty();
    }
    void ShellOpen(const std::string& path) override { opened.push_back(path); }
    using CWndFileList::DropOwnRows;
};

class FilesWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResources::SetLanguage(CResources::kEnglish);
        dir = TempFolder("zv_files");
        CWndFileList::SetIniFolderForTests(dir.c_str());
        ::DeleteFileA((dir + "\\Init.ini").c_str());
        ASSERT_TRUE(parent.Create(400, 400));
        parent.answer = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
            if (m == WM_USER_QUERY_FILES_EDITABLE) {
                *r = editable;
                return true;
            }
            if (m == WM_USER_SHOW_FILE_INFO) info = reinterpret_cast<const char*>(w);
            if (m == WM_USER_OPEN_FILE) {
                *r = opened;  // as the main window answers: 0 when it refused the entry
                return true;
            }
            return false;
        };
        Add("main.php", FileEntry::kInStep, "<?php ?>");
        Add("logo.png", FileEntry::kInStep, "png");
        Add("lib/a.php", FileEntry::kInStep, "a");
        pane.SetEntryList(&list);
        ASSERT_TRUE(pane.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 200), parent.m_hWnd, 1007));
        pane.EnsureSystemFolders();
        pane.RebuildView();
        pane.RecalcLayout();
    }
    void TearDown() override {
        pane.DestroyWindow();
        parent.DestroyWindow();
        CWndFileList::SetIniFolderForTests("");
    }
    FileEntry& Add(const std::string& name, uint32_t state, const std::string& data = "") {
        auto e = std::make_unique<FileEntry>();
        e->name = name;
        e->nameLength = static_cast<uint8_t>(name.size() + 1);
        e->state = state;
        e->data = data;
        e->kind = FileEntry::KindFor(name, data.size() + 1);
        return list.Insert(std::move(e));
    }
    void ClickRow(int row) {
        pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, row * 20 + 10));
        pane.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(50, row * 20 + 10));
    }
    void DoubleClickRow(int row) { pane.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, row * 20 + 10)); }
    void Drop(const std::vector<std::string>& paths, CPoint at = CPoint(50, 150)) {
        CStringArray list;
        for (const std::string& p : paths) list.Add(p.c_str());
        pane.SendMessage(WM_FILEDRAG_DROP, reinterpret_cast<WPARAM>(&list), reinterpret_cast<LPARAM>(&at));
        Pump(100);  // the drop is handled once OLE's call has returned
    }

    std::string dir;
    CRecorder parent;
    CFileEntryList list;
    TestFileList pane;
    LRESULT editable = 1;
    LRESULT opened = 1;
    std::string info;
};

}  // namespace

TEST_F(FilesWinTest, ClicksOpenFilesAndKeysReachThePane) {
    ClickRow(3);
    ASSERT_EQ(parent.Count(WM_USER_OPEN_FILE), 1);
    EXPECT_EQ(parent.records.front().wParam, reinterpret_cast<WPARAM>(list.Find("main.php")));
    EXPECT_EQ(info, "main.php");
    EXPECT_EQ(pane.GetCurrentFileName(), "main.php");
    FileEntry& ext = Add("ext.txt", FileEntry::kExternalInStep);
    ext.pcPath = "C:\\work\\ext.txt";
    pane.RebuildView();
    DoubleClickRow(pane.FindFileRow("ext.txt"));
    EXPECT_EQ(pane.opened, std::vector<std::string>{"C:\\work\\ext.txt"});

    // Keys: Ctrl+A selects every row, Delete asks the parent.
    SetKey(VK_CONTROL, true);
    MSG ctrlA{pane.m_hWnd, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_TRUE(pane.PreTranslateMessage(&ctrlA));
    SetKey(VK_CONTROL, false);
    EXPECT_EQ(pane.CountSelectedFiles(), 3);
    MSG del{pane.m_hWnd, WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    EXPECT_TRUE(pane.PreTranslateMessage(&del));
    EXPECT_EQ(parent.Count(WM_USER_DELETE_FILES), 1);
}

TEST_F(FilesWinTest, AFileTheParentRefusesDoesNotBecomeTheOpenOne) {
    ClickRow(3);
    ASSERT_EQ(pane.GetCurrentFileName(), "main.php");
    opened = 0;  // a picture the viewer cannot show
    ClickRow(pane.FindFileRow("logo.png"));
    EXPECT_EQ(parent.Count(WM_USER_OPEN_FILE), 2);
    EXPECT_EQ(pane.GetCurrentFileName(), "main.php");
}

TEST_F(FilesWinTest, FreedEntriesAreNeverDrawnNorClicked) {
    // The list is emptied behind the pane's back (a failed image read), then it paints.
    list.Clear();
    pane.Invalidate();
    pane.UpdateWindow();
    EXPECT_EQ(pane.Model().RowCount(), 0);
    ClickRow(2);
    EXPECT_EQ(pane.CountSelectedFiles(), 0);
}

TEST_F(FilesWinTest, NewAndRenameThroughTheNameDialog) {
    DoubleClickRow(0);  // into "lib"
    std::vector<std::string> texts;
    OnDialog(IDD_FILE_NAME, [&](CDialog* d) {
        d->SetDlgItemText(IDC_FILENAME_EDIT, "a");  // lib/a.php is there
        AnswerMessages(&texts, 0);
        Click(d, IDOK);  // refused: the box has come and gone
        d->SetDlgItemText(IDC_FILENAME_EDIT, "x");
        Click(d, IDOK);
    });
    pane.SendMessage(WM_COMMAND, ID_FILELIST_NEW);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], CResources::LoadString(IDS_FILENAME_IN_USE).str());
    ASSERT_NE(list.Find("lib/x.php"), nullptr);
    EXPECT_EQ(list.Find("lib/x.php")->state, FileEntry::kChanged);
    EXPECT_EQ(pane.GetCurrentFileName(), "lib/x.php");
    EXPECT_EQ(parent.Count(WM_USER_NEW_DOCUMENT), 1);
    EXPECT_GE(parent.Count(WM_USER_FILES_CHANGED), 1);

    DoubleClickRow(0);
    ClickRow(3);  // main.php, the one selected file
    std::string shown;
    bool overOwner = false;
    OnDialog(IDD_FILE_NAME, [&](CDialog* d) {
        shown = d->GetDlgItemText(IDC_FILENAME_EDIT).str();
        const CRect dlg = d->GetWindowRect(), owner = parent.GetWindowRect();
        overOwner = std::abs(dlg.left + dlg.right - owner.left - owner.right) <= 2 &&
                    std::abs(dlg.top + dlg.bottom - owner.top - owner.bottom) <= 2;
        d->SetDlgItemText(IDC_FILENAME_EDIT, "start");
        Click(d, IDOK);
    });
    pane.SendMessage(WM_COMMAND, ID_FILELIST_RENAME);
    EXPECT_EQ(shown, "main");
    EXPECT_TRUE(overOwner);  // centred over the window, not at its corner
    EXPECT_EQ(list.Find("main.php"), nullptr);
    ASSERT_NE(list.Find("start.php"), nullptr);
    EXPECT_EQ(info, "start.php");
    EXPECT_EQ(pane.GetCurrentFileName(), "start.php");  // it was open: the name follows
}

TEST_F(FilesWinTest, AddAndDropsSettleClashesAgainstTheWholeList) {
    const std::string a = dir + "\\a", b = dir + "\\b";
    ::CreateDirectoryA(a.c_str(), nullptr);
    ::CreateDirectoryA(b.c_str(), nullptr);
    for (const std::string& p : {a + "\\one.php", b + "\\one.php", b + "\\two.txt", b + "\\noext"}) WriteBytes(p, "x");
    pane.SetAddFileAction(2);
    pane.choose = {a + "\\one.php", b + "\\one.php", b + "\\two.txt", b + "\\noext"};
    pane.chooseFolder = b;
    OnDialog(IDD_SELECT_EDITOR, [](CDialog* d) {
        Click(d, IDC_EDITOR_EXTERNAL);
        Click(d, IDOK);
    });
    std::vector<std::string> texts;
    AnswerMessages(&texts, 0);  // No to the second one.php
    pane.SendMessage(WM_COMMAND, ID_FILELIST_ADD);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("one.php"), std::string::npos);
    ASSERT_NE(list.Find("one.php"), nullptr);
    EXPECT_EQ(list.Find("one.php")->pcPath, a + "\\one.php");
    EXPECT_EQ(list.Find("one.php")->state, FileEntry::kAddedExternal);
    EXPECT_NE(list.Find("two.txt"), nullptr);
    EXPECT_EQ(list.Find("noext"), nullptr);
    EXPECT_EQ(pane.Recent().Paths(), (std::vector<std::string>{b + "\\two.txt", a + "\\one.php"}));
    EXPECT_EQ(pane.GetLastAddFolder(), b.c_str());

    CStringArray paths;
    paths.Add("x.php");
    int answer = -1;
    pane.SendMessage(WM_FILEDRAG_OVER, reinterpret_cast<WPARAM>(&paths), reinterpret_cast<LPARAM>(&answer));
    EXPECT_EQ(answer, 1);
    editable = 0;
    pane.SendMessage(WM_FILEDRAG_OVER, reinterpret_cast<WPARAM>(&paths), reinterpret_cast<LPARAM>(&answer));
    EXPECT_EQ(answer, 0);
}

// A move into a folder is the OLE drag's test below.
TEST_F(FilesWinTest, AnOwnRowMovedBackToTheRootAsksBeforeReplacing) {
    Add("lib/main.php", FileEntry::kInStep, "new");
    DoubleClickRow(0);
    std::vector<std::string> texts;
    AnswerMessages(&texts, 1);
    pane.DropOwnRows({"lib/main.php"}, CPoint(50, 10));  // onto "..": clashes with the root's main.php
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("main.php"), std::string::npos);
    EXPECT_EQ(list.Find("main.php")->data, "new");
    EXPECT_EQ(list.Find("lib/main.php"), nullptr);
    EXPECT_GE(parent.Count(WM_USER_FILES_CHANGED), 1);
}

// ---- drags under Wine's OLE

TEST_F(FilesWinTest, ARowDraggedOntoAFolderMovesAndTheDragEndsWithIt) {
    // No button is down under Xvfb: OLE drops at once where the cursor is.
    POINT lib{50, 10};
    ::ClientToScreen(pane, &lib);
    ::SetCursorPos(lib.x, lib.y);
    Pump(50);
    pane.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 70));
    pane.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 40));
    Pump(100);
    EXPECT_FALSE(pane.IsOwnDragActive());
    ASSERT_NE(list.Find("lib/main.php"), nullptr);
    EXPECT_EQ(list.Find("lib/main.php")->state, FileEntry::kChanged);
    // A later drop from elsewhere is taken as files, not as rows; a folder in it is skipped.
    const std::string path = dir + "\\later.php", folder = dir + "\\sub";
    WriteBytes(path, "z");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    Drop({path, folder}, CPoint(50, 10));
    EXPECT_NE(list.Find("later.php"), nullptr);
    EXPECT_EQ(list.Find("sub"), nullptr);
}

// ---- the image pane

class ImageWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResources::SetLanguage(CResources::kEnglish);
        outer = TempFolder("zv_image");
        folder = outer + "\\inner";
        ::CreateDirectoryA(folder.c_str(), nullptr);
        CWndImage::SetTempFolderForTests(folder.c_str());
        ASSERT_TRUE(parent.Create(400, 400));
        ASSERT_TRUE(pane.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 300), parent.m_hWnd, 1020));
    }
    void TearDown() override {
        pane.DestroyWindow();
        parent.DestroyWindow();
        CWndImage::SetTempFolderForTests("");
    }
    // A w x h PNG of one colour, made with GDI+.
    std::string Png(int w, int h, COLORREF colour) {
        Gdiplus::Bitmap bmp(w, h, PixelFormat32bppARGB);
        Gdiplus::Graphics(&bmp).Clear(Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        CLSID png;
        EXPECT_GE(CWndImage::GetEncoderClsid(L"image/png", &png), 0);
        IStream* stream = nullptr;
        ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        bmp.Save(stream, &png, nullptr);
        HGLOBAL global = nullptr;
        ::GetHGlobalFromStream(stream, &global);
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        std::string bytes(static_cast<const char*>(::GlobalLock(global)), static_cast<size_t>(stat.cbSize.QuadPart));
        ::GlobalUnlock(global);
        stream->Release();
        return bytes;
    }
    COLORREF Centre() {
        pane.Invalidate();
        pane.UpdateWindow();
        return ScreenPixel(pane, 150, 150);
    }
    std::string outer, folder;
    CRecorder parent;
    CWndImage pane;
};

TEST_F(ImageWinTest, ShowsPngsThroughATemporaryCopy) {
    const std::string png = Png(200, 100, RGB(255, 0, 0));
    ASSERT_TRUE(pane.OpenImage(png.data(), png.size(), "lib/logo.png"));
    EXPECT_EQ(pane.TempPath().str(), folder + "\\lib-logo.png");
    EXPECT_TRUE(Exists(folder + "\\lib-logo.png"));
    EXPECT_EQ(pane.GetWidth(), 200);
    EXPECT_TRUE(pane.IsResizable());
    EXPECT_EQ(Centre(), RGB(255, 0, 0));
    CLSID unused;
    EXPECT_EQ(CWndImage::GetEncoderClsid(L"image/none", &unused), -1);
    pane.CloseImage();
    EXPECT_FALSE(Exists(folder + "\\lib-logo.png"));
}

TEST_F(ImageWinTest, AnimatesGoodGifsAndShowsBrokenOnesStillOrNotAtAll) {
    ASSERT_TRUE(pane.OpenImage(kAnimGif, sizeof kAnimGif, "anim.gif"));
    EXPECT_TRUE(pane.IsAnimated());
    EXPECT_FALSE(pane.IsResizable());
    // Each frame shows for its own delay (10 and 20 hundredths): the pane's
    // timer asks for it, and its tick shows the next frame.
    auto shows = [&](COLORREF colour) { return [&, colour] { return ScreenPixel(pane, 151, 151) == colour; }; };
    EXPECT_EQ(TimerPeriod(pane.m_hWnd, CWndImage::kTimerAnimate), 100u);
    Await("the animation's blue frame", shows(RGB(0, 0, 255)));
    EXPECT_EQ(TimerPeriod(pane.m_hWnd, CWndImage::kTimerAnimate), 200u);
    Await("the animation's red frame again", shows(RGB(255, 0, 0)));

    // Broken GIFs: short, without a delay per frame, with no size. Any of
    // them may show or not; none animates on missing data or crashes.
    const std::string full(reinterpret_cast<const char*>(kAnimGif), sizeof kAnimGif);
    std::string noDelays = full;
    for (size_t at; (at = noDelays.find("\x21\xf9\x04", 0)) != std::string::npos;) noDelays.erase(at, 8);
    std::string zeroSize = full;
    zeroSize[6] = zeroSize[8] = 0;
    const struct {
        std::string bytes;
        bool mayAnimate;
    } cases[] = {{full.substr(0, 70), true}, {full.substr(0, 20), false}, {noDelays, true},
                 {zeroSize, true},           {"GIF89a", false}};
    for (const auto& k : cases) {
        pane.OpenImage(k.bytes.data(), k.bytes.size(), "bad.gif");
        if (!k.mayAnimate) {
            EXPECT_FALSE(pane.IsAnimated()) << k.bytes.size();
        }
        Centre();
        Pump(50);
    }
    EXPECT_FALSE(pane.OpenImage(nullptr, 0, "empty.png"));  // an entry without bytes
    EXPECT_EQ(Centre(), RGB(255, 255, 255));
}

TEST_F(ImageWinTest, HostileNamesWriteNothingOutsideTheFolder) {
    const std::string png = Png(8, 8, RGB(0, 255, 0));
    ::DeleteFileA((outer + "\\evil.png").c_str());
    const char* names[] = {"..\\evil.png", "../evil.png", "..\\..\\evil.png", "a.png:s", "C:\\evil.png", "nul.png"};
    for (const char* name : names) {
        pane.OpenImage(png.data(), png.size(), name);
        if (pane.HasImage()) {
            const std::string path = pane.TempPath().str();
            EXPECT_EQ(path.substr(0, folder.size() + 1), folder + "\\") << name;
            EXPECT_EQ(path.find('\\', folder.size() + 1), std::string::npos) << name;
        }
        EXPECT_FALSE(Exists(outer + "\\evil.png")) << name;
    }
    EXPECT_FALSE(pane.OpenImage(png.data(), png.size(), ".."));
    EXPECT_EQ(pane.GetWidth(), 0);
}

// The resize dialog with the ratio kept: the other side follows every
// number, and a size OK refuses is explained, the dialog staying open.
TEST(ResizeDialog, KeepsTheRatioForEveryNumberAndSaysWhyASizeIsRefused) {
    CRecorder parent;
    ASSERT_TRUE(parent.Create());
    CDlgResize dlg(parent.m_hWnd, 2000, 1000);
    struct Step { int edit; const char* typed; int other; const char* follows; };
    const Step steps[] = {
        {IDC_RESIZE_WIDTH, "20100", IDC_RESIZE_HEIGHT, "10050"},  // past the largest side
        {IDC_RESIZE_WIDTH, "1", IDC_RESIZE_HEIGHT, "1"},          // never 0
        {IDC_RESIZE_HEIGHT, "3", IDC_RESIZE_WIDTH, "6"},
        {IDC_RESIZE_WIDTH, "20100", IDC_RESIZE_HEIGHT, "10050"},
    };
    std::vector<std::string> seen;
    std::string refused;
    OnDialog(IDD_RESIZE, [&](CDialog* d) {
        for (const Step& s : steps) {
            ::SetDlgItemTextA(d->m_hWnd, s.edit, s.typed);
            seen.push_back(ItemText(d->m_hWnd, s.other));
        }
        TakeMessage(&refused);
        Click(d, IDOK);  // refused: the box has come and gone
        // Still open; a size that fits goes through.
        ::SetDlgItemTextA(d->m_hWnd, IDC_RESIZE_HEIGHT, "50");
        Click(d, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    for (size_t i = 0; i < seen.size(); ++i) EXPECT_EQ(seen[i], steps[i].follows) << steps[i].typed;
    EXPECT_EQ(refused, "Enter a width and a height from 1 to 16384 pixels.");
    EXPECT_EQ(dlg.m_width, 100);
    EXPECT_EQ(dlg.m_height, 50);
    parent.DestroyWindow();
}
