#include "config/UpgradeModel.h"

#include <algorithm>

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
    const uint64_t sent = std::min(m_sent, m_total);
    const uint64_t percent = m_total ? sent * 100 / m_total : 0;
    return std::to_string(percent) + "%";
}

int CUpgradeModel::BarRight(int right) const {
    if (m_total == 0) return 0;
    const uint64_t sent = std::min(m_sent, m_total);
    return static_cast<int>(sent * static_cast<uint64_t>(std::max(right, 0)) / m_total);
}
