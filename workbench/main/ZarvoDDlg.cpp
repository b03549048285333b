// Creation, first layout and shut-down of the main window.
#include "workbench/main/ZarvoDDlg.h"

#include "framework/Profile.h"
#include "framework/Resources.h"
#include "link/port/DeviceNotify.h"
#include "resources/resource.h"
#include "ui/boxes/DlgProgress.h"
#include "ui/WindowMessages.h"
#include "workbench/bottom/GaugeSkin.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/files/WndFileList.h"
#include "workbench/files/WndImage.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/KitGeometry.h"
#include "ui/kit/PngButton.h"
#include "ui/kit/Splitter.h"
#include "workbench/main/IniFile.h"

#include <algorithm>

#include <dbt.h>
#include <shellapi.h>

namespace {

const char kHelpEnglish[] =
    "[Zarvo Debugger UI]\r\n - Menu\t\t\t: File, Edit, Function\r\n - COM PORT\t \t: Select a COM port on your "
    "PC\r\n - Buttons\t\t: Connect, Disconnect, Settings, Upload\r\n - File list\t: List of files which uploaded or "
    "will be uploaded to Zarvo product\r\n - Edit window\t: Space for editing php files\r\n - Console \t\t: Window "
    "for printing console messages\r\n\r\n[How to use Zarvo Debugger]\r\n - Connect Zarvo product to your PC with "
    "USB cable.\r\n - After installing device driver, you can select a COM port for Zarvo product.\r\n - Select the "
    "COM port and click the [Connect] button.\r\n - When you click the [Connect] button, the other buttons will be "
    "activated.\r\n - If you want to disconnect the COM port, press the [Disconnect] button.\r\n - If you want to "
    "upload (write) php files to Zarvo product, click the [Write] button.\r\n - Click the [Settings] button, if you "
    "want to change products' settings.";

// UTF-8 in the source; shown in the ANSI code page (949 on a Korean system).
const char kHelpKorean[] =
    "[Zarvo Debugger 화면구성]\r\n - 메뉴\t\t  : 파일메뉴, 편집메뉴, 기능메뉴\r\n - 포트 선택  : PC의 COM PORT를 "
    "선택\r\n - 버튼\t\t  : 연결, 연결해제, 설정, 업로드 버튼\r\n - 파일 리스트: Zarvo 장치에 저장된 또는 저장할 "
    "파일 목록\r\n - 편집기\t  : 파일 편집기\r\n - 콘솔창\t  : 프로그램 하단에 위치한 콘솔메시지 출력 "
    "창\r\n\r\n[Zarvo Debugger 사용법]\r\n - Zarvo 장치를 PC의 USB포트로 연결하십시오.\r\n - 장치 드라이버가 "
    "정상적으로 설치되면 COM PORT에서 선택이 가능합니다.\r\n - COM PORT를 선택하고 연결버튼을 누르십시오.\r\n - "
    "연결 버튼을 누르면 나머지 사용 가능한 버튼이 활성화 됩니다.\r\n - COM PORT 연결을 해제하려면 "
    "연결해제버튼을 누르십시오.\r\n - PHP파일을 제품에 Writing 하려면 업로드버튼을 누르십시오.\r\n - Zarvo 장치의 "
    "설정을 변경하려면 설정버튼을 누르십시오.";

std::string Utf8ToAnsi(const char* text) {
    const int wide = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, &w[0], wide);
    const int n = ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, w.c_str(), -1, &out[0], n, nullptr, nullptr);
    out.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return out;
}
}  // namespace

struct CZarvoDDlg::ButtonDef {
    Button button;
    UINT id, png, tip;
};

BEGIN_MESSAGE_MAP(CZarvoDDlg, CDialog)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_TIMER()
    {WM_CLOSE, 0, 0, 0, ZV_THUNK(ZV_SELF->OnClose(); return 0;)},
    ON_MESSAGE(WM_GETMINMAXINFO, OnGetMinMaxInfo)
    ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
    ON_MESSAGE(WM_HELP, OnHelp)
    ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopup)
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
    ON_MESSAGE(WM_CTLCOLORDLG, OnCtlColor)
    ON_MESSAGE(WM_USER_SPLITTER_MOVED, OnSplitterMoved)
    ON_MESSAGE(WM_USER_SERIAL_EVENT, OnSerialEvent)
    ON_MESSAGE(CSerialPort::kGoneMessage, OnPortGone)
    ON_MESSAGE(WM_USER_START_IDENTIFY, OnStartIdentify)
    ON_MESSAGE(WM_USER_START_UPLOAD, OnStartUpload)
    ON_MESSAGE(WM_USER_QUERY_FILES_EDITABLE, OnQueryFilesEditable)
    ON_MESSAGE(WM_USER_OPEN_FILE, OnOpenFile)
    ON_MESSAGE(WM_USER_DOC_MODIFIED, OnDocumentModified)
    ON_MESSAGE(WM_USER_GET_BUTTON_BKGND, OnGetButtonBackground)
    ON_MESSAGE(WM_USER_DELETE_FILES, OnDeleteEntries)
    ON_MESSAGE(WM_USER_CURRENT_FILE_REMOVED, OnCurrentFileRemoved)
    ON_MESSAGE(WM_USER_SHOW_FILE_INFO, OnShowFileInfo)
    ON_MESSAGE(WM_USER_FILES_CHANGED, OnFilesChanged)
    ON_MESSAGE(WM_USER_NEW_DOCUMENT, OnNewDocument)
    ON_MESSAGE(WM_USER_TOGGLE_BREAKPOINT, OnBreakpointCommand)
    ON_MESSAGE(WM_USER_REMOVE_BREAKPOINTS, OnRemoveAllBreakpoints)
    ON_MESSAGE(WM_USER_STEP_INTO, OnStepIntoMessage)
    ON_MESSAGE(WM_USER_STEP_OVER, OnStepOverMessage)
    ON_MESSAGE(WM_USER_WATCH_NEXT, OnWatchNext)
    ON_MESSAGE(kRunWaitBoxMessage, OnRunWaitBox)
    ON_MESSAGE(kShowErrorLogMessage, OnShowErrorLog)
    ON_MESSAGE(kUpgradeRefusedMessage, OnUpgradeRefused)
    ON_MESSAGE(WM_USER_UPGRADE_ENTER_ISP, OnUpgradeEnterIsp)
    ON_MESSAGE(WM_USER_UPGRADE_READ_ENV, OnUpgradeReadEnv)
    ON_MESSAGE(WM_USER_UPGRADE_SEND_TEST, OnUpgradeSendTest)
    ON_MESSAGE(WM_USER_UPGRADE_START, OnUpgradeStart)
    ON_MESSAGE(WM_USER_START_SCAN, OnStartScan)
    ON_MESSAGE(WM_USER_CANCEL_SCAN, OnCancelScan)
    ON_MESSAGE(WM_USER_WRITE_KEY_BLOCK, OnWriteKeyBlock)
    ON_MESSAGE(WM_USER_WRITE_CERT_BLOCK, OnWriteCertBlock)
    ON_MESSAGE(WM_USER_READ_CERT_BLOCK, OnReadCertBlock)
    ON_MESSAGE(WM_USER_CHANGE_FIRMWARE, OnChangeFirmware)
    ON_MESSAGE(WM_USER_WRITE_SETTINGS, OnWriteSettings)
    ON_MESSAGE(WM_USER_REBOOT, OnRebootMessage)
    ON_MESSAGE(WM_USER_GET_RTC_DATE, OnGetRtcDate)
    ON_MESSAGE(WM_USER_SET_RTC_DATE, OnSetRtcDate)
    ON_MESSAGE(WM_USER_SET_PASSWORD, OnSetPassword)
    ON_BN_CLICKED(kConnect, OnConnect)
    ON_BN_CLICKED(kDisconnect, OnDisconnect)
    ON_BN_CLICKED(kSettings, OnSettingsButton)
    ON_BN_CLICKED(kUpload, OnUploadButton)
    ON_BN_CLICKED(kRun, OnRun)
    ON_BN_CLICKED(kStop, OnStop)
    ON_BN_CLICKED(kPause, OnPause)
    ON_BN_CLICKED(kStepIn, OnStepIn)
    ON_BN_CLICKED(kStepOver, OnStepOver)
    ON_CONTROL(CBN_DROPDOWN, kPortCombo, OnPortListDropDown)
    ON_COMMAND_RANGE(ID_EDIT_COPY, ID_FUNC_ABOUT, OnMenuCommand)
END_MESSAGE_MAP()

CZarvoDDlg::CZarvoDDlg() : CZarvoDDlg(m_port) {}

CZarvoDDlg::CZarvoDDlg(ILinkPort& port) : CDialog(IDD_ZARVOD_DIALOG, nullptr), m_link(port, *this, m_files) {
    m_icon = static_cast<HICON>(::LoadImageA(CResources::GetModule(), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 0,
                                             0, LR_DEFAULTSIZE | LR_SHARED));
}

CZarvoDDlg::~CZarvoDDlg() {
    for (CPngButton*& b : m_buttons) {
        delete b;
        b = nullptr;
    }
    delete m_splitH;
    delete m_splitV;
    delete m_fileList;
    delete m_bottom;
    delete m_image;
}

namespace {
// Where a pane is made: its box, or nothing when the window is too small for
// a layout (the first size that fits lays it out).
CRect PaneRect(const mainlayout::Layout& l, const mainlayout::Box& b) {
    return l.valid ? CRect(b.x, b.y, b.x + std::max(b.w, 0), b.y + std::max(b.h, 0)) : CRect();
}
}  // namespace

int CZarvoDDlg::OnCreate(LPCREATESTRUCT cs) {
    if (CDialog::OnCreate(cs) < 0) return -1;
    // Until the window is up, each Init.ini section is read once.
    profile::BeginSnapshot();
    m_iniSnapshot = true;
    {
        // The flash bar's and the buttons' pictures decode on a worker while
        // the panes are made, in the order they are asked for.
        const ButtonDef* defs = ButtonDefs();
        constexpr int kGauge = CGaugeSkin::kPictureCount;
        UINT pictures[kGauge + kButtonCount];
        std::copy_n(CGaugeSkin::kPictureIds, kGauge, pictures);
        for (int i = 0; i < kButtonCount; ++i) pictures[kGauge + i] = defs[i].png;
        CGdiPlusUtil::Prefetch(pictures, kGauge + kButtonCount);
    }
    if (HMENU menu = CResources::LoadMenu(IDR_MAIN_MENU)) ::SetMenu(m_hWnd, menu);
    m_ground.CreateSolidBrush(RGB(240, 240, 240));
    m_port.SetOwner(m_hWnd);
    // The saved size first, then every pane made where it goes: under Wine
    // each move of a pane afterwards costs about half a millisecond.
    RestoreWindowLayout();
    const mainlayout::Layout l = ComputeLayout();
    auto at = [&l](const mainlayout::Box& b) { return PaneRect(l, b); };
    // Every editor reads Init.ini and writes it the way shut-down writes it.
    CWndEditor::SetIniPaths(&CIniFile::Path, &CIniFile::WritePath);
    CWndBottom::SetIniPaths(&CIniFile::Path, &CIniFile::WritePath);
    m_editor.Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | WS_GROUP,
                    at(l.editor), m_hWnd, kEditor);
    m_bottom = new CWndBottom;
    if (m_bottomSplit > 0) m_bottom->SetSplitPos(m_bottomSplit);
    m_bottom->Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_GROUP, at(l.bottom), m_hWnd,
                     kBottom);
    m_bottom->SetResourceRows(m_link.Identity().ResourceRows());
    // The image pane (nine pictures to decode) waits for the first image opened.
    m_flashBar.Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER, at(l.flashBar), m_hWnd, kFlashBar);
    m_fileList = new CWndFileList;
    m_fileList->SetEntryList(&m_link.Files().Entries());
    m_fileList->Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER | WS_TABSTOP | WS_GROUP, at(l.fileList),
                       m_hWnd, kFileList);
    // A drop-down list's window is as high as its open list.
    mainlayout::Box combo = l.combo;
    combo.h = 200;
    m_portCombo.CreateEx(0, "COMBOBOX", "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL,
                         at(combo), m_hWnd, kPortCombo);
    m_frameFont.CreateSimple("Arial", -12, FW_NORMAL);
    m_portCombo.SetFont(m_frameFont);
    CreateLogFont();
    CreateButtons(l);
    CGdiPlusUtil::EndPrefetch();
    m_splitH = new CSplitter(1, 0xC0C0C0);
    m_splitH->Create(m_hWnd, at(l.hSplitter), kSplitter);
    m_splitV = new CSplitter(0, 0xC0C0C0);
    m_splitV->Create(m_hWnd, at(l.vSplitter), kSplitter);
    CreateLabels(l);
    SetTabOrder();
    // OpenSSL 3 sets itself up on first use and cleans up at exit.
    return 0;
}

CWndImage* CZarvoDDlg::ImagePane() {
    if (!m_image && m_hWnd) {
        m_image = new CWndImage;
        m_image->Create(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | WS_GROUP, CRect(), m_hWnd,
                        kImagePane);
        // In the editor's place, in the tab order too.
        ::SetWindowPos(m_image->m_hWnd, m_editor.m_hWnd, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        LayoutPanes();
    }
    return m_image;
}

const CZarvoDDlg::ButtonDef* CZarvoDDlg::ButtonDefs() {
    static const ButtonDef defs[kButtonCount] = {
        {kBtnConnect, kConnect, IDP_CONNECT, IDS_TIP_CONNECT},
        {kBtnDisconnect, kDisconnect, IDP_DISCONNECT, IDS_TIP_DISCONNECT},
        {kBtnSettings, kSettings, IDP_SETTINGS, IDS_TIP_SETTINGS},
        {kBtnUpload, kUpload, IDP_UPLOAD, IDS_TIP_UPLOAD},
        {kBtnRun, kRun, IDP_RUN, IDS_TIP_RUN},
        {kBtnStop, kStop, IDP_STOP, IDS_TIP_STOP},
        {kBtnStepIn, kStepIn, IDP_STEP_IN, IDS_TIP_STEP_IN},
        {kBtnStepOver, kStepOver, IDP_STEP_OVER, IDS_TIP_STEP_OVER},
        {kBtnPause, kPause, IDP_PAUSE, IDS_TIP_PAUSE},
    };
    return defs;
}

mainlayout::ButtonSize CZarvoDDlg::ButtonCell(int button) const {
    mainlayout::ButtonSize s;
    if (const CPngButton* b = m_buttons[button]) {
        const CSize c = b->GetCellSize();
        s.w = c.cx;
        s.h = c.cy;
        return s;
    }
    const ButtonDef* defs = ButtonDefs();
    for (int i = 0; i < kButtonCount; ++i) {
        int w = 0, h = 0;
        if (defs[i].button != button || !CGdiPlusUtil::PngSize(defs[i].png, w, h)) continue;
        // As CPngButton sizes itself: four cells, no caption.
        const kit::CellSize c = kit::CellSizeFor(w, h, 4, false, 0);
        s.w = c.cx;
        s.h = c.cy;
        break;
    }
    return s;
}

void CZarvoDDlg::CreateButtons(const mainlayout::Layout& l) {
    const ButtonDef* defs = ButtonDefs();
    const mainlayout::Box* boxes[kButtonCount] = {};
    boxes[kBtnConnect] = &l.connect;
    boxes[kBtnDisconnect] = &l.disconnect;
    boxes[kBtnSettings] = &l.settings;
    boxes[kBtnUpload] = &l.upload;
    boxes[kBtnRun] = &l.run;
    boxes[kBtnStop] = &l.stop;
    boxes[kBtnStepIn] = &l.stepIn;
    boxes[kBtnStepOver] = &l.stepOver;
    boxes[kBtnPause] = &l.pause;
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonDef& s = defs[i];
        CPngButton* b = new CPngButton;
        m_buttons[s.button] = b;
        const DWORD visible = s.button == kBtnPause ? 0 : WS_VISIBLE;
        // The four main buttons and the debugger's are a group each.
        const DWORD group = s.button == kBtnConnect || s.button == kBtnStop ? WS_GROUP : 0;
        // The picture first: the button is made at its cell's size, where
        // the layout puts it, rather than resized and moved afterwards.
        b->SetImage(nullptr, s.png);
        const CSize cell = b->GetCellSize();
        CRect rc(0, 0, cell.cx, cell.cy);
        if (l.valid && boxes[s.button]) rc.OffsetRect(boxes[s.button]->x, boxes[s.button]->y);
        b->Create("", WS_CHILD | visible | group | WS_TABSTOP | BS_OWNERDRAW, rc, m_hWnd, s.id);
        // Its background is the window's, asked once: the parent's pixels
        // copied at the first paint may not be drawn yet.
        b->SetUseParentBitmap(TRUE);
        const CString tip = CResources::LoadString(s.tip);
        if (!tip.IsEmpty()) b->SetTooltipText(tip);
    }
}

void CZarvoDDlg::CreateLabels(const mainlayout::Layout& l) {
    auto at = [&l](const mainlayout::Box& b) { return PaneRect(l, b); };
    m_comLabel.Create(CResources::LoadString(IDS_COM_PORT), WS_CHILD | WS_VISIBLE, at(l.comLabel), m_hWnd, kComLabel);
    m_listLabel.Create(CResources::LoadString(IDS_FILE_LIST), WS_CHILD | WS_VISIBLE, at(l.listLabel), m_hWnd,
                       kListLabel);
    m_nameLabel.Create("", WS_CHILD | WS_VISIBLE | SS_ENDELLIPSIS | SS_NOPREFIX, at(l.nameLabel), m_hWnd, kNameLabel);
    m_sizeLabel.Create("", WS_CHILD | WS_VISIBLE | SS_ENDELLIPSIS | SS_RIGHT, at(l.sizeLabel), m_hWnd, kSizeLabel);
    CStatic* labels[4] = {&m_comLabel, &m_listLabel, &m_nameLabel, &m_sizeLabel};
    for (CStatic* l : labels) l->SetFont(m_frameFont);
}

void CZarvoDDlg::SetTabOrder() {
    // Tab and Shift+Tab go through the window as it reads: the port list, the
    // four buttons, the file list, the debugger buttons, the editor, the
    // bottom pane. The dialog manager follows the order of the children.
    auto button = [this](Button b) { return m_buttons[b] ? m_buttons[b]->m_hWnd : nullptr; };
    const HWND order[] = {m_portCombo.m_hWnd, button(kBtnConnect), button(kBtnDisconnect), button(kBtnSettings),
                          button(kBtnUpload), m_fileList ? m_fileList->m_hWnd : nullptr, button(kBtnStop),
                          button(kBtnRun), button(kBtnPause), button(kBtnStepIn), button(kBtnStepOver),
                          m_editor.m_hWnd, m_bottom ? m_bottom->m_hWnd : nullptr};
    HWND after = HWND_TOP;
    for (HWND w : order) {
        if (!w) continue;
        ::SetWindowPos(w, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
        after = w;
    }
}

BOOL CZarvoDDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const CString about = CResources::LoadString(IDS_ABOUTBOX);
    if (HMENU system = ::GetSystemMenu(m_hWnd, FALSE)) {
        if (!about.IsEmpty()) {
            ::AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuA(system, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
    // The panes were made in place; from now on a new size lays them out.
    m_layoutRestored = true;
    LayoutPanes();
    SetHelpText();
    RegisterDeviceNotices();
    LoadPreferences();
    // Start disconnected, every command in the state the rules give.
    UpdateButtonStates(0);
    UpdateCommandStates();
    EndIniSnapshot();
    return TRUE;
}

void CZarvoDDlg::EndIniSnapshot() {
    if (!m_iniSnapshot) return;
    m_iniSnapshot = false;
    profile::EndSnapshot();
}

void CZarvoDDlg::SetHelpText() {
    const std::string text = m_language == 1042 ? Utf8ToAnsi(kHelpKorean) : std::string(kHelpEnglish);
    m_editor.SetText(text.data(), text.size());
    m_editor.SetReadOnly(true);
    m_helpShown = true;
}

void CZarvoDDlg::RegisterDeviceNotices() { m_deviceNotify = RegisterDeviceInterfaceNotices(m_hWnd); }

LRESULT CZarvoDDlg::OnDeviceChange(WPARAM wParam, LPARAM lParam) {
    // Arrivals and removals of the board's port: the link decides.
    m_link.Presence().OnDeviceChange(static_cast<uint32_t>(wParam), DeviceChangeType(static_cast<uintptr_t>(lParam)));
    UpdateCommandStates();
    return TRUE;
}

void CZarvoDDlg::OnClose() {
    // A running job keeps the window: asking about the files first would
    // ask a question whose answer is then ignored.
    auto jobRunning = [this] { return m_waitBox || m_waitWanted || m_link.Session().IsJobRunning(); };
    if (jobRunning()) return;
    // New or changed files would be lost: ask as Disconnect does.
    if (m_link.Files().HasUnsavedFiles() && !AskYesNo(IDS_UNSAVED_CLOSE)) return;
    // A job may have started while the question was up.
    if (jobRunning()) return;
    EndDialog(IDCANCEL);
}

void CZarvoDDlg::OnDestroy() {
    CDialog::OnDestroy();
    // A creation that failed half-way never reached the end of its start.
    EndIniSnapshot();
    // Every section goes to one new file that replaces Init.ini once the
    // last writer (the editor, destroyed after this) is done.
    CIniFile::BeginWrite();
    SaveWindowLayout();
    for (CPngButton*& b : m_buttons) {
        if (b && b->m_hWnd) b->DestroyWindow();
        delete b;
        b = nullptr;
    }
    CSplitter** splitters[2] = {&m_splitH, &m_splitV};
    for (CSplitter** s : splitters) {
        if (*s && (*s)->m_hWnd) (*s)->DestroyWindow();
        delete *s;
        *s = nullptr;
    }
    if (m_fileList) m_fileList->DestroyWindow();
    if (m_bottom) m_bottom->DestroyWindow();
    m_port.Close();
    if (m_image) m_image->DestroyWindow();
    UnregisterDeviceInterfaceNotices(m_deviceNotify);
    m_deviceNotify = nullptr;
    SavePreferences();
}

void CZarvoDDlg::OnPaint() {
    if (::IsIconic(m_hWnd)) {
        CPaintDC dc(m_hWnd);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
        const CRect rc = GetClientRect();
        const int x = (rc.Width() - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (rc.Height() - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, m_icon);
        return;
    }
    Default();
}

LRESULT CZarvoDDlg::OnCtlColor(WPARAM dc, LPARAM) {
    ::SetBkMode(reinterpret_cast<HDC>(dc), TRANSPARENT);
    return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_ground));
}

LRESULT CZarvoDDlg::OnSysCommand(WPARAM wParam, LPARAM lParam) {
    if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
        OnAbout();
        return 0;
    }
    // The menu bar is not opened from the keyboard.
    if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
    return Default();
}

LRESULT CZarvoDDlg::OnHelp(WPARAM, LPARAM) {
    // The manual exists in Korean only.
    if (m_startLanguage == 1042)
        ::ShellExecuteA(m_hWnd, "open", "https://docs.tavrel-systems.example/zarvo/manual", nullptr, nullptr, SW_SHOW);
    return TRUE;
}
