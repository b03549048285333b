#include "workbench/files/DlgResize.h"

#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/files/ImageRules.h"

BEGIN_MESSAGE_MAP(CDlgResize, CDialog)
    ON_EN_CHANGE(IDC_RESIZE_WIDTH, OnWidthChange)
    ON_EN_CHANGE(IDC_RESIZE_HEIGHT, OnHeightChange)
END_MESSAGE_MAP()

CDlgResize::CDlgResize(HWND parent, int width, int height)
    : CDialog(IDD_RESIZE, parent), m_width(width), m_height(height), m_baseWidth(width), m_baseHeight(height) {}

void CDlgResize::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_RESIZE_KEEP_RATIO, m_keepRatio); }

BOOL CDlgResize::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int id : {IDC_RESIZE_WIDTH, IDC_RESIZE_HEIGHT}) ::SendDlgItemMessageA(m_hWnd, id, EM_SETLIMITTEXT, 5, 0);
    m_guard = 1;
    ::SetDlgItemInt(m_hWnd, IDC_RESIZE_WIDTH, static_cast<UINT>(m_width), TRUE);
    m_guard = 1;
    ::SetDlgItemInt(m_hWnd, IDC_RESIZE_HEIGHT, static_cast<UINT>(m_height), TRUE);
    m_guard = 0;
    m_keepRatio.SetCheck(BST_CHECKED);
    return TRUE;
}

void CDlgResize::OnWidthChange() { Follow(IDC_RESIZE_WIDTH, IDC_RESIZE_HEIGHT, m_baseWidth, m_baseHeight); }

void CDlgResize::OnHeightChange() { Follow(IDC_RESIZE_HEIGHT, IDC_RESIZE_WIDTH, m_baseHeight, m_baseWidth); }

void CDlgResize::Follow(int changed, int other, int from, int to) {
    if (m_guard != 0 || !m_keepRatio.m_hWnd || m_keepRatio.GetCheck() != BST_CHECKED) {
        m_guard = 0;
        return;
    }
    // Every number typed moves the other side, even one OK will refuse:
    // a side left behind would give another ratio.
    int value = 0;
    if (!imagerules::ParseNumber(GetDlgItemText(changed).str(), value)) return;
    const int follow = imagerules::KeepRatio(value, from, to);
    m_guard = 1;
    ::SetDlgItemInt(m_hWnd, other, static_cast<UINT>(follow), TRUE);
}

void CDlgResize::OnOK() {
    int width = 0, height = 0;
    // A refused OK keeps the members: the size and the ratio stay usable.
    // The user hears why, and the side to mend is selected.
    for (auto side : {std::make_pair(IDC_RESIZE_WIDTH, &width), std::make_pair(IDC_RESIZE_HEIGHT, &height)}) {
        if (imagerules::ParseSide(GetDlgItemText(side.first).str(), *side.second)) continue;
        ShowMessage(m_hWnd, IDS_RESIZE_RANGE, MB_OK | MB_ICONEXCLAMATION);
        if (!::IsWindow(m_hWnd)) return;
        ::SetFocus(GetDlgItem(side.first));
        ::SendDlgItemMessageA(m_hWnd, side.first, EM_SETSEL, 0, -1);
        return;
    }
    m_width = width;
    m_height = height;
    EndDialog(IDOK);
}
