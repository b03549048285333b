#include "config/DlgCertMake.h"

#include "config/AnsiText.h"
#include "config/CountryTable.h"
#include "resources/resource.h"
#include "ui/boxes/DlgMessage.h"

namespace {
const int kBits[] = {1024, 1536, 2048};
}

CDlgCertMake::CDlgCertMake(HWND parent) : CDialog(IDD_CERT_MAKE, parent) {}

BOOL CDlgCertMake::PreTranslateMessage(MSG* msg) {
    if (IsEnter(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CDlgCertMake::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bits.SubclassDlgItem(IDC_CERT_KEY_BITS, m_hWnd);
    m_country.SubclassDlgItem(IDC_CERT_COUNTRY, m_hWnd);
    for (int bits : kBits) m_bits.AddString(std::to_string(bits).c_str());
    m_bits.SetCurSel(0);
    for (int i = 0; i < CCountryTable::Count(); ++i) m_country.AddString(CCountryTable::Records()[i].name);
    m_country.SetCurSel(static_cast<int>(m_country.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                                reinterpret_cast<LPARAM>("Korea, Republic of"))));
    // The X.509 upper bounds, in characters as OpenSSL counts them.
    const struct {
        int id;
        int limit;
        const char* text;
    } edits[] = {
        {IDC_CERT_STATE, kCertPlaceLimit, "Seoul"},
        {IDC_CERT_LOCALITY, kCertPlaceLimit, "Seoul"},
        {IDC_CERT_ORG, kCertNameLimit, "Tavrel Systems"},
        {IDC_CERT_UNIT, kCertNameLimit, "Research Team"},
        {IDC_CERT_CN, kCertNameLimit, m_commonName},
        {IDC_CERT_EMAIL, kCertPlaceLimit, "user@example.com"},
    };
    for (const auto& e : edits) {
        ::SendMessageA(GetDlgItem(e.id), EM_LIMITTEXT, static_cast<WPARAM>(e.limit), 0);
        SetDlgItemText(e.id, e.text);
    }
    return TRUE;
}

CertSubject CDlgCertMake::Subject() const {
    return {m_countryCode.str(),       AnsiToUtf8(m_state.str()), AnsiToUtf8(m_locality.str()),
            AnsiToUtf8(m_organisation.str()), AnsiToUtf8(m_unit.str()), AnsiToUtf8(m_commonName.str()),
            AnsiToUtf8(m_email.str())};
}

void CDlgCertMake::OnOK() {
    int sel = m_bits.GetCurSel();
    m_keyBits = kBits[sel >= 0 && sel < 3 ? sel : 0];
    m_state = GetDlgItemText(IDC_CERT_STATE);
    m_locality = GetDlgItemText(IDC_CERT_LOCALITY);
    m_organisation = GetDlgItemText(IDC_CERT_ORG);
    m_unit = GetDlgItemText(IDC_CERT_UNIT);
    m_commonName = GetDlgItemText(IDC_CERT_CN);
    m_email = GetDlgItemText(IDC_CERT_EMAIL);
    m_countryName = m_country.GetWindowText();
    m_countryCode = CountryCodeFromName(m_countryName.str()).c_str();
    // OpenSSL's refusals (empty or too long fields, characters a field cannot
    // hold) are shown here, with the form still open.
    X509_NAME* name = X509_NAME_new();
    std::string error;
    bool ok = name && CCertMaker::BuildName(name, Subject(), error);
    X509_NAME_free(name);
    if (!ok) {
        ShowMessageText(m_hWnd, Utf8ToAnsi(error).c_str(), MB_ICONEXCLAMATION);
        return;
    }
    EndDialog(IDOK);
}
