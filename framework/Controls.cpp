#include "framework/Controls.h"

CString CComboBox::GetLBText(int i) const {
    int n = static_cast<int>(SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(i)));
    if (n <= 0) return CString();
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&buf[0]));
    return CString(buf.c_str());
}

int CListCtrl::InsertColumn(int col, const char* heading, int format, int width) {
    LVCOLUMNA c{};
    c.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM | (width >= 0 ? LVCF_WIDTH : 0);
    c.fmt = format;
    c.cx = width;
    c.pszText = const_cast<char*>(heading);
    c.iSubItem = col;
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(col), reinterpret_cast<LPARAM>(&c)));
}

int CListCtrl::InsertItem(int item, const char* text) {
    LVITEMA it{};
    it.mask = LVIF_TEXT;
    it.iItem = item;
    it.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}

bool CListCtrl::SetItemText(int item, int sub, const char* text) {
    LVITEMA it{};
    it.iSubItem = sub;
    it.pszText = const_cast<char*>(text);
    return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)) != 0;
}

CString CListCtrl::GetItemText(int item, int sub) const {
    // Grow the buffer until the text fits (the control truncates silently).
    for (int size = 256; size <= (1 << 20); size *= 4) {
        std::string buf(static_cast<size_t>(size), '\0');
        LVITEMA it{};
        it.iSubItem = sub;
        it.pszText = &buf[0];
        it.cchTextMax = size;
        int n = static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it)));
        if (n < size - 1) return CString(buf.c_str(), n);
    }
    return CString();
}

int CTabCtrl::InsertItem(int i, const char* text) {
    TCITEMA t{};
    t.mask = TCIF_TEXT;
    t.pszText = const_cast<char*>(text);
    return static_cast<int>(SendMessage(TCM_INSERTITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&t)));
}
