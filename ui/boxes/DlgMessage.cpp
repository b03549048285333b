#include "ui/boxes/DlgMessage.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/MessageLayout.h"
#include "ui/kit/GdiPlusUtil.h"
#include "ui/kit/XInfoTip.h"
#include "ui/kit/Memdc.h"

BEGIN_MESSAGE_MAP(CDlgMessage, CDialog)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
    ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColor)
    ON_BN_CLICKED(IDC_MSG_BUTTON1, OnButton1)
    ON_BN_CLICKED(IDC_MSG_BUTTON2, OnButton2)
    ON_BN_CLICKED(IDC_MSG_BUTTON3, OnButton3)
END_MESSAGE_MAP()

CDlgMessage::CDlgMessage(const char* text, HWND parent, UINT style)
    : CDialog(IDD_MESSAGE, parent), m_style(style), m_text(text) {}

CDlgMessage::~CDlgMessage() { delete m_icon; }

void CDlgMessage::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_MSG_BUTTON1, m_button1);
    DDX_Control(dx, IDC_MSG_BUTTON2, m_button2);
    DDX_Control(dx, IDC_MSG_BUTTON3, m_button3);
    DDX_Control(dx, IDC_MSG_APPLY_ALL, m_check);
}

int CDlgMessage::OnCreate(LPCREATESTRUCT cs) {
    int r = CDialog::OnCreate(cs);
    m_lines.RemoveAll();
    delete m_icon;
    m_icon = nullptr;
    m_font.CreateSimple("Arial", -12, FW_NORMAL);
    m_lines = msgbox::SplitLines(m_text);
    LoadStyleIcon();
    return r;
}

void CDlgMessage::LoadStyleIcon() {
    int id = msgbox::IconForStyle(m_style);
    if (id) m_icon = CGdiPlusUtil::LoadPng(static_cast<UINT>(id));
}

int CDlgMessage::IconId() const { return msgbox::IconForStyle(m_style); }

void CDlgMessage::SetButtons() {
    CButton* buttons[3] = {&m_button1, &m_button2, &m_button3};
    for (CButton* b : buttons) {
        b->SetFont(m_font);
        b->ShowWindow(SW_HIDE);
    }
    m_buttonType = static_cast<int>(m_style & 0x0F);
    msgbox::ButtonSet set = msgbox::ButtonsForStyle(m_style);
    for (int i = 0; i < set.count; ++i) {
        buttons[i]->SetWindowText(CResources::LoadString(static_cast<UINT>(set.captionIds[i])));
        buttons[i]->ShowWindow(SW_SHOW);
    }
    m_buttonCount = set.count;
}

int CDlgMessage::LineHeight() {
    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    const CString first = m_lines.IsEmpty() ? CString() : m_lines[0];
    int h = dc.MeasureText(first, first.GetLength()).cy;
    if (h <= 0) h = dc.MeasureText(" ", 1).cy;
    dc.SelectObject(old);
    return h;
}

BOOL CDlgMessage::OnInitDialog() {
    CDialog::OnInitDialog();
    // No button tip stays over the box.
    CXInfoTip::HideAll();
    SetButtons();
    m_check.SetFont(m_font);

    CClientDC dc(m_hWnd);
    HGDIOBJ old = dc.SelectObject(m_font);
    auto width = [&dc](const CString& s) { return dc.MeasureText(s, s.GetLength()).cx; };
    msgbox::WrapLines(m_lines, width);
    const int textWidth = msgbox::TextWidth(m_lines, width);
    dc.SelectObject(old);

    const int textHeight = msgbox::TextHeight(LineHeight(), m_lines.GetSize());
    msgbox::Size size = msgbox::WindowSize(textWidth, textHeight, m_showCheck != 0);
    const int frame = GetWindowRect().Width() - GetClientRect().Width();
    const int needed = msgbox::MinClientWidthForButtons(m_buttonCount, m_button1.GetWindowRect().Width()) + frame;
    if (size.cx < needed) size.cx = needed;
    if (!m_showCheck) m_check.ShowWindow(SW_HIDE);
    MoveWindow(0, 0, size.cx, size.cy);

    if (m_style & MB_SYSTEMMODAL) ModifyStyle(0, DS_SYSMODAL);
    if (m_style & MB_SETFOREGROUND) ::SetForegroundWindow(m_hWnd);
    if (m_style & MB_TOPMOST) {
        ModifyStyleEx(0, WS_EX_TOPMOST);
        SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return TRUE;
}

void CDlgMessage::OnSize(UINT type, int cx, int cy) {
    CDialog::OnSize(type, cx, cy);
    if (!m_button1.m_hWnd) return;
    CRect b = m_button1.GetWindowRect();
    CRect client = GetClientRect();
    msgbox::ButtonLayout l = msgbox::LayoutButtons(m_buttonCount, client.Width(), client.bottom, b.Width(), b.Height());
    CButton* buttons[3] = {&m_button1, &m_button2, &m_button3};
    for (int i = 0; i < 3; ++i) buttons[i]->MoveWindow(l.buttons[i].x, l.buttons[i].y, b.Width(), b.Height());
    if (m_showCheck && m_check.m_hWnd) m_check.MoveWindow(l.check.x, l.check.y, 200, 20);
}

void CDlgMessage::OnPaint() {
    CPaintDC paint(m_hWnd);
    CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(0xF0, 0xF0, 0xF0));
    if (m_icon) {
        const int iw = static_cast<int>(m_icon->GetWidth()), ih = static_cast<int>(m_icon->GetHeight());
        msgbox::Pos p = msgbox::IconPosition(iw, ih, client.Height(), m_showCheck != 0);
        Gdiplus::Graphics g(dc.GetSafeHdc());
        g.DrawImage(m_icon, p.x, p.y, iw, ih);
    }
    HGDIOBJ old = dc.SelectObject(m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(RGB(0, 0, 0));
    const int lineHeight = LineHeight();
    int y = msgbox::kTextTop;
    for (int i = 0; i < m_lines.GetSize(); ++i) {
        CRect rc(msgbox::kTextLeft, y, client.right, y + lineHeight + msgbox::kLineGap);
        dc.DrawText(m_lines[i], &rc, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        y += lineHeight + msgbox::kLineGap;
    }
    dc.SelectObject(old);
}

LRESULT CDlgMessage::OnCtlColor(WPARAM dc, LPARAM) {
    if (!m_ground.GetSafeHandle()) m_ground.CreateSolidBrush(RGB(0xF0, 0xF0, 0xF0));
    ::SetBkColor(reinterpret_cast<HDC>(dc), RGB(0xF0, 0xF0, 0xF0));
    return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(m_ground));
}

void CDlgMessage::EndWithColumn(int column) {
    msgbox::ButtonSet set = msgbox::ButtonsForStyle(m_style);
    if (column >= set.count || set.results[column] == 0) return;
    if (m_showCheck) m_checkResult = m_check.GetCheck();
    EndDialog(set.results[column]);
}

BOOL CDlgMessage::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F4) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

void CDlgMessage::OnDestroy() {
    CDialog::OnDestroy();
    m_font.DeleteObject();
    delete m_icon;
    m_icon = nullptr;
}

INT_PTR ShowMessage(HWND parent, UINT stringId, UINT style) {
    return ShowMessageText(parent, CResources::LoadString(stringId), style);
}

INT_PTR ShowMessageText(HWND parent, const char* text, UINT style) {
    CDlgMessage box(text, parent, style);
    return box.DoModal();
}
