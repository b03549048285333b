// The Settings dialog's own rules: its title, which buttons it offers, the
// one board job it runs at a time, and the user-password request. Portable.
#pragma once

#include <string>

class CSettingsDialogModel {
public:
    // The jobs the dialog asks the main window for; one at a time, since a
    // second request would cut into the first one's transfer.
    enum Job { kNoJob, kCertRead, kWrite, kTime, kPassword, kCertificate, kReboot };

    CSettingsDialogModel(bool wired, bool wlan, const std::string& firmwareHeader);

    // "<caption> - <name>".
    static std::string Title(const std::string& caption, const std::string& name);
    // Firmware whose header begins "f1sP" takes no certificate.
    static bool FirmwareTakesCertificate(const std::string& firmwareHeaderHex);

    bool HasPages() const { return m_wired || m_wlan; }
    bool Start(Job job);     // false (nothing changes) while another job runs
    void Finish(Job job);    // only the job that runs ends
    Job Running() const { return m_job; }
    bool WriteEnabled() const { return HasPages() && m_job == kNoJob; }
    bool CertificateEnabled() const { return m_certAllowed && m_job == kNoJob; }
    bool OtherButtonsEnabled() const { return m_job == kNoJob; }

    // The 76 hex digits of the password record, under the login's salt.
    static std::string PasswordRequest(bool remove, const std::string& password, const std::string& mcuIdHex);

private:
    bool m_wired, m_wlan, m_certAllowed;
    Job m_job = kNoJob;
};
