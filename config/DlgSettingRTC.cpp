#include "config/DlgSettingRTC.h"

#include "config/UserDialogsModel.h"
#include "resources/resource.h"

#include <commctrl.h>

BEGIN_MESSAGE_MAP(CDlgSettingRTC, CDialog)
ON_BN_CLICKED(IDC_RTC_PC, OnPcTime)
ON_BN_CLICKED(IDC_RTC_MANUAL, OnManual)
END_MESSAGE_MAP()

CDlgSettingRTC::CDlgSettingRTC(HWND parent) : CDialog(IDD_SETTING_RTC, parent) {
    // Windows registers the picker class only when asked (Wine always does).
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    ::InitCommonControlsEx(&icc);
}

void CDlgSettingRTC::DoDataExchange(CDataExchange* dx) {
    DDX_Control(dx, IDC_RTC_DATE, m_date);
    DDX_Control(dx, IDC_RTC_TIME, m_time);
}

BOOL CDlgSettingRTC::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_RTC_BOARD, UserDialogsModel::FormatBoardDate(m_boardDate.str()).c_str());
    ::CheckRadioButton(m_hWnd, IDC_RTC_PC, IDC_RTC_MANUAL, IDC_RTC_PC);
    EnablePickers(false);
    return TRUE;
}

void CDlgSettingRTC::EnablePickers(bool enable) {
    ::EnableWindow(GetDlgItem(IDC_RTC_DATE), enable);
    ::EnableWindow(GetDlgItem(IDC_RTC_TIME), enable);
}

void CDlgSettingRTC::OnOK() {
    SYSTEMTIME day{}, time{};
    if (::IsDlgButtonChecked(m_hWnd, IDC_RTC_MANUAL) == BST_CHECKED) {
        const bool got = m_date.GetTime(day) && m_time.GetTime(time);
        if (!got || !UserDialogsModel::ManualYearAccepted(day.wYear)) {
            ::MessageBoxA(m_hWnd, "Error[Year]", nullptr, MB_OK);
            return;
        }
    } else {
        ::GetLocalTime(&day);
        time = day;
    }
    m_result = UserDialogsModel::DateRequest(day.wYear, day.wMonth, day.wDay, time.wHour, time.wMinute, time.wSecond)
                   .c_str();
    EndDialog(IDOK);
}
