// Asks for an image's new display size, optionally keeping the ratio of the
// size it opened with.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgResize : public CDialog {
public:
    CDlgResize(HWND parent, int width, int height);

    int m_guard = 0;
    int m_width;   // in: the current size; out on OK: the new one
    int m_height;
    CButton m_keepRatio;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnWidthChange();
    void OnHeightChange();
    void Follow(int changed, int other, int from, int to);

    // The ratio comes from the size the dialog opened with, whatever OK refused.
    int m_baseWidth;
    int m_baseHeight;
};
