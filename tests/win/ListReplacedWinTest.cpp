// The editor's text belongs to the list it was typed in. Every road that
// replaces or clears the list, crossed with what the editor holds and each
// answer the user gives: afterwards each entry holds exactly the bytes the
// user kept, the editor and its labels show the open entry as it is stored
// (or nothing), and the image an upload builds carries those bytes. The real
// main window, on a port the test plays the board on.
#include "FreshMainWindow.h"

#include "editor/WndEditor.h"
#include "framework/Resources.h"
#include "link/codecs/LinkFrame.h"
#include "link/codecs/PackedFile.h"
#include "resources/resource.h"
#include "tests/link/LinkFakes.h"
#include "ui/WindowMessages.h"
#include "workbench/bottom/WndProgress.h"
#include "workbench/files/WndImage.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace {

using Files = std::map<std::string, std::string>;
using Bytes = std::vector<uint8_t>;

std::string Png() {
    DWORD size = 0;
    const void* png = CResources::LoadData("PNG", MAKEINTRESOURCEA(IDP_STOP), &size);
    return png ? std::string(static_cast<const char*>(png), size) : std::string();
}

std::string Pack(const Files& files) { return Container(NamedFiles(files.begin(), files.end())); }

// Every question answered from the queue: the roads' questions come in a
// fixed order, and one nobody queued fails the row.
class AnsweredWindow : public QueuedAnswersWindow {
public:
    using QueuedAnswersWindow::QueuedAnswersWindow;
    int ShowMessage(const std::string& text, unsigned style, bool* applyToAll) override {
        if (style != CLinkDialogs::kStyleQuestion) {
            said.push_back(text);
            if (applyToAll) *applyToAll = false;
            return CLinkDialogs::kIdOk;
        }
        if (answers.empty()) {
            ADD_FAILURE() << "a question nobody expected: " << text;
            answers.push_back(CLinkDialogs::kIdNo);
        }
        return QueuedAnswersWindow::ShowMessage(text, style, applyToAll);
    }
};

struct Board {
    std::string fsId;  // hex of the file-system id the board reports
    Files files;
    enum { kImage, kNoFileSystem, kRefusesRead, kBootLoader } answer = kImage;
};

class Rig {
public:
    Rig() {
        PrepareFirstStart("zarvod_list_test");
        // Its own backup folder: a mark left by another suite offers no restore here.
        ::CreateDirectoryA(Backups().c_str(), nullptr);
        ::WritePrivateProfileStringA("Preference", "BackupPath", Backups().c_str(), CIniFile::Path());
        ok = ShowMainWindow(dlg);
    }
    ~Rig() {
        DeleteBackup();
        CloseMainWindow(dlg);
    }
    void DeleteBackup() {
        ::DeleteFileA(dlg.Link().Files().BackupPath(".wc").c_str());
        ::DeleteFileA(dlg.Link().Files().BackupPath(".kbx").c_str());
    }
    // The rows of a road share the window: each starts from board `a`'s list,
    // read afresh (its id is new to the window), with whatever the last row left
    // let go.
    void StartRow(const Board& board) {
        a = board;
        dlg.Link().Session().Disconnect(false);
        dlg.ClearEditor();
        DeleteBackup();
        dlg.answers = {IDYES};
        Connect(a);
        dlg.answers.clear();
    }
    static std::string Backups() { return TempFolder("zarvod_list_backup"); }

    void Feed(const Bytes& bytes) {
        port.input.append(bytes.begin(), bytes.end());
        dlg.Link().Session().OnSerialEvent(ILinkPort::kEvRxChar);
    }
    // Connect and identify; before the last identification answer (where the
    // backup is looked for) `beforeLast` runs; then the board's image is served.
    void Connect(const Board& b, const std::function<void()>& beforeLast = {}) {
        CLinkSession& s = dlg.Link().Session();
        ASSERT_TRUE(s.Connect("COM7"));
        if (b.answer == Board::kBootLoader) {
            const std::string line = "100 ISP boot loader ready\r\n";
            Feed(Bytes(line.begin(), line.end()));
            return;
        }
        Feed(Bytes{static_cast<uint8_t>((s.GetSyncByte() - 0x20) ^ 0x3F)});
        s.OnTimer(CLinkSession::kTimerOpenWaitBox);
        dlg.Link().OnIdentifyStart();
        Feed(Reply(1, 0x25, ItemBytes({3, 7, 9})) + Reply(1, 0x11, ItemInt(1 << 20)) + Reply(1, 0x21, ItemBytes(Hex(b.fsId))) +
             Reply(1, 0x22, ItemBytes({0x5A})) + Reply(1, 0x23, ItemBytes(Bytes(12, 0x22))) +
             Reply(1, 0x24, ItemBytes(Bytes(6, 1))) + Reply(1, 0x40, ItemInt(0)) + Reply(1, 0x40, ItemInt(0)));
        if (beforeLast) beforeLast();
        Feed(Reply(1, 0x33, ItemBytes({0xDE})));
        ServeImage(b);
    }
    // The image read, when one is under way.
    void ServeImage(const Board& b) {
        if (dlg.Link().Session().GetTransferType() != CLinkSession::kTransferFsImage) return;
        if (b.answer == Board::kNoFileSystem) return Feed(Reply(3, 0x11, ItemInt(16), true));
        if (b.answer == Board::kRefusesRead) return Feed(Reply(3, 0x11, ItemInt(5), true));
        const std::string image = Pack(b.files);
        Feed(LinkFrame::DataChunk(0, reinterpret_cast<const uint8_t*>(image.data()), image.size()) +
             Reply(3, 0x11, ItemInt(static_cast<int32_t>(image.size()))));
    }
    void WriteBackup(const Files& files) {
        ASSERT_TRUE(WriteBytes(dlg.Link().Files().BackupPath(".kbx"), Pack(files)));
        ASSERT_TRUE(WriteBytes(dlg.Link().Files().BackupPath(".wc"), std::string("\x02\x01", 2)));
    }
    CWndEditor& Editor() { return *reinterpret_cast<CWndEditor*>(CWnd::FromHandlePermanent(dlg.GetDlgItem(CZarvoDDlg::kEditor))); }
    void Open(const std::string& name) {
        FileEntry* e = dlg.Link().Files().Entries().Find(name);
        ASSERT_TRUE(e) << name;
        ASSERT_EQ(dlg.SendMessage(WM_USER_OPEN_FILE, reinterpret_cast<WPARAM>(e), e->kind == FileEntry::kImage), 1) << name;
    }
    Files Entries() {
        Files out;
        const CFileEntryList& list = dlg.Link().Files().Entries();
        for (size_t i = 0; i < list.Count(); ++i)
            if (list.At(i).kind != FileEntry::kFolder) out[list.At(i).name] = list.At(i).data;
        return out;
    }
    // What an upload would write, read back from its image.
    Files Uploaded() {
        if (!dlg.Link().Files().BuildUploadImage()) return {{"<no image>", ""}};
        const CLinkSession& s = dlg.Link().Session();
        std::vector<PackedFile::Entry> parsed;
        PackedFile::ImageInfo info;
        if (PackedFile::ParseImage(s.Image().data.data(), static_cast<size_t>(s.Image().count), parsed, info) !=
            PackedFile::Error::None)
            return {{"<bad image>", ""}};
        Files out;
        for (const PackedFile::Entry& e : parsed)
            if (!e.data.empty()) out[e.name] = e.data;
        return out;
    }

    FuzzPort port;
    AnsweredWindow dlg{port};
    bool ok = false;
    Board a;  // this row's first board
};

const std::string kPng = Png();
const Board kA{"A1A1", {{"index.php", "<?php A ?>"}, {"a.php", "<?php a ?>"}, {"pic.png", kPng}}};
// B's image is larger than A's list: the flash bar tells them apart.
const Board kB{"B2B2", {{"index.php", "<?php B ?>"}, {"b.php", "<?php b ?>"}, {"b.txt", std::string(1200, 'b')}}};
const Files kPacked = {{"index.php", "<?php P ?>"}, {"a.php", "<?php Pa ?>"}};
// Larger than A's list: the flash bar tells them apart.
const Files kBackup = {{"index.php", "<?php K ?>"}, {"big.txt", std::string(1500, 'k')}};

// What the editor holds when the list is replaced.
struct EditorState {
    const char* what;
    const char* open;
    bool typed;  // "X" typed at its start
};
const EditorState kEditorStates[] = {
    {"index.php unchanged", "index.php", false},
    {"index.php changed", "index.php", true},
    {"a.php changed (not on the other board)", "a.php", true},
    {"a picture shown", "pic.png", false},
};

// A road: what it does, the answers it takes from the user (`answer` is
// the answer to the unsaved-files question, or to the packed file's
// "exists"), and the files the user keeps: `kept` given the list before
// (the edited one) and whether the unsaved question was answered Yes.
struct Road {
    const char* what;
    std::function<void(Rig&, int answer)> run;
    std::function<Files(const Files& before, bool asked, int answer)> kept;
};

// Names and sizes, and the start of each text: a failure prints what differs.
std::string Describe(const Files& files) {
    std::string out;
    for (const auto& f : files) out += f.first + "=" + std::to_string(f.second.size()) + ":" + f.second.substr(0, 12) + " ";
    return out;
}

// A file's bytes; "" for a name the list lacks.
std::string Of(const Files& files, const std::string& name) {
    const auto it = files.find(name);
    return it == files.end() ? std::string() : it->second;
}

Files Overlay(Files base, const Files& top) {
    for (const auto& f : top) base[f.first] = f.second;
    return base;
}

std::function<Files(const Files&, bool, int)> Replaces(const Files& with) {
    return [with](const Files& before, bool asked, int answer) { return asked && answer == IDNO ? before : with; };
}

// Board A gone (Disconnect), then `b` connected on the same port.
void AfterA(Rig& r, const Board& b, const std::function<void()>& beforeLast = {}) {
    r.dlg.Link().Session().Disconnect(false);
    r.Connect(b, beforeLast);
}

const Road kRoads[] = {
    {"another board's image",
     [](Rig& r, int a) { r.dlg.answers.push_back(a); AfterA(r, kB); }, Replaces(kB.files)},
    {"the same board's image after a reconnect",
     [](Rig& r, int) { AfterA(r, r.a); }, [](const Files& before, bool, int) { return before; }},
    {"an empty image",
     [](Rig& r, int a) { r.dlg.answers.push_back(a); AfterA(r, {"C3C3", {}, Board::kNoFileSystem}); }, Replaces({})},
    {"a refused image read",
     [](Rig& r, int) { AfterA(r, {"C3C3", {}, Board::kRefusesRead}); }, [](const Files& before, bool, int) { return before; }},
    {"a packed file opened",
     [](Rig& r, int a) {
         const std::string path = TempFolder("zarvod_list_packed") + "\\p.kbx";
         ASSERT_TRUE(WriteBytes(path, Pack(kPacked)));
         r.dlg.answers = {a, a};  // each clashing name is asked about
         r.dlg.Link().Files().ReadPackedFile(path);
     },
     [](const Files& before, bool, int a) { return a == IDYES ? Overlay(before, kPacked) : before; }},
    {"the backup restored",
     [](Rig& r, int a) {
         r.dlg.answers = {IDYES, a};
         AfterA(r, kB, [&r] { r.WriteBackup(kBackup); });
     },
     Replaces(kBackup)},
    {"the backup restored after No, No",
     [](Rig& r, int a) {
         r.dlg.answers = {IDNO, IDNO, a};
         AfterA(r, kB, [&r] { r.WriteBackup(kBackup); });
     },
     Replaces(kBackup)},
    {"the backup declined, the board's image read",
     [](Rig& r, int a) {
         r.dlg.answers = {IDNO, IDYES, a};
         AfterA(r, kB, [&r] { r.WriteBackup(kBackup); });
         r.dlg.Link().OnIdentifyStart();  // the wait box's notice
         r.ServeImage(kB);
     },
     Replaces(kB.files)},
    {"a board in its boot loader",
     [](Rig& r, int a) {
         r.dlg.answers.push_back(a);
         AfterA(r, {"", {}, Board::kBootLoader});
     },
     Replaces({})},
};

}  // namespace

TEST(ListReplaced, TheEditorsTextStaysWithTheListItWasTypedIn) {
    ASSERT_FALSE(kPng.empty());
    int rows = 0;
    Rig r;
    ASSERT_TRUE(r.ok);
    for (const Road& road : kRoads) {
        for (const EditorState& ed : kEditorStates) {
            for (int answer : {IDYES, IDNO}) {
                SCOPED_TRACE(std::string(road.what) + ", " + ed.what + ", answer " + (answer == IDYES ? "Yes" : "No"));
                Board a = kA;
                a.fsId = "A1A1" + std::string(1, "0123456789ABCDEF"[rows / 16 % 16]) + "0123456789ABCDEF"[rows % 16];
                ++rows;
                // A failed row ends that row alone.
                [&] {
                    r.StartRow(a);
                    ASSERT_EQ(r.Entries(), kA.files);
                    r.Open(ed.open);
                    Files before = kA.files;
                    if (ed.typed) {
                        r.Editor().SendMessage(WM_CHAR, 'X', 1);
                        before[ed.open] = "X" + before[ed.open];
                        ASSERT_EQ(r.Editor().GetText(), before[ed.open]);
                    }
                    road.run(r, answer);
                    // Only a changed file is asked about (an answer left over was not needed).
                    const Files kept = road.kept(before, ed.typed, answer);
                    r.dlg.answers.clear();

                    // The editor and its labels show the open entry as stored, or nothing.
                    const std::string open = r.dlg.GetOpenFileName();
                    const auto shown = kept.find(ed.open);
                    EXPECT_EQ(open, shown != kept.end() ? ed.open : "");
                    HWND name = r.dlg.GetDlgItem(CZarvoDDlg::kNameLabel), size = r.dlg.GetDlgItem(CZarvoDDlg::kSizeLabel);
                    EXPECT_EQ(WindowText(name), open);
                    // Typing does not change the size shown; an entry shown afresh has its own.
                    const bool stillTyped = ed.typed && open == ed.open && Of(kept, open) == Of(before, open);
                    if (!stillTyped) EXPECT_EQ(WindowText(size), open.empty() ? "" : std::to_string(Of(kept, open).size()) + "byte");
                    HWND pane = r.dlg.GetDlgItem(CZarvoDDlg::kImagePane);
                    auto* viewer = pane ? reinterpret_cast<CWndImage*>(CWnd::FromHandlePermanent(pane)) : nullptr;
                    const bool picture = open == "pic.png";
                    EXPECT_EQ(viewer && ::IsWindowVisible(pane) && viewer->HasImage(), picture);
                    if (!picture) EXPECT_EQ(r.Editor().GetText(), Of(kept, open));
                    if ((kept == kBackup || kept == before) && !r.dlg.Link().Session().IsIspMode()) {
                        // What the files kept take, not the last image read (the
                        // boot loader tells no flash size).
                        auto* bar = reinterpret_cast<CWndProgress*>(CWnd::FromHandlePermanent(r.dlg.GetDlgItem(CZarvoDDlg::kFlashBar)));
                        ASSERT_TRUE(bar);
                        EXPECT_EQ(bar->m_used, Pack(kept).size());
                    }
                    // The upload takes the editor's text into its entry first (the
                    // boot loader takes no upload).
                    if (r.dlg.Link().Session().IsIspMode())
                        r.dlg.Link().Files().TakeEditorText();
                    else
                        EXPECT_EQ(Describe(r.Uploaded()), Describe(kept));
                    EXPECT_EQ(Describe(r.Entries()), Describe(kept));
                }();
                if (!ed.typed) break;  // no question: the answer changes nothing
            }
        }
    }
}
