// The modeless "Replace" dialog of the editor: Find Next, Replace and
// Replace All go to the owner editor as WM_USER_FIND_REPLACE 2, 3 and 4.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CWndEditor;

class CDlgChange : public CDialog
{
public:
    explicit CDlgChange(CWndEditor* owner);

    bool CreateModeless();
    void SetFindText(const char* text);

    unsigned m_flags = 0;
    CString m_findText;
    CString m_replaceText;
    CWndEditor* m_owner;

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override { ShowWindow(SW_HIDE); }
    void OnFindNext() { Send(2); }
    void OnReplace() { Send(3); }
    void OnReplaceAll() { Send(4); }
    void OnTextChange();
    void Send(WPARAM action);
};
