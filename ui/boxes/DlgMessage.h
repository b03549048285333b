// The program's own message box: a style word as MessageBox takes (buttons,
// icon, system-modal, foreground, topmost), captions from the string table,
// a PNG icon, text sized and wrapped to fit, an optional "Apply to all files"
// check box. DoModal returns the ID* code of the button.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "ui/kit/GdiPlus.h"

class CDlgMessage : public CDialog {
public:
    CDlgMessage(const char* text, HWND parent, UINT style);
    ~CDlgMessage() override;

    UINT m_style;
    int m_buttonType = 0;
    CString m_text;
    CFont m_font;
    int m_buttonCount = 0;
    CStringArray m_lines;
    CButton m_button1;
    CButton m_button2;
    CButton m_button3;
    Gdiplus::Bitmap* m_icon = nullptr;
    int m_showCheck = 0;    // set by the caller before DoModal
    int m_checkResult = 0;  // the check box's state when a button ended the box
    CButton m_check;
    CBrush m_ground;  // the box's own grey, under the check box too

    BOOL PreTranslateMessage(MSG* msg) override;
    // The icon resource the box shows (0 when none), for tests and callers.
    int IconId() const;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT cs);
    void OnDestroy();
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    LRESULT OnCtlColor(WPARAM dc, LPARAM);
    void OnButton1() { EndWithColumn(0); }
    void OnButton2() { EndWithColumn(1); }
    void OnButton3() { EndWithColumn(2); }
    void SetButtons();
    void LoadStyleIcon();
    void EndWithColumn(int column);
    int LineHeight();
};

// Shows a message with a string-table text; the result is the ID* code.
INT_PTR ShowMessage(HWND parent, UINT stringId, UINT style);
INT_PTR ShowMessageText(HWND parent, const char* text, UINT style);
