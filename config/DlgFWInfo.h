// "Product/Firmware information": six lines from texts the main window
// already holds. Talks to nobody.
#pragma once

#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CDlgFWInfo : public CDialog {
public:
    explicit CDlgFWInfo(HWND parent);

    // Set by the main window before DoModal.
    CString m_strMAC;             // 12 hex digits
    CString m_strFirmwareName;    // the information block's text
    CString m_strFirmwareHeader;  // the firmware header as hex, two digits per byte
    CString m_strProductName;     // the settings record's name (cut at its first zero byte)
    CString m_strUptime;          // "" when unknown
    CFont m_font;

protected:
    BOOL OnInitDialog() override;
    // The label as the resources have it, followed by value.
    void SetLine(int id, const std::string& value);
};
