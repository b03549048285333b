#include "config/DlgFWInfo.h"

#include "config/FwInfoText.h"
#include "resources/resource.h"

CDlgFWInfo::CDlgFWInfo(HWND parent) : CDialog(IDD_FW_INFO, parent) {}

void CDlgFWInfo::SetLine(int id, const std::string& value) {
    HWND label = GetDlgItem(id);
    if (!label) return;
    CString text = GetDlgItemText(id);
    text += value.c_str();
    ::SetWindowTextA(label, text);
}

BOOL CDlgFWInfo::OnInitDialog() {
    CDialog::OnInitDialog();
    m_font.CreateSimple("Arial", -12, FW_NORMAL);
    const std::string header = m_strFirmwareHeader.str();
    // The texts may come from fixed-size board records: nothing past a zero.
    SetLine(IDC_FWINFO_PRODUCT, FwInfoText::Bounded(m_strProductName.str()));
    SetLine(IDC_FWINFO_MAC, FwInfoText::Mac(m_strMAC.str()));
    SetLine(IDC_FWINFO_NAME, FwInfoText::Bounded(m_strFirmwareName.str()));
    const std::string size = FwInfoText::Size(header), version = FwInfoText::Version(header);
    if (!size.empty()) SetLine(IDC_FWINFO_SIZE, size);
    if (!version.empty()) SetLine(IDC_FWINFO_VERSION, version);
    if (!m_strUptime.IsEmpty()) SetLine(IDC_FWINFO_UPTIME, m_strUptime.str());
    for (int id : {IDC_FWINFO_PRODUCT, IDC_FWINFO_UPTIME, IDC_FWINFO_MAC, IDC_FWINFO_NAME, IDC_FWINFO_VERSION,
                   IDC_FWINFO_SIZE})
        ::SendMessageA(GetDlgItem(id), WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), TRUE);
    return TRUE;
}
