// Sizes, splitters and the layout kept in the registry.
#include "workbench/main/ZarvoDDlg.h"

#include "workbench/app/Registry.h"
#include "workbench/bottom/WndBottom.h"
#include "workbench/files/WndFileList.h"
#include "workbench/files/WndImage.h"
#include "ui/kit/PngButton.h"
#include "ui/kit/Splitter.h"
#include "workbench/main/MainLayout.h"

namespace {
// The panes are made where the first layout puts them; PlaceAt leaves alone
// what is already in place.
void Place(CWnd* w, const mainlayout::Box& b, bool redraw = false, bool dropList = false) {
    if (!w) return;
    const CRect target(b.x, b.y, b.x + (b.w > 0 ? b.w : 0), b.y + (b.h > 0 ? b.h : 0));
    if (w->PlaceAt(target, dropList) && redraw)
        ::RedrawWindow(*w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
}  // namespace

void CZarvoDDlg::OnSize(UINT type, int cx, int cy) {
    Default();
    if (m_layoutRestored) LayoutPanes();
}

mainlayout::Layout CZarvoDDlg::ComputeLayout() const {
    const CRect client = GetClientRect();
    mainlayout::DebugButtons d;
    d.stop = ButtonCell(kBtnStop);
    d.run = ButtonCell(kBtnRun);
    d.pause = ButtonCell(kBtnPause);
    d.stepIn = ButtonCell(kBtnStepIn);
    d.stepOver = ButtonCell(kBtnStepOver);
    const mainlayout::ButtonSize main[4] = {ButtonCell(kBtnConnect), ButtonCell(kBtnDisconnect),
                                            ButtonCell(kBtnSettings), ButtonCell(kBtnUpload)};
    return mainlayout::Compute(client.Width(), client.Height(), m_splitterX, m_splitterY, d, main);
}

void CZarvoDDlg::LayoutPanes() {
    if (!m_hWnd || !m_buttons[kBtnConnect]) return;
    const mainlayout::Layout l = ComputeLayout();
    if (!l.valid) return;
    m_splitterX = l.splitterX;
    Place(&m_editor, l.editor);
    Place(m_image, l.editor);
    Place(m_buttons[kBtnStop], l.stop, true);
    Place(m_buttons[kBtnRun], l.run, true);
    Place(m_buttons[kBtnPause], l.pause, true);
    Place(m_buttons[kBtnStepIn], l.stepIn, true);
    Place(m_buttons[kBtnStepOver], l.stepOver, true);
    // A drop-down list's window height is the height of its open list.
    mainlayout::Box combo = l.combo;
    combo.h = 200;
    Place(&m_portCombo, combo, false, true);
    Place(&m_comLabel, l.comLabel);
    Place(&m_listLabel, l.listLabel);
    Place(&m_nameLabel, l.nameLabel, true);
    Place(&m_sizeLabel, l.sizeLabel, true);
    Place(m_fileList, l.fileList);
    Place(&m_flashBar, l.flashBar);
    Place(m_splitV, l.vSplitter, true);
    Place(m_bottom, l.bottom);
    Place(m_splitH, l.hSplitter, true);
    Place(m_buttons[kBtnConnect], l.connect);
    Place(m_buttons[kBtnDisconnect], l.disconnect);
    Place(m_buttons[kBtnSettings], l.settings);
    Place(m_buttons[kBtnUpload], l.upload);
}

LRESULT CZarvoDDlg::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
    Default();
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    if (!info) return 0;
    info->ptMinTrackSize.x = mainlayout::kMinWidth;
    info->ptMinTrackSize.y = mainlayout::kMinHeight;
    return 0;
}

LRESULT CZarvoDDlg::OnSplitterMoved(WPARAM wParam, LPARAM) {
    // Only our own two splitters: anything else that arrives is ignored.
    CSplitter* s = reinterpret_cast<CSplitter*>(wParam);
    if (!s || (s != m_splitH && s != m_splitV) || !s->m_hWnd) return 0;
    CRect rc = s->GetRectInParent();
    const CRect client = GetClientRect();
    if (s == m_splitH) {
        if (s->GetLastY() != CSplitter::kNone) rc.OffsetRect(0, s->GetLastY());
        m_splitterY = mainlayout::HorizontalRelease(m_splitterY, client.Height(), rc.top, rc.bottom);
    } else {
        if (s->GetLastX() != CSplitter::kNone) rc.OffsetRect(s->GetLastX(), 0);
        m_splitterX = mainlayout::VerticalRelease(client.Width(), rc.left);
    }
    LayoutPanes();
    return 0;
}

void CZarvoDDlg::RestoreWindowLayout() {
    CRegistry key;
    if (!key.Open()) return;
    mainlayout::Saved saved;
    DWORD v = 0;
    uint32_t* fields[7] = {&saved.startX, &saved.startY, &saved.width, &saved.height,
                        &saved.splitterY, &saved.splitterX, &saved.bottomX};
    const char* names[7] = {"StartX", "StartY", "Width", "Height", "SplitterY", "SplitterX", "BottomX"};
    for (int i = 0; i < 7; ++i) {
        key.ReadDword(names[i], v);
        *fields[i] = v;
    }
    key.ReadDword("Lang", v);
    m_language = m_startLanguage = v;
    const mainlayout::Applied a = mainlayout::ApplySaved(saved, ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                                         ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
    m_splitterX = a.splitterX;
    m_splitterY = a.splitterY;
    // No pane exists yet: the move resizes the frame alone.
    if (a.place)
        MoveWindow(static_cast<int>(saved.startX), static_cast<int>(saved.startY), static_cast<int>(saved.width),
                   static_cast<int>(saved.height), TRUE);
    m_bottomSplit = a.bottom ? static_cast<int>(saved.bottomX) : 0;
}

void CZarvoDDlg::SaveWindowLayout() {
    CRegistry key;
    if (!key.Open() && !key.CreateKey()) return;
    // The normal placement: a window closed while minimised or maximised
    // keeps the rectangle it comes back to.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    ::GetWindowPlacement(m_hWnd, &wp);
    const RECT& r = wp.rcNormalPosition;
    const mainlayout::Saved s = mainlayout::ToSave(r.left, r.top, r.right, r.bottom, m_splitterX, m_splitterY,
                                                   m_bottom ? m_bottom->GetSplitPos() : 0);
    key.WriteDword("StartX", s.startX);
    key.WriteDword("StartY", s.startY);
    key.WriteDword("Width", s.width);
    key.WriteDword("Height", s.height);
    key.WriteDword("SplitterY", s.splitterY);
    key.WriteDword("SplitterX", s.splitterX);
    key.WriteDword("Lang", m_language);
    key.WriteDword("BottomX", s.bottomX);
}
