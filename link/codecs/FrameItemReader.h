#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The one bounded reader of a kind-0 payload. Every length comes from the
// board, so each item is checked against what is left before it is used; a
// lying length ends the walk (Next returns false) instead of reading past.
struct FrameItem {
    uint8_t type = 0;
    uint16_t field = 0;          // length field as sent
    const uint8_t* data = nullptr;
    size_t length = 0;           // data bytes (pad bytes excluded)

    bool IsInt32() const { return type == 2 && length >= 4; }
    int32_t Int32() const;
    std::string Text() const;    // up to the first NUL
    std::string Hex() const;     // "%02x" per data byte
};

class FrameItemReader {
public:
    FrameItemReader(const uint8_t* payload, size_t length) : m_p(payload), m_left(length) {}
    bool Next(FrameItem& item);
    // The first item, or false when the payload does not hold a whole one.
    static bool First(const uint8_t* payload, size_t length, FrameItem& item) {
        FrameItemReader r(payload, length);
        return r.Next(item);
    }
    bool Broken() const { return m_broken; }
private:
    const uint8_t* m_p;
    size_t m_left;
    bool m_broken = false;
};
