#pragma once
// The main window as at a first start: no Init.ini, no saved layout.
#include "WinTestSupport.h"
#include "workbench/app/Registry.h"
#include "workbench/main/IniFile.h"
#include "workbench/main/ZarvoDDlg.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

inline void PrepareFirstStart(const char* folder)
{
    CIniFile::SetFolderForTests(TempFolder(folder).c_str());
    ::DeleteFileA(CIniFile::Path());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, CRegistry::kKeyPath);
}

inline bool ShowMainWindow(CZarvoDDlg& dlg)
{
    if (!dlg.Create(IDD_ZARVOD_DIALOG, nullptr)) return false;
    dlg.ShowWindow(SW_SHOW);
    Pump(50);
    return true;
}

inline void CloseMainWindow(CZarvoDDlg& dlg)
{
    if (dlg.m_hWnd) dlg.DestroyWindow();
    CIniFile::CommitWrite();
    CIniFile::SetFolderForTests("");
}

// The main window on a port the test plays the board on: its messages are
// recorded, not shown, and each takes the next queued answer (OK when none is).
class QueuedAnswersWindow : public CZarvoDDlg
{
public:
    explicit QueuedAnswersWindow(ILinkPort& port) : CZarvoDDlg(port) {}
    int ShowMessage(const std::string& text, unsigned, bool* applyToAll) override
    {
        said.push_back(text);
        if (applyToAll) *applyToAll = false;
        int a = CLinkDialogs::kIdOk;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        // What arrives while the message is up (once; its own messages take the answers after this one's).
        if (meanwhile) std::exchange(meanwhile, nullptr)();
        return a;
    }
    std::deque<int> answers;
    std::vector<std::string> said;
    std::function<void()> meanwhile;
};
