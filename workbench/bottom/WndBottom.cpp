#include "workbench/bottom/WndBottom.h"

#include "framework/Menu.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"
#include "workbench/bottom/DlgAddWatch.h"
#include "workbench/bottom/DlgWatchDetail.h"
#include "workbench/bottom/IniProfile.h"
#include "workbench/bottom/LogTrim.h"
#include "workbench/bottom/WndLog.h"
#include "workbench/bottom/WndResource.h"
#include "ui/kit/Memdc.h"
#include "ui/kit/SkinListCtrl.h"
#include "ui/kit/Splitter.h"

#include <algorithm>

namespace {

// The watch list and the logs sit in the tab controls, so their notices
// reach the tab control first: it hands them on to the pane.
class CPaneTabCtrl : public CTabCtrl {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_NOTIFY || message == WM_COMMAND) {
            const HWND from = message == WM_NOTIFY ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom
                                                   : reinterpret_cast<HWND>(lParam);
            if (from && from != m_hWnd)
                return ::SendMessageA(GetParent(), message, wParam, lParam);
        }
        return CTabCtrl::WindowProc(message, wParam, lParam);
    }
};

constexpr int kColumnWidths[3] = {120, 80, 240};
const char* const kColumnNames[3] = {"Name", "Type", "Value"};

int Positive(int v) { return v > 0 ? v : 0; }

}  // namespace

BEGIN_MESSAGE_MAP(CWndBottom, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_USER_SPLITTER_MOVED, OnSplitterMoved)
    ON_MESSAGE(WM_CONTEXTMENU, OnContextMenu)
    ON_COMMAND(ID_WATCH_ADD, OnAdd)
    ON_COMMAND(ID_WATCH_MODIFY, OnModify)
    ON_COMMAND(ID_WATCH_DELETE, OnDelete)
    ON_COMMAND(ID_WATCH_DELETE_ALL, OnDeleteAll)
    ON_COMMAND(ID_WATCH_DETAIL, OnDetail)
    ON_COMMAND(ID_WATCH_REFRESH, OnRefresh)
    ON_NOTIFY(NM_DBLCLK, IDC_WATCH_LIST, OnWatchDblClk)
    ON_NOTIFY(TCN_SELCHANGE, IDC_BOTTOM_LOG_TABS, OnLogTabChange)
    ON_NOTIFY(TCN_SELCHANGE, IDC_BOTTOM_WATCH_TABS, OnWatchTabChange)
END_MESSAGE_MAP()

CWndBottom::CWndBottom() = default;
CWndBottom::~CWndBottom() = default;

// ---- creation and destruction

bool CWndBottom::ReadsDebuggerLog() const
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\TavrelSystems\\zarvod", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD value = 0, type = 0, size = sizeof value;
    const LONG r = ::RegQueryValueExA(key, "Log", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value && value != 0;
}

int CWndBottom::OnCreate(LPCREATESTRUCT cs)
{
    if (CWnd::OnCreate(cs) < 0)
        return -1;
    m_tabFont.CreateSimple("Arial", -12, FW_NORMAL);
    const DWORD tabStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

    // The stored column widths first: they place the bar, and every pane is
    // made where the first layout puts it rather than moved there.
    int widths[3] = {kColumnWidths[0], kColumnWidths[1], kColumnWidths[2]};
    CIniProfile ini(CIniProfile::InitIniPath(false));
    m_watches.Load(ini, widths);
    // Bounded now against the pane's size, or at the first real size.
    const bool sized = cs->cx >= 10 && cs->cy >= 10;
    Arrangement at;
    if (sized) {
        BoundColumns(cs->cx, widths);
        SettleSplit(cs->cx, widths);
        at = Arrange(cs->cx, cs->cy);
    }

    m_logTabs.reset(new CPaneTabCtrl);
    m_logTabs->CreateEx(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "", tabStyle, at.logTabs, m_hWnd, IDC_BOTTOM_LOG_TABS);
    m_logTabs->SetFont(m_tabFont);
    m_logTabs->InsertItem(0, "Output");
    m_logTabs->InsertItem(1, "FW Log");
    if (ReadsDebuggerLog())
        m_logTabs->InsertItem(2, "Debugger Log");

    m_watchTabs.reset(new CPaneTabCtrl);
    m_watchTabs->CreateEx(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "", tabStyle, at.watchTabs, m_hWnd,
                          IDC_BOTTOM_WATCH_TABS);
    m_watchTabs->SetFont(m_tabFont);
    m_watchTabs->InsertItem(0, "Watch");
    m_watchTabs->InsertItem(1, "Resource");

    struct NewPane {
        std::unique_ptr<CWndLog>& pane;
        int kind;
    } logs[3] = {{m_output, 0}, {m_debugger, 1}, {m_firmware, 0}};
    for (NewPane& s : logs) {
        s.pane.reset(new CWndLog);
        s.pane->SetKind(s.kind);
    }
    // The shown log only: the hidden two (four windows) wait for their
    // first text or their tab (LogPane).
    m_output->Create(WS_CHILD | WS_VISIBLE, at.log, *m_logTabs, 0);

    m_splitter.reset(new CSplitter(0, RGB(0xC0, 0xC0, 0xC0)));
    m_splitter->Create(m_hWnd, at.splitter, IDC_BOTTOM_SPLITTER);

    m_list.reset(new CSkinListCtrl);
    m_list->Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, at.list, *m_watchTabs,
                   IDC_WATCH_LIST);
    m_list->SetExtendedStyle(LVS_EX_FULLROWSELECT);
    // The list's own default font (Tahoma under Wine) has no Hangul and would
    // draw Korean names as boxes; the pane's font asks for the default
    // charset, which follows the system code page.
    m_list->SetFont(m_tabFont);

    // The resource view (its gauge pictures and task list) waits for its tab.

    for (int i = 0; i < 3; ++i)
        m_list->InsertColumn(i, kColumnNames[i], LVCFMT_CENTER, widths[i]);
    for (int row = 0; row < m_watches.Count(); ++row)
        InsertRow(row);
    m_columnsBounded = sized;
    return 0;
}

void CWndBottom::OnDestroy()
{
    SaveWatchList();
    for (CWnd* w : {static_cast<CWnd*>(m_output.get()), static_cast<CWnd*>(m_debugger.get()),
                    static_cast<CWnd*>(m_firmware.get()), static_cast<CWnd*>(m_splitter.get()),
                    static_cast<CWnd*>(m_list.get()), static_cast<CWnd*>(m_resource.get()),
                    static_cast<CWnd*>(m_logTabs.get()), static_cast<CWnd*>(m_watchTabs.get())})
        if (w && w->m_hWnd)
            w->DestroyWindow();
    m_output.reset();
    m_debugger.reset();
    m_firmware.reset();
    m_splitter.reset();
    m_list.reset();
    m_resource.reset();
    m_logTabs.reset();
    m_watchTabs.reset();
    m_tabFont.DeleteObject();
    CWnd::OnDestroy();
}

void CWndBottom::SaveWatchList()
{
    if (!m_list || !m_list->m_hWnd)
        return;
    int widths[3] = {-1, -1, -1};
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH;
        if (m_list->SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)))
            widths[i] = column.cx;
    }
    const CString path = CIniProfile::InitIniPath(true);
    if (path.IsEmpty())
        return;
    CIniProfile ini(path);
    m_watches.Save(ini, widths);
}

void CWndBottom::SetIniPaths(CString (*readPath)(), CString (*writePath)())
{
    CIniProfile::SetPathSources(readPath, writePath);
}

// ---- layout and painting

int CWndBottom::ListFrame()
{
    // The list's own frame: the tab's margins, its border and a scroll bar.
    return 4 + 12 + ::GetSystemMetrics(SM_CXVSCROLL);
}

void CWndBottom::BoundColumns(int w, int widths[3])
{
    // Widths from Init.ini are checked once, against the first real size: a
    // hostile one would hide a column or push the others out of the pane,
    // and be written back at exit.
    for (int c = 0; c < 3; ++c)
        widths[c] = CWatchList::BoundColumnWidth(widths[c], kColumnWidths[c], w - kMinSide - ListFrame());
}

void CWndBottom::SettleSplit(int w, const int widths[3])
{
    if (!m_splitChosen)
        m_split = std::max(w - (ListFrame() + widths[0] + widths[1] + widths[2]), static_cast<int>(kMinSide));
    if (m_split > w - kMinSide)
        m_split = w - kMinSide;
}

CWndBottom::Arrangement CWndBottom::Arrange(int w, int h) const
{
    Arrangement a;
    a.logTabs = CRect(10, 2, 10 + Positive(m_split - 11), 2 + Positive(h - 4));
    a.watchTabs = CRect(m_split + 7, 2, m_split + 7 + Positive(w - m_split - 8), 2 + Positive(h - 4));
    a.log = CRect(1, 23, 1 + Positive(m_split - 15), 23 + Positive(h - 29));
    a.splitter = CRect(m_split, 0, m_split + 4, h);
    a.list = CRect(1, 23, 1 + Positive(w - m_split - 12), 23 + Positive(h - 29));
    return a;
}

void CWndBottom::OnSize(UINT, int w, int h)
{
    if (w < 1 || h < 1) {
        const CRect rc = GetClientRect();
        w = rc.Width();
        h = rc.Height();
    }
    if (w < 10 || h < 10 || !m_logTabs)
        return;
    int widths[3];
    for (int c = 0; c < 3; ++c)
        widths[c] = static_cast<int>(m_list->SendMessage(LVM_GETCOLUMNWIDTH, c));
    if (!m_columnsBounded) {
        m_columnsBounded = true;
        const int before[3] = {widths[0], widths[1], widths[2]};
        BoundColumns(w, widths);
        for (int c = 0; c < 3; ++c)
            if (widths[c] != before[c])
                m_list->SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), widths[c]);
    }
    SettleSplit(w, widths);
    const Arrangement a = Arrange(w, h);
    // Only what is not in place moves (the children are made in place).
    m_logTabs->PlaceAt(a.logTabs);
    m_watchTabs->PlaceAt(a.watchTabs);
    for (CWndLog* pane : {m_output.get(), m_debugger.get(), m_firmware.get()})
        pane->PlaceAt(a.log);
    if (m_splitter->PlaceAt(a.splitter))
        ::RedrawWindow(*m_splitter, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    m_list->PlaceAt(a.list);
    if (m_resource)
        m_resource->PlaceAt(a.list);
}

void CWndBottom::OnPaint()
{
    CPaintDC paint(m_hWnd);
    const CRect client = GetClientRect();
    CMemdc dc(paint, client);
    dc.FillSolidRect(client, RGB(240, 240, 240));
}

LRESULT CWndBottom::OnSplitterMoved(WPARAM splitter, LPARAM)
{
    if (!m_splitter || splitter != reinterpret_cast<WPARAM>(m_splitter.get()))
        return 0;
    POINT p{m_splitter->GetLastX(), 0};
    ::ClientToScreen(*m_splitter, &p);
    ScreenToClient(&p);
    const int width = GetClientRect().Width();
    m_split = p.x;
    m_splitChosen = true;
    if (m_split < kMinSide)
        m_split = kMinSide;
    else if (m_split > width - kMinSide)
        m_split = width - kMinSide;
    SendMessage(WM_SIZE, 0, 0);
    return 0;
}

CWndLog* CWndBottom::LogPane(std::unique_ptr<CWndLog>& pane)
{
    if (!pane || pane->m_hWnd || !m_logTabs || !m_logTabs->m_hWnd)
        return pane.get();
    // Where the shown log is: the three share one place.
    if (!pane->Create(WS_CHILD, m_output->GetRectInParent(), *m_logTabs, 0))
        return pane.get();
    // Siblings in the order they had when all three were made at start
    // (output, debugger log, firmware log), whichever comes first now.
    HWND after = *m_output;
    if (pane == m_firmware && m_debugger->m_hWnd)
        after = *m_debugger;
    ::SetWindowPos(*pane, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    return pane.get();
}

void CWndBottom::OnLogTabChange(NMHDR*, LRESULT* result)
{
    const int tab = m_logTabs->GetCurSel();
    const CWndLog* shown = tab == 0   ? m_output.get()
                           : tab == 1 ? LogPane(m_firmware)
                           : tab == 2 ? LogPane(m_debugger)
                                      : nullptr;
    for (CWndLog* pane : {m_output.get(), m_firmware.get(), m_debugger.get()})
        if (pane->m_hWnd)
            pane->ShowWindow(pane == shown ? SW_SHOW : SW_HIDE);
    *result = 0;
}

void CWndBottom::OnWatchTabChange(NMHDR*, LRESULT* result)
{
    if (m_watchTabs->GetCurSel() == 0) {
        m_list->ShowWindow(SW_SHOW);
        if (m_resource)
            m_resource->ShowWindow(SW_HIDE);
        m_list->SetFocus();
    } else {
        if (!m_resource) {
            m_resource.reset(new CWndResource);
            m_resource->Create(WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, CRect(), *m_watchTabs, 0);
            m_resource->SetRows(m_resourceRows);
            SendMessage(WM_SIZE, 0, 0);
        }
        m_list->ShowWindow(SW_HIDE);
        m_resource->ShowWindow(SW_SHOW);
        m_resource->SetFocus();
    }
    *result = 0;
}

// ---- logs

void CWndBottom::AddOutput(const char* text, size_t length)
{
    if (m_output)
        m_output->AddText(text, length);
}

void CWndBottom::AddFirmwareLog(const char* text, size_t length)
{
    if (CWndLog* pane = LogPane(m_firmware))
        pane->AddText(text, length);
}

void CWndBottom::AddDebuggerLog(const char* text)
{
    if (CWndLog* pane = LogPane(m_debugger))
        pane->AddLine(CLogTrim::OneLine(text).c_str());
}

void CWndBottom::SetLogFont(const LOGFONTA& font)
{
    for (CWndLog* pane : {m_output.get(), m_debugger.get(), m_firmware.get()})
        if (pane)
            pane->SetLogFont(font);
}

void CWndBottom::SetAutoScroll(bool on)
{
    if (m_output)
        m_output->SetAutoScroll(on);
}

// ---- resource view

void CWndBottom::SetResourceRows(const int32_t (*rows)[3])
{
    m_resourceRows = rows;
    if (m_resource)
        m_resource->SetRows(rows);
}

void CWndBottom::RedrawResourceView()
{
    if (m_resource && m_resource->m_hWnd)
        m_resource->Invalidate();
}

// ---- watch rows

void CWndBottom::InsertRow(int row)
{
    const CWatchList::Row* r = m_watches.At(row);
    if (!r)
        return;
    m_list->InsertItem(row, r->name.c_str());
    m_list->SetItemText(row, 1, r->type.c_str());
    m_list->SetItemText(row, 2, r->value.c_str());
}

CString CWndBottom::GetWatchName(int row) { return CString(m_watches.AskName(row)); }

void CWndBottom::SetWatchValue(int row, const CString& type, const CString& value, const CString& fullValue)
{
    if (!m_watches.SetValue(row, type.str(), value.str(), fullValue.str()) || !m_list)
        return;
    m_list->SetItemText(row, 1, type);
    m_list->SetItemText(row, 2, value);
}

int CWndBottom::FirstSelected() const
{
    return m_list ? m_list->GetNextItem(-1, LVNI_SELECTED) : -1;
}

void CWndBottom::AskForValues()
{
    if (m_watches.Count() > 0)
        ::SendMessageA(GetParent(), WM_USER_WATCH_NEXT, 0, 1);
}

LRESULT CWndBottom::OnContextMenu(WPARAM, LPARAM pos)
{
    if (!m_list || !m_list->IsWindowVisible())
        return 0;
    CPoint pt(pos);
    if (pos == -1)
        ::GetCursorPos(&pt);
    if (!m_list->GetWindowRect().PtInRect(pt))
        return 0;
    CMenu menu;
    if (!menu.LoadMenu(IDR_WATCH_MENU))
        return 0;
    CMenu popup;
    popup.Attach(menu.GetSubMenu(0));
    if (!popup.m_hMenu)
        return 0;
    const int row = FirstSelected();
    const CWatchList::Row* selected = m_watches.At(row);
    const CWatchList::MenuState state = m_watches.Menu(selected != nullptr, selected ? selected->type : "");
    const struct {
        UINT id;
        bool on;
    } items[] = {{ID_WATCH_ADD, state.add},           {ID_WATCH_MODIFY, state.modify},
                 {ID_WATCH_DELETE, state.remove},     {ID_WATCH_DELETE_ALL, state.removeAll},
                 {ID_WATCH_DETAIL, state.detail},     {ID_WATCH_REFRESH, state.refresh}};
    for (const auto& item : items)
        popup.EnableMenuItem(item.id, MF_BYCOMMAND | (item.on ? MF_ENABLED : MF_GRAYED));
    popup.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, m_hWnd);
    popup.Detach();
    return 0;
}

void CWndBottom::OnAdd()
{
    if (m_watches.IsFull())
        return;
    const HWND self = m_hWnd;
    CDlgAddWatch dlg(m_hWnd);
    if (dlg.DoModal() != IDOK || !::IsWindow(self) || !m_list)
        return;
    if (!m_watches.Add(dlg.m_name.str()))
        return;  // filled up while the box was open
    InsertRow(m_watches.Count() - 1);
    AskForValues();
}

void CWndBottom::OnModify()
{
    const CWatchList::Row* r = m_watches.At(FirstSelected());
    if (!r)
        return;
    // The box runs a message loop: the row is found again by its serial.
    const uint32_t serial = r->serial;
    const HWND self = m_hWnd;
    CDlgAddWatch dlg(m_hWnd);
    dlg.m_mode = 1;
    dlg.m_name = r->name;
    if (dlg.DoModal() != IDOK || !::IsWindow(self) || !m_list)
        return;
    const int row = m_watches.Find(serial);
    if (row < 0 || !m_watches.Rename(row, dlg.m_name.str()))
        return;
    m_list->SetItemText(row, 0, dlg.m_name);
    m_list->SetItemText(row, 1, "");
    m_list->SetItemText(row, 2, "");
    OnRefresh();
}

void CWndBottom::OnDelete()
{
    if (!m_list)
        return;
    const int n = static_cast<int>(m_list->SendMessage(LVM_GETSELECTEDCOUNT));
    for (int i = 0; i < n; ++i) {
        const int row = FirstSelected();
        if (row < 0)
            break;
        m_list->DeleteItem(row);
        m_watches.Remove(row);
    }
}

void CWndBottom::OnDeleteAll()
{
    if (m_list)
        m_list->DeleteAllItems();
    m_watches.Clear();
}

void CWndBottom::OnRefresh() { AskForValues(); }

void CWndBottom::OnDetail() { ShowDetail(FirstSelected()); }

void CWndBottom::OnWatchDblClk(NMHDR* hdr, LRESULT* result)
{
    const NMITEMACTIVATE* item = reinterpret_cast<const NMITEMACTIVATE*>(hdr);
    if (item->iItem >= 0)
        ShowDetail(item->iItem);
    *result = 0;
}

void CWndBottom::ShowDetail(int row)
{
    const CWatchList::Row* r = m_watches.At(row);
    if (!r || !CWatchList::HasDetail(r->type))
        return;
    CDlgWatchDetail dlg(m_hWnd);
    dlg.m_fullValue = r->full;  // a copy: the rows may change while the box is open
    dlg.DoModal();
}

BOOL CWndBottom::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE && m_list && m_list->m_hWnd &&
        ::GetFocus() == m_list->m_hWnd) {
        OnDelete();
        return TRUE;
    }
    return CWnd::PreTranslateMessage(msg);
}
