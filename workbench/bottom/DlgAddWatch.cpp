#include "workbench/bottom/DlgAddWatch.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "workbench/bottom/WatchList.h"

CDlgAddWatch::CDlgAddWatch(HWND parent) : CDialog(IDD_ADD_WATCH, parent) {}

void CDlgAddWatch::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_WATCH_NAME, m_edit);
}

BOOL CDlgAddWatch::OnInitDialog()
{
    CDialog::OnInitDialog();
    CenterWindow();  // over the main window, as the other dialogs open
    m_edit.SetLimitText(static_cast<int>(CWatchList::kMaxName));
    if (m_mode == 1) {
        SetWindowText(CResources::LoadString(IDS_EDIT_WATCH_TITLE));
        SetDlgItemText(IDC_WATCH_PROMPT, CResources::LoadString(IDS_EDIT_WATCH_PROMPT));
        SetDlgItemText(IDOK, CResources::LoadString(IDS_CHANGE));
        m_edit.SetWindowText(m_name);
    }
    return TRUE;
}

void CDlgAddWatch::OnOK()
{
    std::string name;
    if (!CWatchList::AcceptName(m_edit.GetWindowText().str(), name))
        return;  // stays open
    m_name = name;
    EndDialog(IDOK);
}
