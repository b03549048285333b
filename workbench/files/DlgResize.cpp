#include "workbench/files/DlgResize.h"

#include "resources/resource.h"
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
    CenterWindow();
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
    int value = 0;
    if (!imagerules::ParseSide(GetDlgItemText(changed).str(), value)) return;
    const int follow = imagerules::KeepRatio(value, from, to);
    if (follow < 1) return;
    m_guard = 1;
    ::SetDlgItemInt(m_hWnd, other, static_cast<UINT>(follow), TRUE);
}

void CDlgResize::OnOK() {
    int width = 0, height = 0;
    // A refused OK keeps the members: the size and the ratio stay usable.
    if (!imagerules::ParseSide(GetDlgItemText(IDC_RESIZE_WIDTH).str(), width)) {
        ::SetFocus(GetDlgItem(IDC_RESIZE_WIDTH));
        ::SendDlgItemMessageA(m_hWnd, IDC_RESIZE_WIDTH, EM_SETSEL, 0, -1);
        return;
    }
    if (!imagerules::ParseSide(GetDlgItemText(IDC_RESIZE_HEIGHT).str(), height)) {
        ::SetFocus(GetDlgItem(IDC_RESIZE_HEIGHT));
        ::SendDlgItemMessageA(m_hWnd, IDC_RESIZE_HEIGHT, EM_SETSEL, 0, -1);
        return;
    }
    m_width = width;
    m_height = height;
    EndDialog(IDOK);
}
