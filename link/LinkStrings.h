#pragma once

// String-table texts the link shows, by id, with their English text (the
// host loads the user's language through CLinkDialogs::LoadText).
struct LinkString {
    unsigned id;
    const char* english;
};

namespace LinkStrings {
constexpr LinkString kNoPortFound{116, "Available STMicroelectronics Virtual COM Port was not found.\r\nCheck cable connection."};
constexpr LinkString kSelectPort{117, "Select a COM port."};
constexpr LinkString kFileExists{118, "The filename already exists.\r\nDo you want to overwrite it?"};
constexpr LinkString kOpenPortFirst{123, "Open a COM port and try again."};
constexpr LinkString kUploadRefused{124, "It can't upload files to the product."};
constexpr LinkString kPasswordMismatch{154, "Please check your password.[password mismatch]"};
constexpr LinkString kInitialSettingFailed{161, "Has failed initial setting.\r\nConnect to the product again."};
constexpr LinkString kIspMode{165, "It is in the ISP mode.\r\nIt doesn't run the PHP code in the ISP mode."};
constexpr LinkString kUnsavedFiles{191, "The modified file(s) have not been saved.\r\nDo you still want to close it?"};
constexpr LinkString kRunningSaveFile{183, "It is running.\r\nDo you want to save this file to the product?"};
constexpr LinkString kDebuggingSaveFile{184, "Debugging implementing.\r\nDo you want to save this file to the product?"};
constexpr LinkString kConfigReadFailed{192, "Has failed to get the configuration values."};
constexpr LinkString kNoSearch{201, "The firmware does not support search function."};
} // namespace LinkStrings
