#pragma once
#include <cstdint>

// The no-progress watch of a windowed write (the board pulls it window by
// window and answers once it has stored it). Ticked once a period: a period
// in which nothing went out ends the write, unless everything (with the
// empty chunk that ends it) is out, when the board may take a minute to
// store it before it answers.
class CWriteWatch {
public:
    static constexpr unsigned kPeriodMs = 5000;
    static constexpr int kReplyPeriods = 12;  // a minute for the reply

    void Start() { m_lastSent = -1; m_quiet = 0; }
    // False when the write is to be given up.
    bool Tick(int32_t sent, bool allSent)
    {
        if (sent != m_lastSent) {
            m_lastSent = sent;
            m_quiet = 0;
            return true;
        }
        return allSent && ++m_quiet < kReplyPeriods;
    }

private:
    int32_t m_lastSent = -1;
    int m_quiet = 0;
};
