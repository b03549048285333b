#include "workbench/bottom/DlgAddWatch.h"

#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"
#include "workbench/bottom/WatchList.h"

CDlgAddWatch::CDlgAddWatch(HWND parent) : CDialog(IDD_ADD_WATCH, parent) {}

void CDlgAddWatch::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_WATCH_NAME, m_edit);
}

BOOL CDlgAddWatch::OnInitDialog()
{
    CDialog::OnInitDialog();
    // The limit counts characters, the board bytes: a longer name is typed in
    // whole and refused with a word, never cut without one.
    m_edit.SetLimitText(kTypedLimit);
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
    switch (CWatchList::CheckName(m_edit.GetWindowText().str(), name)) {
    case CWatchList::NameVerdict::Accepted:
        break;
    case CWatchList::NameVerdict::Empty:
        return;  // stays open
    case CWatchList::NameVerdict::TooLong:
        ShowMessage(m_hWnd, IDS_WATCH_NAME_TOO_LONG, MB_ICONEXCLAMATION);
        // The box ran a message loop: this dialog may have been closed meanwhile.
        if (m_hWnd)
            ::SetFocus(m_edit.m_hWnd);
        return;
    }
    m_name = name;
    EndDialog(IDOK);
}
