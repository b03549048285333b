#include "editor/DlgSearch.h"

#include "editor/TextSearch.h"
#include "editor/WndEditor.h"
#include "resources/resource.h"
#include "ui/WindowMessages.h"

unsigned ReadSearchFlags(HWND dialog)
{
    unsigned flags = 0;
    if (::IsDlgButtonChecked(dialog, IDC_FIND_UP) == BST_CHECKED)
        flags |= kSearchUp;
    if (::IsDlgButtonChecked(dialog, IDC_FIND_MATCH_CASE) == BST_CHECKED)
        flags |= kSearchMatchCase;
    if (::IsDlgButtonChecked(dialog, IDC_FIND_WRAP) == BST_CHECKED)
        flags |= kSearchWrap;
    return flags;
}

void WriteSearchFlags(HWND dialog, unsigned flags)
{
    ::CheckDlgButton(dialog, IDC_FIND_UP, (flags & kSearchUp) ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog, IDC_FIND_MATCH_CASE, (flags & kSearchMatchCase) ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(dialog, IDC_FIND_WRAP, (flags & kSearchWrap) ? BST_CHECKED : BST_UNCHECKED);
}

CDlgSearch::CDlgSearch(CWndEditor* owner) : CDialog(IDD_FIND, owner ? owner->m_hWnd : nullptr), m_owner(owner) {}

BEGIN_MESSAGE_MAP(CDlgSearch, CDialog)
    ON_BN_CLICKED(IDC_FIND_NEXT, OnFindNext)
    ON_EN_CHANGE(IDC_FIND_TEXT, OnTextChange)
END_MESSAGE_MAP()

bool CDlgSearch::CreateModeless()
{
    return Create(IDD_FIND, m_owner ? m_owner->m_hWnd : nullptr);
}

BOOL CDlgSearch::OnInitDialog()
{
    ::SendDlgItemMessageA(m_hWnd, IDC_FIND_TEXT, EM_LIMITTEXT, 255, 0);
    WriteSearchFlags(m_hWnd, m_flags);
    SetDlgItemText(IDC_FIND_TEXT, m_findText);
    ::EnableWindow(GetDlgItem(IDC_FIND_NEXT), !m_findText.IsEmpty());
    return TRUE;
}

void CDlgSearch::SetFindText(const char* text)
{
    m_findText = text;
    if (m_hWnd)
        SetDlgItemText(IDC_FIND_TEXT, text);
}

void CDlgSearch::OnTextChange()
{
    ::EnableWindow(GetDlgItem(IDC_FIND_NEXT), ::GetWindowTextLengthA(GetDlgItem(IDC_FIND_TEXT)) > 0);
}

BOOL CDlgSearch::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        OnFindNext();
        return TRUE;
    }
    return FALSE;
}

void CDlgSearch::OnFindNext()
{
    m_flags = ReadSearchFlags(m_hWnd);
    m_findText = GetDlgItemText(IDC_FIND_TEXT);
    if (m_findText.IsEmpty() || !m_owner || !::IsWindow(m_owner->m_hWnd))
        return;
    ::SendMessageA(m_owner->m_hWnd, WM_USER_FIND_REPLACE, 1, 0);
}
