#include "workbench/bottom/DlgViewLog.h"

#include "resources/resource.h"

CDlgViewLog::CDlgViewLog(HWND parent) : CDialog(IDD_VIEW_LOG, parent) {}

void CDlgViewLog::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_VIEW_LOG_TEXT, m_edit);
}

BOOL CDlgViewLog::OnInitDialog()
{
    CDialog::OnInitDialog();
    // A log of up to a megabyte: past the edit's default limit.
    m_edit.SetLimitText(0x7FFFFFFE);
    m_edit.SetWindowText(m_text);
    return TRUE;
}
