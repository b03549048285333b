#include "config/DlgFWUpgrade.h"

#include "framework/CommonDialogs.h"
#include "framework/Resources.h"
#include "link/codecs/FirmwareImage.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "ui/WindowMessages.h"
#include "ui/kit/Memdc.h"

#include <commdlg.h>

#include <algorithm>


namespace {
const CRect kPathBox(10, 15, 300, 35);
const CRect kProgressBox(10, 45, 300, 65);
}

CDlgFWUpgrade::CDlgFWUpgrade(HWND parent) : CDialog(IDD_FW_UPGRADE, parent) {}

BEGIN_MESSAGE_MAP(CDlgFWUpgrade, CDialog)
    ON_WM_CREATE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_BN_CLICKED(IDC_FWUP_OPEN, OnOpen)
    ON_BN_CLICKED(IDC_FWUP_SEND, OnSend)
    ON_MESSAGE(WM_USER_UPGRADE_PROGRESS, OnProgress)
    ON_MESSAGE(WM_USER_ISP_CONNECTED, OnIspConnected)
    ON_MESSAGE(WM_USER_UPGRADE_RESULT, OnResult)
    ON_MESSAGE(WM_USER_UPGRADE_TEST_OK, OnTestOk)
    ON_MESSAGE(WM_USER_UPGRADE_ENV_NAME, OnEnvName)
END_MESSAGE_MAP()

BOOL CDlgFWUpgrade::PreTranslateMessage(MSG* msg) {
    return IsEnterOrEsc(msg) ? TRUE : CDialog::PreTranslateMessage(msg);
}

int CDlgFWUpgrade::OnCreate(LPCREATESTRUCT cs) {
    m_font.CreateSimple("Arial", -12, FW_NORMAL);
    return CDialog::OnCreate(cs);
}

BOOL CDlgFWUpgrade::OnInitDialog() {
    CDialog::OnInitDialog();
    ApplyState();
    return TRUE;
}

void CDlgFWUpgrade::ApplyState() {
    const bool usable = m_model.DialogEnabled();
    ::EnableWindow(GetDlgItem(IDC_FWUP_OPEN), usable && m_model.OpenEnabled());
    ::EnableWindow(GetDlgItem(IDC_FWUP_SEND), usable && m_model.SendEnabled());
    EnableWindow(usable);
    if (m_model.Watching())
        SetTimer(kTimerWatchdog, m_nWatchdogMs);
    else
        KillTimer(kTimerWatchdog);
}

LRESULT CDlgFWUpgrade::Ask(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(GetParent(), message, wParam, lParam);
}

void CDlgFWUpgrade::Abandon(bool report) {
    m_model.Reset();
    ApplyState();
    if (report) ShowFailure();
}

void CDlgFWUpgrade::ShowFailure() {
    // The progress box says so too: a percentage left there reads as a
    // transfer still going on behind usable buttons.
    m_strStatus = CResources::LoadString(IDS_FIRMWARE_CHANGE_FAILED);
    InvalidateRect(&kProgressBox, FALSE);
    UpdateWindow();
    ShowMessage(m_hWnd, IDS_FIRMWARE_CHANGE_FAILED, MB_ICONEXCLAMATION);
}

void CDlgFWUpgrade::SetPath(const char* path) {
    m_strPath = path;
    const std::string p = m_strPath.str();
    const size_t slash = p.find_last_of('\\');
    m_strFolder = slash == std::string::npos ? std::string() : p.substr(0, slash);
    m_model.Choose();
    ApplyState();
    Invalidate();
}

void CDlgFWUpgrade::OnOpen() {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_hWnd;
    ofn.lpstrFilter = "KBX File(*.KBX)\0*.KBX\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    // "Select File" is the dialog's title; as a default extension it would
    // be glued to every name typed without one.
    ofn.lpstrTitle = "Select File";
    ofn.lpstrDefExt = "KBX";
    ofn.lpstrInitialDir = m_strFolder.IsEmpty() ? nullptr : m_strFolder.c_str();
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (commondlg::GetOpenFileName(&ofn)) SetPath(file);
}

bool CDlgFWUpgrade::ReadImage(const char* path) {
    m_image.clear();
    HANDLE f = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(f, &size) != 0;
    // Past any image: the check refuses it without the file being read.
    const LONGLONG cap = static_cast<LONGLONG>(FirmwareImage::kMaxSize);
    if (ok && size.QuadPart <= cap) {
        m_image.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = m_image.empty() ||
             (::ReadFile(f, m_image.data(), static_cast<DWORD>(m_image.size()), &got, nullptr) && got == m_image.size());
    } else if (ok) {
        m_image.assign(cap + 1, 0);
    }
    ::CloseHandle(f);
    if (!ok) m_image.clear();
    return ok;
}

void CDlgFWUpgrade::OnSend() {
    if (!m_model.SendEnabled()) return;
    if (!ReadImage(m_strPath)) {
        ShowMessageText(m_hWnd, "File could not be opened", MB_ICONEXCLAMATION);
        return;
    }
    const FirmwareImage::CheckResult check = FirmwareImage::Check(m_image.data(), m_image.size());
    if (!check.ok) {
        m_image.clear();
        ShowMessageText(m_hWnd, kFirmwareIncorrectText, MB_ICONEXCLAMATION);
        return;
    }
    const std::string& name = check.name;
    m_strFileFwName = name;
    // The name is compared up to its first zero: the settings record holds
    // it in a fixed-size field.
    const std::string board = m_strBoardFwName.str().substr(0, m_strBoardFwName.str().find('\0'));
    if (!m_model.Accept(m_image.size(), name, board)) {
        m_image.clear();
        ShowMessage(m_hWnd, IDS_FIRMWARE_NAME_MISMATCH, MB_ICONEXCLAMATION);
        return;
    }
    // From here the checked bytes are what goes to the board: Open and Send
    // stay locked until the attempt ends.
    m_strStatus = CResources::LoadString(IDS_STANDBY_TRANSMISSION);
    ApplyState();
    InvalidateRect(&kProgressBox);
    const LRESULT r = Ask(WM_USER_UPGRADE_ENTER_ISP, reinterpret_cast<WPARAM>(this), 0);
    if (m_model.GetState() != CUpgradeModel::State::kWaiting) return;  // answered meanwhile
    if (r == CUpgradeModel::kEnterIspNotConnected) {
        Abandon(false);  // the main window said why
    } else if (r != 0 && Ask(WM_USER_UPGRADE_READ_ENV, reinterpret_cast<WPARAM>(this), 0) == 0 &&
               m_model.GetState() == CUpgradeModel::State::kWaiting) {
        Abandon(false);
    }
}

void CDlgFWUpgrade::SendTest() {
    ApplyState();
    UpdateWindow();
    if (Ask(WM_USER_UPGRADE_SEND_TEST, reinterpret_cast<WPARAM>(m_strPath.c_str()), reinterpret_cast<LPARAM>(this)) == 0 &&
        m_model.GetState() == CUpgradeModel::State::kTransfer)
        Abandon(false);
}

LRESULT CDlgFWUpgrade::OnEnvName(WPARAM wParam, LPARAM lParam) {
    if (m_model.GetState() != CUpgradeModel::State::kWaiting) return 1;
    const char* name = reinterpret_cast<const char*>(wParam);
    if (!m_model.OnEnvName(lParam != 0, name ? name : "")) {
        ApplyState();
        ShowMessage(m_hWnd, IDS_FIRMWARE_NAME_MISMATCH, MB_ICONEXCLAMATION);
        return 1;
    }
    SendTest();
    return 1;
}

LRESULT CDlgFWUpgrade::OnIspConnected(WPARAM, LPARAM) {
    if (m_model.GetState() != CUpgradeModel::State::kWaiting) return 1;
    m_model.OnIspConnected();
    SendTest();
    return 1;
}

LRESULT CDlgFWUpgrade::OnTestOk(WPARAM wParam, LPARAM) {
    if (m_model.GetState() != CUpgradeModel::State::kTransfer) return 1;
    if (!m_model.OnTestOk(wParam != 0)) {
        ApplyState();
        return 1;
    }
    ApplyState();  // the watchdog starts over
    if (Ask(WM_USER_UPGRADE_START, reinterpret_cast<WPARAM>(m_strPath.c_str()), reinterpret_cast<LPARAM>(this)) == 0 &&
        m_model.GetState() == CUpgradeModel::State::kTransfer)
        Abandon(false);
    return 1;
}

LRESULT CDlgFWUpgrade::OnProgress(WPARAM wParam, LPARAM) {
    m_model.OnProgress(static_cast<uint64_t>(wParam));
    m_strStatus = m_model.ProgressText();
    if (m_model.Watching()) SetTimer(kTimerWatchdog, m_nWatchdogMs);
    InvalidateRect(&kProgressBox, FALSE);
    return 1;
}

LRESULT CDlgFWUpgrade::OnResult(WPARAM wParam, LPARAM) {
    const bool ok = wParam != 0;
    m_model.OnResult(ok);
    ApplyState();
    if (ok) {
        m_strStatus = CResources::LoadString(IDS_FIRMWARE_TRANSMITTED);
        Invalidate();
        UpdateWindow();
        ShowMessage(m_hWnd, IDS_FIRMWARE_TRANSMITTED, MB_ICONINFORMATION);
    } else {
        ShowFailure();
    }
    return 1;
}

void CDlgFWUpgrade::OnTimer(UINT_PTR id) {
    if (id != kTimerWatchdog) return;
    KillTimer(kTimerWatchdog);
    // The main window went silent (a board that stopped answering, a result
    // that was lost): never leave the dialog disabled.
    if (m_model.Watching()) Abandon(true);
}

void CDlgFWUpgrade::OnPaint() {
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(240, 240, 240));
    CPen pen;
    pen.CreatePen(PS_SOLID, 1, RGB(78, 78, 78));
    CBrush brush;
    brush.CreateSolidBrush(RGB(200, 200, 200));
    HGDIOBJ oldPen = dc.SelectObject(pen), oldBrush = dc.SelectObject(brush), oldFont = dc.SelectObject(m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(23, 23, 23));

    dc.Rectangle(kPathBox.left, kPathBox.top, kPathBox.right, kPathBox.bottom);
    CString path = "Path : ";
    path += m_strPath;
    CRect rc(12, 15, 295, 35);
    dc.DrawText(path, &rc, DT_SINGLELINE | DT_VCENTER | DT_PATH_ELLIPSIS | DT_NOPREFIX);

    dc.Rectangle(kProgressBox.left, kProgressBox.top, kProgressBox.right, kProgressBox.bottom);
    if (m_model.Sent() > 0 && m_model.Total() != 0) {
        // Inside the box's border, however far the count has gone.
        const int right = std::max(11, m_model.BarRight(kProgressBox.right - 1));
        dc.FillSolidRect(CRect(11, 46, right, 64), RGB(130, 130, 130));
    }
    rc = CRect(12, 45, 295, 65);
    dc.DrawText(m_strStatus, &rc, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_PATH_ELLIPSIS | DT_NOPREFIX);
    dc.SelectObject(oldFont);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
}
