// The modeless "Find" dialog of the editor. It only collects the text and
// options and sends WM_USER_FIND_REPLACE to its owner editor.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CWndEditor;

class CDlgSearch : public CDialog
{
public:
    explicit CDlgSearch(CWndEditor* owner);

    // Created hidden on first use; closing only hides it.
    bool CreateModeless();
    // Puts a text into the find edit (and the member).
    void SetFindText(const char* text);

    unsigned m_flags = 0; // kSearch* of TextSearch.h
    CString m_findText;
    CWndEditor* m_owner;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override { OnFindNext(); }
    void OnCancel() override { ShowWindow(SW_HIDE); }
    void OnFindNext();
    void OnTextChange();
};

// Reads the three option boxes of a find or replace dialog.
unsigned ReadSearchFlags(HWND dialog);
void WriteSearchFlags(HWND dialog, unsigned flags);
