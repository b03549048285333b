#include "config/ComboInit.h"

#include "framework/Resources.h"
#include "resources/resource.h"

#include <algorithm>
#include <string>

bool FillCombosFromResource(HWND dialog, UINT dialogId) {
    DWORD size = 0;
    const auto* data = static_cast<const BYTE*>(
        CResources::LoadData(MAKEINTRESOURCEA(RT_COMBO_INIT), MAKEINTRESOURCEA(dialogId), &size));
    if (!data) return false;
    size_t at = 0;
    auto word = [&](WORD& w) {
        if (at + 2 > size) return false;
        w = static_cast<WORD>(data[at] | data[at + 1] << 8);
        at += 2;
        return true;
    };
    WORD id = 0;
    while (word(id) && id != 0) {
        std::string utf8;
        while (at < size && data[at] != 0) utf8 += static_cast<char>(data[at++]);
        ++at;
        std::wstring text(utf8.size() + 1, L'\0');
        text.resize(static_cast<size_t>(std::max(
            0, ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                                     static_cast<int>(text.size())))));
        const int n = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::string ansi(n > 0 ? static_cast<size_t>(n) : 1u, '\0');
        if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], n, nullptr, nullptr);
        ::SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
    }
    return true;
}
