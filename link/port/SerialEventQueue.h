#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

// What a window's message queue is to the Win32 port: the POSIX port's event
// thread posts here and the owner's loop takes the events on its own thread.
struct SerialEvent {
    uint32_t message = 0;
    uint32_t wParam = 0;
    uint32_t lParam = 0;
};

class CSerialEventQueue {
public:
    void Post(const SerialEvent& e)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_events.push_back(e);
        }
        m_ready.notify_one();
    }
    // Waits at most timeout for an event; false when none came.
    bool Wait(SerialEvent& e, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (!m_ready.wait_for(lock, timeout, [this] { return !m_events.empty(); }))
            return false;
        e = m_events.front();
        m_events.pop_front();
        return true;
    }
private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<SerialEvent> m_events;
};
