#include "config/SettingsDialogModel.h"

#include "link/codecs/PasswordRecord.h"

#include <cstdlib>

CSettingsDialogModel::CSettingsDialogModel(bool wired, bool wlan, const std::string& firmwareHeader)
    : m_wired(wired), m_wlan(wlan), m_certAllowed(FirmwareTakesCertificate(firmwareHeader))
{
}

std::string CSettingsDialogModel::Title(const std::string& caption, const std::string& name)
{
    return caption + " - " + name;
}

bool CSettingsDialogModel::FirmwareTakesCertificate(const std::string& hex)
{
    if (hex.size() / 2 <= 4)
        return true;
    static const char magic[] = "f1sP";
    for (int i = 0; i < 4; ++i) {
        const std::string pair = hex.substr(2 * static_cast<size_t>(i), 2);
        if (std::strtol(pair.c_str(), nullptr, 16) != static_cast<unsigned char>(magic[i]))
            return true;
    }
    return false;
}

bool CSettingsDialogModel::Start(Job job)
{
    if (m_job != kNoJob)
        return false;
    m_job = job;
    return true;
}

void CSettingsDialogModel::Finish(Job job)
{
    if (m_job == job)
        m_job = kNoJob;
}

std::string CSettingsDialogModel::PasswordRequest(bool remove, const std::string& password, const std::string& mcuIdHex)
{
    uint8_t record[PasswordRecord::kSize];
    if (remove)
        PasswordRecord::MakeDelete(record);
    else
        PasswordRecord::Make(password, mcuIdHex, record);
    return PasswordRecord::Hex(record);
}
