#include "workbench/files/DlgFileName.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/files/FileNameRules.h"

using filenames::Verdict;

CDlgFileName::CDlgFileName(HWND parent) : CDialog(IDD_FILE_NAME, parent) {}

void CDlgFileName::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_FILENAME_EDIT, m_edit); }

BOOL CDlgFileName::OnInitDialog() {
    CDialog::OnInitDialog();
    filenames::NameForm form;
    form.mode = m_mode;
    form.oldName = m_oldName.str();
    const std::string start = form.StartText();
    m_keptExtension = form.keptExtension.c_str();
    SetWindowText(CResources::LoadString(m_mode == 1 ? IDS_RENAME : IDS_NEW));
    SetDlgItemText(IDOK, CResources::LoadString(m_mode == 1 ? IDS_CHANGE : IDS_CREATE));
    m_edit.SetLimitText(32);
    m_edit.SetWindowText(start.c_str());
    return TRUE;
}

void CDlgFileName::OnOK() {
    filenames::NameForm form;
    form.mode = m_mode;
    form.oldName = m_oldName.str();
    form.keptExtension = m_keptExtension.str();
    form.prefix = m_prefix.str();
    for (int i = 0; i < m_namesInUse.GetSize(); ++i) form.namesInUse.push_back(m_namesInUse[i].str());
    std::string result;
    const Verdict v = form.Check(m_edit.GetWindowText().str(), result);
    switch (v) {
    case Verdict::Ok:
        m_result = result.c_str();
        EndDialog(IDOK);
        return;
    case Verdict::Empty: ShowMessage(m_hWnd, IDS_ENTER_FILENAME, MB_OK | MB_ICONEXCLAMATION); break;
    case Verdict::Unchanged: ShowMessage(m_hWnd, IDS_FILENAME_UNCHANGED, MB_OK | MB_ICONEXCLAMATION); break;
    case Verdict::TooLong: ShowMessageText(m_hWnd, "Error[File name is long]", MB_OK); break;
    case Verdict::InUse: ShowMessage(m_hWnd, IDS_FILENAME_IN_USE, MB_OK | MB_ICONEXCLAMATION); break;
    default: ShowMessage(m_hWnd, IDS_FILENAME_INVALID, MB_OK | MB_ICONEXCLAMATION); break;
    }
    if (m_hWnd) m_edit.SetFocus();
}
