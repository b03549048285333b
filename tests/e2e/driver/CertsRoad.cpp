// The certificate road: in Settings, a self-signed certificate with its keys
// made, written, read back and shown; then a CA-signed one imported from a
// PKCS#12 file and written in its place (roads/certs.sh checks the blocks).
#include "driver/Driver.h"

#include <string>

namespace e2e {
namespace {

enum : int {
    kSetCert = 1038, kCertSelf = 1048, kCertCa = 1049, kCertRead = 1050, kCertText = 1059, kCertOrg = 1069,
    kCertCn = 1071, kCertOpen = 1001, kCertPath = 1073, kCertQuestion = 1060, kUserId = 1062, kPassPhrase = 1064,
    kFileName = 0x47C,  // the file dialog's name box (Wine's, as Windows' explorer-style one)
};

const char kCommonName[] = "zarvo-road.example";
const char kImportedName[] = "imported-road.example";  // roads/certs.sh makes its PKCS#12 file
// The organisation typed: a Korean one goes through code page 949 to UTF-8.
const wchar_t* Organisation() { return g_lang == 1042 ? L"\uC790\uB974\uBCF4 \uC5F0\uAD6C\uC18C" : L"Zarvo Road Test"; }

// A visible dialog of the program over owner that has that control.
HWND OwnedDialog(HWND owner, int child, DWORD ms) {
    Program in;  // the owner's process: the main window or one of its dialogs
    in.main = owner;
    return WaitOwnedDialog(in, owner, child, ms);
}

bool WaitGone(HWND dlg) {
    return WaitFor([&] { return Gone(dlg); }, 10000);
}

// The Korean one is set whole: Wine's ANSI edits take a posted WM_CHAR byte
// by byte and never join a lead byte of code page 949 to its trail byte, so
// each Hangul syllable would arrive as two "?".
void TypeOrganisation(HWND edit) {
    if (g_lang == 1042)
        ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Organisation()));
    else
        Retype(edit, "Zarvo Road Test");
}

std::wstring Wide(const std::string& ansi) {
    std::wstring w(ansi.size() + 1, L'\0');
    w.resize(::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &w[0], static_cast<int>(w.size())));
    if (!w.empty()) w.pop_back();
    return w;
}

// Certificate, then the choice dialog with one way chosen (closed with OK).
HWND ChooseWay(HWND settings, int way, const char* what) {
    WaitFor([&] { return ::IsWindowEnabled(::GetDlgItem(settings, kSetCert)) != 0; }, 20000);
    Press(settings, kSetCert);
    HWND choice = OwnedDialog(settings, kCertSelf, 10000);
    if (!Check(choice != nullptr, what)) return nullptr;
    if (way == kCertCa) {
        Press(choice, kCertCa);
        WaitFor([&] { return ::SendMessageA(::GetDlgItem(choice, kCertCa), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000);
    }
    return choice;
}

// The program's box after a write: its only button closes it.
bool SavedBox(HWND settings, const char* what, DWORD ms) {
    HWND box = OwnedDialog(settings, kMsgButton1, ms);
    if (!Check(box != nullptr, what)) return false;
    Shot(what);
    Press(box, kMsgButton1);
    return WaitGone(box);
}

// Read from the board and shown: the certificate's text.
std::string ReadBack(HWND settings) {
    HWND choice = ChooseWay(settings, kCertRead, "Certificate opens the choice again");
    if (!choice) return {};
    const HWND read = ::GetDlgItem(choice, kCertRead);
    Check(::IsWindowEnabled(read) && ::SendMessageA(read, BM_GETCHECK, 0, 0) == BST_CHECKED,
          "with a certificate on the board, reading it is offered and chosen");
    Press(choice, IDOK);
    HWND info = OwnedDialog(settings, kCertText, 20000);
    const std::string text = info ? Text(::GetDlgItem(info, kCertText)) : std::string();
    Check(info && !::IsWindowVisible(::GetDlgItem(info, kCertQuestion)), "the board's certificate is shown, nothing asked");
    if (info) {
        Shot("certificate-read-back");
        Press(info, IDOK);
        WaitGone(info);
    }
    return text;
}

void MakeSelfSigned(HWND settings) {
    HWND choice = ChooseWay(settings, kCertSelf, "Certificate opens the choice of ways");
    if (!choice) return;
    Check(::SendMessageA(::GetDlgItem(choice, kCertSelf), BM_GETCHECK, 0, 0) == BST_CHECKED &&
              !::IsWindowEnabled(::GetDlgItem(choice, kCertRead)),
          "no certificate on the board yet: self-signed chosen, reading it disabled");
    Shot("certificate-choice");
    Press(choice, IDOK);
    HWND form = OwnedDialog(settings, kCertCn, 10000);
    if (!Check(form != nullptr, "the self-signed form opens")) return;
    const std::string preset = Text(::GetDlgItem(form, kCertCn));
    Check(Count(preset, ".") == 3, "the common name starts as the board's address", preset);
    Retype(::GetDlgItem(form, kCertCn), kCommonName);
    TypeOrganisation(::GetDlgItem(form, kCertOrg));
    WaitFor([&] { return Text(::GetDlgItem(form, kCertCn)) == kCommonName; }, 5000);
    Shot("certificate-form");
    Press(form, IDOK);
    // RSA and DSA keys are made, then both blocks are written.
    SavedBox(settings, "the keys are made and both blocks written", 90000);
}

void ImportSigned(HWND settings, const std::string& file) {
    HWND choice = ChooseWay(settings, kCertCa, "Certificate opens the choice for an import");
    if (!choice) return;
    Press(choice, IDOK);
    HWND select = OwnedDialog(settings, kCertOpen, 10000);
    if (!Check(select != nullptr, "the file choice opens")) return;
    Press(select, kCertOpen);
    HWND open = OwnedDialog(select, kFileName, 15000);
    if (!Check(open != nullptr, "Open shows the file dialog")) return;
    ::SendMessageA(FileNameBox(open), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    Press(open, IDOK);
    Check(WaitGone(open) && WaitFor([&] { return Text(::GetDlgItem(select, kCertPath)) == file; }, 5000),
          "the chosen file shows in the file choice", Text(::GetDlgItem(select, kCertPath)));
    Shot("certificate-file");
    Press(select, IDOK);
    HWND prompt = OwnedDialog(settings, kPassPhrase, 10000);
    Check(prompt != nullptr && !::IsWindowVisible(::GetDlgItem(prompt, kUserId)), "a PKCS#12 file asks its pass phrase only");
    if (!prompt) return;
    Retype(::GetDlgItem(prompt, kPassPhrase), "road-secret");
    Shot("pass-phrase");
    WaitFor([&] { return Text(::GetDlgItem(prompt, kPassPhrase)).size() == 11; }, 5000);
    Press(prompt, IDOK);
    HWND info = OwnedDialog(settings, kCertText, 20000);
    const std::string text = info ? Text(::GetDlgItem(info, kCertText)) : std::string();
    const bool shown = info && Contains(text, kImportedName) && ::IsWindowVisible(::GetDlgItem(info, kCertQuestion));
    Check(shown, "the imported certificate is shown with the question", shown ? std::string() : text.substr(0, 200));
    if (!info) return;
    Shot("certificate-import");
    Press(info, IDOK);
    SavedBox(settings, "the imported certificate and key written", 30000);
}

void CertsRoad(const Program& p, const char* port) {
    Connect(p, port);
    ::PostMessageA(p.main, WM_COMMAND, kSettings, 0);
    HWND settings = OwnedDialog(p.main, kSetCert, 15000);
    if (!Check(settings != nullptr, "Settings opens")) return;
    Shot("settings");
    MakeSelfSigned(settings);

    const std::string shown = ReadBack(settings);
    const bool subject = Contains(shown, "commonName") && Contains(shown, kCommonName) &&
                         Wide(shown).find(Organisation()) != std::wstring::npos;
    Check(subject, "the certificate read back from the board has the subject typed",
          subject ? std::string() : shown.substr(0, 400));

    ImportSigned(settings, RoadPath("road.p12"));

    Check(Close(p, settings, IDCANCEL, 10000), "Settings closes");
    p.Click(kDisconnect);
    Check(WaitFor([&] { return p.Enabled(kConnect); }, 10000), "disconnects");
}

}  // namespace

ZARVO_ROAD("certs", CertsRoad);

}  // namespace e2e
