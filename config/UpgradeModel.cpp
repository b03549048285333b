#include "config/UpgradeModel.h"

#include "link/codecs/FirmwareImage.h"

bool CUpgradeModel::Accept(uint64_t size, const std::string& fileName, const std::string& boardName) {
    m_fileName = fileName;
    if (!boardName.empty() && boardName != fileName) return false;
    m_total = size;
    m_sent = 0;
    m_state = State::kWaiting;
    return true;
}

bool CUpgradeModel::OnEnvName(bool read, const std::string& name) {
    if (read && !name.empty() && name != m_fileName) {
        m_state = State::kChosen;
        return false;
    }
    m_state = State::kTransfer;
    return true;
}

bool CUpgradeModel::OnTestOk(bool ok) {
    if (!ok) m_state = State::kChosen;
    return ok;
}

void CUpgradeModel::OnResult(bool ok) {
    if (ok) m_sent = m_total;
    m_state = State::kChosen;
}

std::string CUpgradeModel::ProgressText() const {
    return std::to_string(FirmwareImage::ProgressPercent(m_sent, m_total)) + "%";
}

int CUpgradeModel::BarRight(int right) const { return FirmwareImage::ProgressWidth(m_sent, m_total, right); }
