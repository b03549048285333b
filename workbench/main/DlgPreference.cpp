#include "workbench/main/DlgPreference.h"

#include "framework/CommonDialogs.h"
#include "framework/Resources.h"
#include "resources/resource.h"

#include <shlobj.h>

namespace {
const int kChecks[4] = {IDC_PREF_MARGIN, IDC_PREF_LINE_NUMBERS, IDC_PREF_CURRENT_LINE, IDC_PREF_AUTO_SCROLL};

int* Field(PreferenceBlock* b, int i) {
    int* fields[4] = {&b->margin, &b->lineNumbers, &b->currentLine, &b->autoScroll};
    return fields[i];
}

int CALLBACK BrowseCallback(HWND wnd, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) ::SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}
}  // namespace

BEGIN_MESSAGE_MAP(CDlgPreference, CDialog)
    ON_BN_CLICKED(IDC_PREF_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CDlgPreference::CDlgPreference(PreferenceBlock* block, HWND parent) : CDialog(IDD_PREFERENCE, parent), m_block(block) {}

BOOL CDlgPreference::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND gap = GetDlgItem(IDC_PREF_LINE_GAP), tab = GetDlgItem(IDC_PREF_TAB_SIZE);
    for (int i = 0; i < 5; ++i) {
        ::SendMessageA(gap, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(prefs::kLineGaps[i]).c_str()));
        ::SendMessageA(tab, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(prefs::kTabSizes[i]).c_str()));
    }
    if (!m_block) return TRUE;
    for (int i = 0; i < 4; ++i) ::CheckDlgButton(m_hWnd, kChecks[i], *Field(m_block, i) ? BST_CHECKED : BST_UNCHECKED);
    ::SendMessageA(gap, CB_SETCURSEL, static_cast<WPARAM>(prefs::IndexOf(prefs::kLineGaps, m_block->lineGap)), 0);
    ::SendMessageA(tab, CB_SETCURSEL, static_cast<WPARAM>(prefs::IndexOf(prefs::kTabSizes, m_block->tabSize)), 0);
    const int radio = m_block->addFile == 0 ? IDC_PREF_ADD_INTERNAL
                      : m_block->addFile == 1 ? IDC_PREF_ADD_EXTERNAL : IDC_PREF_ADD_ASK;
    ::CheckRadioButton(m_hWnd, IDC_PREF_ADD_INTERNAL, IDC_PREF_ADD_ASK, radio);
    SetDlgItemText(IDC_PREF_BACKUP_PATH, m_block->backupPath.c_str());
    return TRUE;
}

void CDlgPreference::OnOK() {
    if (m_block) {
        for (int i = 0; i < 4; ++i) *Field(m_block, i) = ::IsDlgButtonChecked(m_hWnd, kChecks[i]) == BST_CHECKED;
        const int gap = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_PREF_LINE_GAP, CB_GETCURSEL, 0, 0));
        if (gap >= 0 && gap < 5) m_block->lineGap = prefs::kLineGaps[gap];
        const int tab = static_cast<int>(::SendDlgItemMessageA(m_hWnd, IDC_PREF_TAB_SIZE, CB_GETCURSEL, 0, 0));
        if (tab >= 0 && tab < 5) m_block->tabSize = prefs::kTabSizes[tab];
        m_block->addFile = ::IsDlgButtonChecked(m_hWnd, IDC_PREF_ADD_INTERNAL) == BST_CHECKED   ? 0
                           : ::IsDlgButtonChecked(m_hWnd, IDC_PREF_ADD_EXTERNAL) == BST_CHECKED ? 1 : 2;
        m_block->backupPath = GetDlgItemText(IDC_PREF_BACKUP_PATH).str();
        if (m_block->backupPath.size() >= prefs::kMaxPath) m_block->backupPath.resize(prefs::kMaxPath - 1);
    }
    m_initMode = ::IsDlgButtonChecked(m_hWnd, IDC_PREF_INIT_MODE) == BST_CHECKED ? 1 : 0;
    CDialog::OnOK();
}

void CDlgPreference::OnBrowse() {
    const CString title = CResources::LoadString(IDS_SELECT_SAVE_FOLDER);
    BROWSEINFOA bi{};
    bi.hwndOwner = m_hWnd;
    bi.lpszTitle = title;
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    bi.lpfn = BrowseCallback;
    bi.lParam = reinterpret_cast<LPARAM>(m_block ? m_block->backupPath.c_str() : "");
    LPITEMIDLIST chosen = commondlg::BrowseForFolder(&bi);
    if (!chosen) return;
    char path[MAX_PATH] = {};
    if (::SHGetPathFromIDListA(chosen, path)) {
        SetDlgItemText(IDC_PREF_BACKUP_PATH, path);
        // Kept at once, even if the dialog is then cancelled.
        if (m_block) m_block->backupPath = path;
    }
    ::CoTaskMemFree(chosen);
}
