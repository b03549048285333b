#include "workbench/app/LanguageChoice.h"

namespace language {

Choice Settle(uint32_t stored, uint32_t systemDefault, const std::function<bool(uint32_t)>& usable) {
    Choice c;
    c.language = stored;
    if (stored == 0) {
        c.language = systemDefault;
        c.write = true;
    }
    if (!usable(c.language)) {
        c.language = kEnglish;
        c.write = true;
    }
    return c;
}

}  // namespace language
