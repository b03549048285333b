// The page of the network-information dialog: a read-only text.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgNetInfoDetail : public CDialog {
public:
    CDlgNetInfoDetail();

    CEdit m_edit;
    CFont m_font;

    void SetReportText(const char* text);
    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    int OnCreate(LPCREATESTRUCT cs);
    void OnSize(UINT type, int cx, int cy);
    void OnOK() override {}
    void OnCancel() override {}
};
