// "Time setting": the board's clock, and a new time from the PC or by hand.
#pragma once

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CDlgSettingRTC : public CDialog {
public:
    explicit CDlgSettingRTC(HWND parent);

    CString m_boardDate;  // in: 14 digits, year first
    CString m_result;     // out after IDOK: 14 digits
    CDateTimeCtrl m_date;
    CDateTimeCtrl m_time;

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnPcTime() { EnablePickers(false); }
    void OnManual() { EnablePickers(true); }
    void EnablePickers(bool enable);
};
