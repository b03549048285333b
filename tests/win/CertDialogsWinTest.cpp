// The certificate flow's failures in-process, under a fake main window that
// records and answers the block messages (its good roads are the certificates road).
#include "WinTestSupport.h"

#include "config/CertFlow.h"
#include "config/CertMaker.h"
#include "config/DlgCertMake.h"
#include "config/DlgCertSelect.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"

#include <gtest/gtest.h>

namespace {

// The main window's side: block writes answered as told.
struct FakeMain {
    CRecorder wnd;
    CDialog settings{IDD_PROGRESS, nullptr};  // any template stands in for the Settings dialog
    LRESULT keyResult = 1;
    bool settingsEnabledDuringWrite = true;
    std::function<void()> duringKeyWrite;

    FakeMain() {
        CResources::SetLanguage(CResources::kEnglish);
        wnd.Create();
        settings.Create(IDD_PROGRESS, wnd.m_hWnd);
        settings.ShowWindow(SW_SHOW);
        wnd.answer = [this](UINT m, WPARAM, LPARAM, LRESULT* r) {
            if (m == WM_USER_WRITE_KEY_BLOCK) {
                settingsEnabledDuringWrite = ::IsWindowEnabled(settings.m_hWnd) != FALSE;
                if (duringKeyWrite) duringKeyWrite();
                *r = keyResult;
                return true;
            }
            if (m != WM_USER_WRITE_CERT_BLOCK && m != WM_USER_READ_CERT_BLOCK) return false;
            *r = 1;
            return true;
        };
    }
    ~FakeMain() {
        if (::IsWindow(settings.m_hWnd)) settings.DestroyWindow();
        wnd.DestroyWindow();
    }
};

CertKeys MadeKeys() {
    CertKeys keys;
    std::string error;
    EXPECT_TRUE(CCertMaker::MakeSelfSigned({"KR", "S", "L", "O", "U", "10.0.0.9", "a@b.c"}, 1024, keys, error));
    return keys;
}

}  // namespace

TEST(CertDialogsWinTest, AFailedOrInterruptedKeyWriteStopsBeforeTheCertificate) {
    CertKeys keys = MadeKeys();
    for (bool closeSettings : {false, true}) {
        FakeMain main;
        main.keyResult = 0;
        // The main window runs messages while it waits: the dialog may go meanwhile.
        if (closeSettings) main.duringKeyWrite = [&main] { main.settings.DestroyWindow(); };
        CertBlockCopy board;
        std::string shown;
        if (!closeSettings) TakeMessage(&shown);
        EXPECT_EQ(0, CCertFlow(main.settings, board, true, 0).Upload(keys.cert.get(), keys.rsa.get(), keys.dsa.get()));
        Pump(50);
        EXPECT_EQ(1, main.wnd.Count(WM_USER_WRITE_KEY_BLOCK));
        EXPECT_EQ(0, main.wnd.Count(WM_USER_WRITE_CERT_BLOCK));
        EXPECT_EQ(0, main.wnd.Count(WM_USER_READ_CERT_BLOCK));
        EXPECT_EQ(closeSettings ? "" : "Has failed to save the certificate.", shown);
        EXPECT_FALSE(main.settingsEnabledDuringWrite);  // held off while the board writes
        EXPECT_TRUE(closeSettings || ::IsWindowEnabled(main.settings.m_hWnd));
    }
}

TEST(CertDialogsWinTest, BoardCertificateIsShownAtItsTopOrExplained) {
    FakeMain main;
    CertKeys keys = MadeKeys();
    CertUploadBlocks blocks;
    std::string error;
    ASSERT_TRUE(CKeyBlocks::PrepareUpload(keys.cert.get(), keys.rsa.get(), nullptr, CertBlockCopy{}, blocks, error));
    CertBlockCopy good;
    good.records.assign(blocks.certBlock.begin() + 16, blocks.certBlock.end());
    good.length = static_cast<int>(good.records.size());
    CertBlockCopy damaged = good;
    damaged.records[20] ^= 0xFF;
    CertBlockCopy none;
    DWORD selection = 1;
    OnDialog(IDD_CERT_INFO, [&](CDialog* info) {
        selection = static_cast<DWORD>(::SendMessageA(info->GetDlgItem(IDC_CERT_TEXT), EM_GETSEL, 0, 0));
        Click(info, IDOK);
    });
    CCertFlow(main.settings, good, true, 0).ShowBoardCertificate();
    EXPECT_EQ(0u, selection);  // at its top, nothing selected

    struct Case {
        CertBlockCopy* copy;
        const char* message;
    } cases[] = {{&none, "There is no certificate in the product."}, {&damaged, "Certificate error has been occurred."}};
    for (const Case& c : cases) {
        std::string shown;
        TakeMessage(&shown);
        CCertFlow(main.settings, *c.copy, true, 0).ShowBoardCertificate();
        EXPECT_EQ(c.message, shown);
    }
}

TEST(CertDialogsWinTest, FileChoiceAsksAgainWhileNoFileIsChosen) {
    FakeMain main;
    CDlgCertSelect select(main.settings.m_hWnd);
    select.m_mode = CDlgCertSelect::kRsaKey;
    std::string msg1, msg2, shown;
    OnDialog(IDD_CERT_SELECT, [&](CDialog* d) {
        msg1 = ItemText(d->m_hWnd, IDC_CERT_MSG1);
        msg2 = ItemText(d->m_hWnd, IDC_CERT_MSG2);
        TakeMessage(&shown);
        Click(d, IDOK);  // the box has come and gone
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, select.DoModal());
    EXPECT_EQ("There is no RSA key in the selected certificate.", msg1);
    EXPECT_EQ("Select a RSA key.", msg2);
    EXPECT_EQ("Select a RSA key.", shown);
}

// Enter does not close the form, but an open list takes it and closes.
TEST(CertDialogsWinTest, EnterClosesAnOpenListAndNeverTheForm) {
    FakeMain main;
    CDlgCertMake make(main.settings.m_hWnd);
    bool listClosed = false, formKept = false;
    OnDialog(IDD_CERT_MAKE, [&](CDialog* d) {
        const HWND bits = ::GetDlgItem(d->m_hWnd, IDC_CERT_KEY_BITS);
        ::SetFocus(bits);
        ::SendMessageA(bits, CB_SHOWDROPDOWN, TRUE, 0);
        PostKey(bits, VK_RETURN);
        PostKey(bits, VK_RETURN);  // the list is closed by then
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) CWinApp::PumpMessage(msg);
        listClosed = ::SendMessageA(bits, CB_GETDROPPEDSTATE, 0, 0) == 0;
        formKept = ::IsWindowVisible(d->m_hWnd) != FALSE;
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, make.DoModal());
    EXPECT_TRUE(listClosed);
    EXPECT_TRUE(formKept);
}

TEST(CertDialogsWinTest, ACertificateFileThatCannotBeReadSaysWhy) {
    const std::string folder = TempFolder("zarvod_cert_files");
    const std::string big = folder + "\\big.pem";
    {
        // Opens fine; only its size is wrong.
        HANDLE f = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        ::SetFilePointer(f, 10 * 1024 * 1024, nullptr, FILE_BEGIN);
        ::SetEndOfFile(f);
        ::CloseHandle(f);
    }
    struct Row {
        std::string path;
        const char* shown;
    } rows[] = {
        {big, "The file is too large (over 1 MiB)."},
        {folder + "\\missing.pem", "Has failed to open the file."},
    };
    for (const Row& r : rows) {
        FakeMain main;
        CertBlockCopy board;
        std::string shown;
        TakeMessage(&shown);
        CCertFlow(main.settings, board, true, 0).ImportSigned(r.path);
        Pump(50);
        EXPECT_EQ(shown, r.shown) << r.path;
        EXPECT_EQ(0, main.wnd.Count(WM_USER_WRITE_KEY_BLOCK));
    }
    ::DeleteFileA(big.c_str());
}
