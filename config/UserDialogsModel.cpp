#include "config/UserDialogsModel.h"

#include "resources/resource.h"

#include <cstdio>

namespace UserDialogsModel {

std::string FormatBoardDate(const std::string& d)
{
    auto part = [&d](size_t at, size_t n) { return at < d.size() ? d.substr(at, n) : std::string(); };
    return part(0, 4) + "-" + part(4, 2) + "-" + part(6, 2) + " / " + part(8, 2) + "-" + part(10, 2) + "-" + part(12, 2);
}

std::string DateRequest(int year, int month, int day, int hour, int minute, int second)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d", year, month, day, hour, minute, second);
    return text;
}

bool ManualYearAccepted(int year) { return year >= 2000 && year <= 9999; }

unsigned CheckPassword(int mode, const std::string& password, const std::string& retype)
{
    // The board's key takes 32 bytes: a longer password could never be typed
    // the same way at the login.
    if (password.size() < 8 || password.size() > 32)
        return IDS_PASSWORD_TOO_SHORT;
    if (mode == kModeSet && password != retype)
        return IDS_PASSWORD_MISMATCH;
    return 0;
}

} // namespace UserDialogsModel
