#include "workbench/bottom/DlgWatchDetail.h"

#include "resources/resource.h"
#include "workbench/bottom/HexDump.h"

BEGIN_MESSAGE_MAP(CDlgWatchDetail, CDialog)
    ON_WM_CREATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CDlgWatchDetail::CDlgWatchDetail(HWND parent) : CDialog(IDD_WATCH_DETAIL, parent) {}

void CDlgWatchDetail::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_WATCH_DUMP, m_edit);
}

int CDlgWatchDetail::OnCreate(LPCREATESTRUCT cs)
{
    if (CDialog::OnCreate(cs) < 0)
        return -1;
    // Fixed pitch asked for too, so the columns line up where the face is missing.
    m_font.CreateFont(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "DotumChe");
    return 0;
}

BOOL CDlgWatchDetail::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_edit.SetFont(m_font);
    // The dump of a long string is far past the edit's default limit; it is
    // built whole and set once.
    m_edit.SetLimitText(0x7FFFFFFE);
    m_edit.SetWindowText(FormatHexDump(m_fullValue.str()).c_str());
    // The dialog's own focusing would select the whole dump and show its
    // end: the reader starts at offset 0 with nothing selected.
    m_edit.SetFocus();
    m_edit.SetSel(0, 0);
    m_edit.SendMessage(EM_SCROLLCARET);
    return FALSE;
}

void CDlgWatchDetail::OnDestroy()
{
    m_font.DeleteObject();
    CDialog::OnDestroy();
}
