// Asks whether added files are edited here or in an external program.
#pragma once

#include "framework/Dialog.h"

class CDlgSelectEditor : public CDialog {
public:
    explicit CDlgSelectEditor(HWND parent);
    bool m_internal = true;  // written by OK

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
