// The input rules of the time-setting and user-password dialogs. Portable.
#pragma once

#include <string>

namespace UserDialogsModel {

// The board's 14-digit date as "YYYY-MM-DD / hh-mm-ss"; a shorter text
// shows what it has.
std::string FormatBoardDate(const std::string& date);
// The 14 digits the board takes, year first.
std::string DateRequest(int year, int month, int day, int hour, int minute, int second);
// A date picked by hand: the board's clock starts at 2000.
bool ManualYearAccepted(int year);

enum PasswordMode { kModeNone = 0, kModeSet = 1, kModeLogin = 2 };
// 0 when accepted, else the string to show: too short (or longer than 32
// bytes), or the retyped one differs (mode 1 only).
unsigned CheckPassword(int mode, const std::string& password, const std::string& retype);

} // namespace UserDialogsModel
