#include "workbench/files/DlgSelectEditor.h"

#include "resources/resource.h"

CDlgSelectEditor::CDlgSelectEditor(HWND parent) : CDialog(IDD_SELECT_EDITOR, parent) {}

BOOL CDlgSelectEditor::OnInitDialog() {
    CDialog::OnInitDialog();
    ::CheckRadioButton(m_hWnd, IDC_EDITOR_INTERNAL, IDC_EDITOR_EXTERNAL, IDC_EDITOR_INTERNAL);
    return TRUE;
}

void CDlgSelectEditor::OnOK() {
    m_internal = ::IsDlgButtonChecked(m_hWnd, IDC_EDITOR_INTERNAL) == BST_CHECKED;
    EndDialog(IDOK);
}
