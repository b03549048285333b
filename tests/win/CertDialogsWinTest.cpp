// The certificate dialogs and their flow, in-process, under a fake main window
// that records and answers the block messages.
#include "WinTestSupport.h"

#include "config/CertFlow.h"
#include "config/CertMaker.h"
#include "config/DlgCertSelect.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "workbench/WindowMessages.h"

#include <gtest/gtest.h>
#include <openssl/pkcs12.h>

#include <fstream>

namespace {

std::string Text(CDialog* d, int id) { return ItemText(d->m_hWnd, id); }

// The main window's side: block writes answered, their bytes kept.
struct FakeMain {
    CRecorder wnd;
    CDialog settings{IDD_PROGRESS, nullptr};  // any template stands in for the Settings dialog
    LRESULT keyResult = 1, certResult = 1;
    std::vector<uint8_t> keyBlock, certBlock;
    bool settingsEnabledDuringWrite = true;
    std::function<void()> duringKeyWrite;

    FakeMain() {
        CResources::SetLanguage(CResources::kEnglish);
        wnd.Create();
        settings.Create(IDD_PROGRESS, wnd.m_hWnd);
        settings.ShowWindow(SW_SHOW);
        wnd.answer = [this](UINT m, WPARAM w, LPARAM l, LRESULT* r) {
            auto* bytes = reinterpret_cast<const uint8_t*>(w);
            if (m == WM_USER_WRITE_KEY_BLOCK) {
                keyBlock.assign(bytes, bytes + l);
                settingsEnabledDuringWrite = ::IsWindowEnabled(settings.m_hWnd) != FALSE;
                if (duringKeyWrite) duringKeyWrite();
                *r = keyResult;
                return true;
            }
            if (m == WM_USER_WRITE_CERT_BLOCK) {
                certBlock.assign(bytes, bytes + l);
                *r = certResult;
                return true;
            }
            if (m == WM_USER_READ_CERT_BLOCK) {
                *r = 1;
                return true;
            }
            return false;
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

std::string Magic(const std::vector<uint8_t>& block) {
    return block.size() < 4 ? std::string() : std::string(block.begin(), block.begin() + 4);
}

}  // namespace

TEST(CertDialogsWinTest, SelfSignedRoadWritesKeyThenCertificateThenReadsBack) {
    FakeMain main;
    CertBlockCopy board;
    CCertFlow flow(main.settings, board, false, 0x0302010A);  // 10.1.2.3
    std::string refusal, saved, commonName;
    bool readEnabled = true;
    OnDialog(IDD_CERT, [&](CDialog* d) {
        readEnabled = ::IsWindowEnabled(d->GetDlgItem(IDC_CERT_READ)) != FALSE;
        OnDialog(IDD_CERT_MAKE, [&](CDialog* form) {
            commonName = Text(form, IDC_CERT_CN);
            form->SetDlgItemText(IDC_CERT_CN, "");
            // The refusal keeps the form open; then a good name goes through.
            TakeMessage(&refusal, [&main, &saved, form] {
                form->SetDlgItemText(IDC_CERT_CN, "board.local");
                After(50, [&saved, form] {
                    TakeMessage(&saved);
                    Click(form, IDOK);
                });
            });
            Click(form, IDOK);
        });
        Click(d, IDOK);
    });
    flow.Run();
    EXPECT_FALSE(readEnabled);  // the board has no certificate
    EXPECT_EQ("10.1.2.3", commonName);
    EXPECT_EQ(0u, refusal.find("Common Name : string too short")) << refusal;
    EXPECT_EQ("eVnC", Magic(main.keyBlock));
    EXPECT_EQ(16u + 264u + 304u, main.keyBlock.size());
    EXPECT_EQ("eVnM", Magic(main.certBlock));
    ASSERT_EQ(1, main.wnd.Count(WM_USER_READ_CERT_BLOCK));
    for (const auto& r : main.wnd.records) {
        if (r.message == WM_USER_READ_CERT_BLOCK) {
            EXPECT_EQ(reinterpret_cast<WPARAM>(&main.settings), r.wParam);
        }
    }
    EXPECT_EQ("Has succeded in saving the certificate.", saved);
    EXPECT_FALSE(main.settingsEnabledDuringWrite);
    EXPECT_TRUE(::IsWindowEnabled(main.settings.m_hWnd));
}

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
        EXPECT_TRUE(closeSettings || ::IsWindowEnabled(main.settings.m_hWnd));
    }
}

TEST(CertDialogsWinTest, Pkcs12ImportRefusesAWrongPassPhrase) {
    FakeMain main;
    CertKeys keys = MadeKeys();
    PKCS12* p12 = PKCS12_create("secret", "board", keys.rsa.get(), keys.cert.get(), nullptr,
                                NID_pbe_WithSHA1And3_Key_TripleDES_CBC, NID_pbe_WithSHA1And40BitRC2_CBC, 0, 0, 0);
    ASSERT_NE(nullptr, p12);
    const std::string path = TempFolder("zarvod_cert_test") + "\\board.p12";
    {
        unsigned char* der = nullptr;
        int n = i2d_PKCS12(p12, &der);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<char*>(der), n);
        OPENSSL_free(der);
        PKCS12_free(p12);
    }
    // A wrong pass phrase is said and writes nothing (the right one is the certificates road).
    CertBlockCopy board;
    std::string shown;
    OnDialog(IDD_WLAN_IDPW, [&](CDialog* prompt) {
        EXPECT_FALSE(::IsWindowVisible(prompt->GetDlgItem(IDC_IDPW_ID)));
        prompt->SetDlgItemText(IDC_IDPW_PW, "wrong");
        TakeMessage(&shown);
        Click(prompt, IDOK);
    });
    CCertFlow(main.settings, board, true, 0).ImportSigned(path);
    EXPECT_EQ("Certificate error has been occurred.", shown);
    EXPECT_TRUE(main.keyBlock.empty());
    ::DeleteFileA(path.c_str());
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
        msg1 = Text(d, IDC_CERT_MSG1);
        msg2 = Text(d, IDC_CERT_MSG2);
        TakeMessage(&shown, [d] { After(50, [d] { Click(d, IDCANCEL); }); });
        Click(d, IDOK);
    });
    EXPECT_EQ(IDCANCEL, select.DoModal());
    EXPECT_EQ("There is no RSA key in the selected certificate.", msg1);
    EXPECT_EQ("Select a RSA key.", msg2);
    EXPECT_EQ("Select a RSA key.", shown);
}
