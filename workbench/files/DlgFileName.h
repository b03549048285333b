// Asks for the name of a new file or the new name of a file, and checks it
// (the rules: filenames::NameForm).
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgFileName : public CDialog {
public:
    explicit CDlgFileName(HWND parent);

    int m_mode = 0;  // 0 New, 1 Rename
    CStringArray m_namesInUse;
    CString m_oldName;        // Rename: without the folder
    CString m_result;         // the full name, written by OK
    CString m_keptExtension;  // Rename: from the old name's last "." on
    CString m_prefix;         // "" or "folder/"
    CEdit m_edit;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};
