// The editor window's find and replace: the dialogs, F3, and the result
// boxes over them.
#include "editor/WndEditor.h"

#include "editor/DlgChange.h"
#include "editor/DlgSearch.h"
#include "editor/TextSearch.h"
#include "framework/Resources.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

// ---- Find and replace -------------------------------------------------------

void CWndEditor::ShowFindDialog()
{
    EndComposition();
    if (m_replace && m_replace->m_hWnd && m_replace->IsWindowVisible())
        m_replace->ShowWindow(SW_HIDE);
    if (!m_find)
        m_find = std::make_unique<CDlgSearch>(this);
    if (!m_find->m_hWnd && !m_find->CreateModeless())
        return;
    m_find->SetFindText(m_find->m_findText);
    m_find->ShowWindow(SW_SHOW);
    ::SetFocus(m_find->GetDlgItem(IDC_FIND_TEXT));
}

void CWndEditor::ShowReplaceDialog()
{
    EndComposition();
    if (m_find && m_find->m_hWnd && m_find->IsWindowVisible())
        m_find->ShowWindow(SW_HIDE);
    if (!m_replace)
        m_replace = std::make_unique<CDlgChange>(this);
    if (!m_replace->m_hWnd && !m_replace->CreateModeless())
        return;
    m_replace->SetFindText(m_replace->m_findText);
    m_replace->ShowWindow(SW_SHOW);
    ::SetFocus(m_replace->GetDlgItem(IDC_FIND_TEXT));
}

bool CWndEditor::CanFindNext() const
{
    return m_find && !m_find->m_findText.IsEmpty();
}

bool CWndEditor::Search(int start, const char* text, unsigned flags)
{
    EndComposition();
    int row = m_core.CaretRow();
    bool found = m_core.Search(start, text ? text : "", flags);
    if (found)
        Refresh(row, true);
    return found;
}

int CWndEditor::Replace(int start, unsigned flags, const char* replacement, const char* text)
{
    if (IsReadOnly())
        return 0;
    EndComposition();
    int r = m_core.Replace(start, flags, replacement ? replacement : "", text ? text : "");
    Refresh(0, true);
    return r;
}

void CWndEditor::FindWith(bool backward)
{
    if (!CanFindNext())
        return;
    unsigned flags = (m_find->m_flags & ~kSearchUp) | (backward ? unsigned(kSearchUp) : 0u);
    CString text = m_find->m_findText;
    if (!Search(-1, text, flags))
        ShowResult(m_hWnd, CResources::LoadString(IDS_STRING_NOT_FOUND));
}

void CWndEditor::FindNext()
{
    FindWith(false);
}

void CWndEditor::FindPrevious()
{
    FindWith(true);
}

void CWndEditor::ShowResult(HWND owner, const char* text)
{
    HWND self = m_hWnd;
    HWND root = ::GetAncestor(self, GA_ROOT);
    bool disable = root && root != owner && ::IsWindowEnabled(root);
    if (disable)
        ::EnableWindow(root, FALSE);
    ShowMessageText(owner, text, MB_ICONWARNING);
    if (disable && ::IsWindow(root))
        ::EnableWindow(root, TRUE);
    if (::IsWindow(self) && ::GetFocus() == nullptr)
        ::SetFocus(owner);
}

LRESULT CWndEditor::OnFindReplace(WPARAM wParam, LPARAM)
{
    CString notFound = CResources::LoadString(IDS_STRING_NOT_FOUND);
    if ((wParam == 1 && m_find) || (wParam == 2 && m_replace)) {
        CDialog* dlg = wParam == 1 ? static_cast<CDialog*>(m_find.get()) : m_replace.get();
        CString text = wParam == 1 ? m_find->m_findText : m_replace->m_findText;
        unsigned flags = wParam == 1 ? m_find->m_flags : m_replace->m_flags;
        if (!Search(-1, text, flags))
            ShowResult(dlg->m_hWnd, notFound);
        return 1;
    }
    if (!m_replace || (wParam != 3 && wParam != 4))
        return 0;
    if (IsReadOnly()) {
        ::MessageBeep(MB_ICONWARNING);
        return 0;
    }
    // Copies: the box below runs a message loop, and nothing held across it
    // may point into the dialog.
    CString find = m_replace->m_findText;
    CString with = m_replace->m_replaceText;
    unsigned flags = m_replace->m_flags;
    HWND dlg = m_replace->m_hWnd;
    if (wParam == 3) {
        if (Replace(-1, flags, with, find) == 0)
            ShowResult(dlg, notFound);
        return 1;
    }
    EndComposition();
    int count = m_core.ReplaceAll(flags & ~kSearchWrap, with.str(), find.str());
    // One repaint at the end of the run.
    Refresh(0, true);
    UpdateWindow();
    if (count == 0) {
        ShowResult(dlg, notFound);
    } else {
        CString msg;
        msg.Format(CResources::LoadString(IDS_REPLACED_COUNT), count, find.c_str(), with.c_str());
        ShowResult(dlg, msg);
    }
    return 1;
}

