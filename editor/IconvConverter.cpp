#include "editor/IconvConverter.h"

#include <cerrno>
#include <cstdio>
#include <iconv.h>

CIconvConverter::CIconvConverter(unsigned codePage)
{
    char name[16];
    std::snprintf(name, sizeof name, "CP%u", codePage);
    iconv_t h = iconv_open(name, "UTF-16LE");
    if (h != reinterpret_cast<iconv_t>(-1))
        m_handle = h;
}

CIconvConverter::~CIconvConverter()
{
    if (m_handle)
        iconv_close(static_cast<iconv_t>(m_handle));
}

bool CIconvConverter::FromUtf16(const char16_t* units, size_t count, std::string& out) const
{
    out.clear();
    if (!m_handle)
        return false;
    iconv_t h = static_cast<iconv_t>(m_handle);
    iconv(h, nullptr, nullptr, nullptr, nullptr);

    // iconv reads bytes: lay the units out little-endian whatever the host.
    std::string in(count * 2, '\0');
    for (size_t i = 0; i < count; ++i) {
        in[2 * i] = static_cast<char>(units[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
    char* src = in.data();
    size_t srcLeft = in.size();
    out.resize(count * 2 + 16);
    size_t written = 0;
    bool whole = true;
    while (srcLeft > 0) {
        char* dst = out.data() + written;
        size_t dstLeft = out.size() - written;
        size_t r = iconv(h, &src, &srcLeft, &dst, &dstLeft);
        written = out.size() - dstLeft;
        if (r != static_cast<size_t>(-1)) {
            // glibc counts irreversible conversions here; none is acceptable.
            if (r > 0)
                whole = false;
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // No form in the code page: the whole character becomes '?'.
        unsigned unit = static_cast<unsigned char>(src[0]) | static_cast<unsigned char>(src[1]) << 8;
        size_t skip = (unit >= 0xD800 && unit < 0xDC00 && srcLeft >= 4) ? 4 : 2;
        if (skip > srcLeft)
            skip = srcLeft;
        src += skip;
        srcLeft -= skip;
        if (written == out.size())
            out.resize(out.size() * 2);
        out[written++] = '?';
        whole = false;
    }
    out.resize(written);
    return whole;
}

std::unique_ptr<CCodePageConverter> CreateCodePageConverter(unsigned codePage)
{
    auto c = std::make_unique<CIconvConverter>(codePage == 0 ? 949 : codePage);
    if (!c->IsOpen())
        return nullptr;
    return c;
}
