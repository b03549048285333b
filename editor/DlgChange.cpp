#include "editor/DlgChange.h"

#include "editor/DlgSearch.h"
#include "editor/WndEditor.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"

CDlgChange::CDlgChange(CWndEditor* owner) : CDialog(IDD_REPLACE, owner ? owner->m_hWnd : nullptr), m_owner(owner) {}

BEGIN_MESSAGE_MAP(CDlgChange, CDialog)
    ON_BN_CLICKED(IDC_REPLACE_FIND_NEXT, OnFindNext)
    ON_BN_CLICKED(IDC_REPLACE_ONE, OnReplace)
    ON_BN_CLICKED(IDC_REPLACE_ALL, OnReplaceAll)
    ON_EN_CHANGE(IDC_FIND_TEXT, OnTextChange)
END_MESSAGE_MAP()

bool CDlgChange::CreateModeless()
{
    return Create(IDD_REPLACE, m_owner ? m_owner->m_hWnd : nullptr);
}

BOOL CDlgChange::OnInitDialog()
{
    ::SendDlgItemMessageA(m_hWnd, IDC_FIND_TEXT, EM_LIMITTEXT, 255, 0);
    ::SendDlgItemMessageA(m_hWnd, IDC_REPLACE_TEXT, EM_LIMITTEXT, 255, 0);
    WriteSearchFlags(m_hWnd, m_flags);
    SetDlgItemText(IDC_FIND_TEXT, m_findText);
    SetDlgItemText(IDC_REPLACE_TEXT, m_replaceText);
    OnTextChange();
    return TRUE;
}

void CDlgChange::SetFindText(const char* text)
{
    m_findText = text;
    if (m_hWnd)
        SetDlgItemText(IDC_FIND_TEXT, text);
}

void CDlgChange::OnTextChange()
{
    BOOL any = ::GetWindowTextLengthA(GetDlgItem(IDC_FIND_TEXT)) > 0;
    for (int id : {IDC_REPLACE_FIND_NEXT, IDC_REPLACE_ONE, IDC_REPLACE_ALL})
        ::EnableWindow(GetDlgItem(id), any);
}

BOOL CDlgChange::PreTranslateMessage(MSG* msg)
{
    return msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
}

void CDlgChange::Send(WPARAM action)
{
    m_flags = ReadSearchFlags(m_hWnd);
    m_findText = GetDlgItemText(IDC_FIND_TEXT);
    m_replaceText = GetDlgItemText(IDC_REPLACE_TEXT);
    if (m_findText.IsEmpty() || !m_owner || !::IsWindow(m_owner->m_hWnd))
        return;
    ::SendMessageA(m_owner->m_hWnd, WM_USER_FIND_REPLACE, action, 0);
}
