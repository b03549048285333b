// Dialogs from resource templates (looked up in the resource language), modal
// through the program's own loop or modeless, with data exchange.
#pragma once

#include "framework/Wnd.h"

class CDataExchange;

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, HWND parent);

    // Modal: the owner (the parent's top-level window; without a parent, the
    // application's main window) and the owners above it are disabled while the
    // dialog runs, and the window active before it is active again after; the
    // result is what EndDialog was given, -1 when the dialog could not be created
    // (also while the object holds a window) or was destroyed without it.
    virtual INT_PTR DoModal();
    // Modeless: a top-level dialog registers with the message loop for keyboard
    // navigation (a child page is navigated by its dialog: give it DS_CONTROL).
    // False while the object holds a window.
    bool Create(UINT templateId, HWND parent);
    void EndDialog(int result);
    bool IsModalRunning() const { return m_modal && !m_ended; }
    // Ended, its window not yet gone (a modal box until its loop returns).
    bool HasEnded() const { return m_ended; }

    // Moves values between controls and members; false when a value was refused.
    bool UpdateData(BOOL saveAndValidate = TRUE);

    UINT m_nIDTemplate;
    HWND m_hParentWnd;

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    // Child pages and progress-style dialogs: Enter and Esc do nothing. Neither
    // counts a key pressed in an open drop-down list: the list takes it to close,
    // through the dialog's navigation, as in any dialog.
    static bool IsEnterOrEsc(const MSG* msg);
    static bool IsEnter(const MSG* msg);

    DECLARE_MESSAGE_MAP()
    LRESULT HandleInitDialog(WPARAM, LPARAM);
    LRESULT HandleSysCommand(WPARAM, LPARAM);
    void HandleOk() { OnOK(); }
    void HandleCancel() { OnCancel(); }
    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
    HWND CreateFromTemplate(HWND owner);
    // Every top-level dialog opens centred over its owner.
    void CenterOnOwner();

    bool m_modal = false;
    bool m_ended = false;
    int m_result = 0;

private:
    static bool IsForOpenList(const MSG* msg);
};

// One pass of data exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CDialog* dlg, bool save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
    bool m_failed = false;
    HWND Item(int id) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, id); }
    // Stops the exchange at a refused value: the control gets the focus.
    void Fail(int id);
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
