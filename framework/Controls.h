// Thin wrappers of the standard and common controls the windows use. Each is
// a CWnd bound to an existing control (DDX_Control) or created with Create.
#pragma once

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    bool Create(const char* caption, DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, "BUTTON", caption, style, rc, parent, id);
    }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

class CStatic : public CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, "STATIC", text, style, rc, parent, id);
    }
};

class CEdit : public CWnd {
public:
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(WS_EX_CLIENTEDGE, "EDIT", "", style, rc, parent, id);
    }
    void SetLimitText(int max) { SendMessage(EM_SETLIMITTEXT, static_cast<WPARAM>(max)); }
    void SetSel(int start, int end) { SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end); }
    void ReplaceSel(const char* text) { SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text)); }
    void SetReadOnly(BOOL ro) { SendMessage(EM_SETREADONLY, static_cast<WPARAM>(ro)); }
};

class CComboBox : public CWnd {
public:
    int AddString(const char* s) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s))); }
    int InsertString(int i, const char* s) {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int i) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(i))); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    CString GetLBText(int i) const;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange32(int lo, int hi) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lo), hi); }
    int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
};

class CListCtrl : public CWnd {
public:
    bool Create(DWORD style, const RECT& rc, HWND parent, UINT id) {
        return CreateEx(0, WC_LISTVIEWA, "", style, rc, parent, id);
    }
    int InsertColumn(int col, const char* heading, int format = LVCFMT_LEFT, int width = -1);
    int InsertItem(int item, const char* text);
    bool SetItemText(int item, int sub, const char* text);
    CString GetItemText(int item, int sub) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    bool DeleteItem(int item) { return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0; }
    bool DeleteAllItems() { return SendMessage(LVM_DELETEALLITEMS) != 0; }
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), static_cast<LPARAM>(flags)));
    }
    DWORD SetExtendedStyle(DWORD ex) { return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, ex)); }
    HWND GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }
    bool SetTextBkColor(COLORREF c) { return SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(c)) != 0; }
    bool SetBkColor(COLORREF c) { return SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(c)) != 0; }
};

class CTabCtrl : public CWnd {
public:
    int InsertItem(int i, const char* text);
    int GetCurSel() const { return static_cast<int>(SendMessage(TCM_GETCURSEL)); }
    int SetCurSel(int i) { return static_cast<int>(SendMessage(TCM_SETCURSEL, static_cast<WPARAM>(i))); }
    int GetItemCount() const { return static_cast<int>(SendMessage(TCM_GETITEMCOUNT)); }
};

class CIPAddressCtrl : public CWnd {
public:
    void SetAddress(DWORD addr) { SendMessage(IPM_SETADDRESS, 0, static_cast<LPARAM>(addr)); }
    // The number of fields that are filled in.
    int GetAddress(DWORD& addr) const {
        return static_cast<int>(SendMessage(IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&addr)));
    }
    void ClearAddress() { SendMessage(IPM_CLEARADDRESS); }
    bool IsBlank() const { return SendMessage(IPM_ISBLANK) != 0; }
};

class CDateTimeCtrl : public CWnd {
public:
    bool GetTime(SYSTEMTIME& t) const {
        return SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID;
    }
    bool SetTime(const SYSTEMTIME& t) {
        return SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t)) != 0;
    }
};
