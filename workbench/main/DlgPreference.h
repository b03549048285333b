// The Preferences dialog: view and editing options, the file-add action,
// the backup folder and the request to enter the board's initialisation mode.
#pragma once

#include "framework/Dialog.h"
#include "workbench/main/Preferences.h"

class CDlgPreference : public CDialog {
public:
    CDlgPreference(PreferenceBlock* block, HWND parent);

    PreferenceBlock* m_block;  // null: nothing shown or taken
    int m_initMode = 0;        // the user asked for the initialisation mode

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnBrowse();
};
