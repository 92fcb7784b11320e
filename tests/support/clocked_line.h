// A line on a clock of its own, for tests of the receive's time-outs:
// bytes are scheduled at given milliseconds, and a wait for a character
// moves the clock on to the next arrival, or by the whole time-out when
// none is due within it. Time-outs are so shown exactly, without waiting.
// What the controller side writes is recorded.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/line.h"

class ClockedLine : public Line
{
  public:
    void At(uint32_t ms, std::vector<uint8_t> bytes) { m_schedule.push_back({ms, std::move(bytes)}); }
    uint32_t now() const { return m_now; }
    // The PG hangs up once every scheduled byte has arrived.
    void HangUpAfterSchedule() { m_hangUp = true; }

    bool IsOpen() override { return true; }
    bool HungUp() override
    {
        return m_hangUp && m_queue.empty() && m_next == m_schedule.size();
    }
    uint32_t BytesWaiting() override { return static_cast<uint32_t>(m_queue.size()); }
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override
    {
        events = 0;
        status = PortStatus{};
        if (HungUp())
            return false;
        if (m_queue.empty()) {
            if (m_next < m_schedule.size() && m_schedule[m_next].ms <= m_now + timeoutMs) {
                m_now = std::max(m_now, m_schedule[m_next].ms);
                const std::vector<uint8_t>& due = m_schedule[m_next++].bytes;
                m_queue.insert(m_queue.end(), due.begin(), due.end());
            } else {
                m_now += timeoutMs;
                return false;
            }
        }
        events = kEventRxChar;
        status.bytesInQueue = static_cast<uint32_t>(m_queue.size());
        return true;
    }
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override
    {
        size_t n = std::min<size_t>(m_queue.size(), destCapacity);
        if (count > 0)
            n = std::min<size_t>(n, count);
        std::copy(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(n), dest);
        m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(n));
        read += n;
        return static_cast<uint32_t>(n);
    }
    uint32_t Write(const uint8_t* data, uint32_t count) override
    {
        sent.insert(sent.end(), data, data + count);
        return count;
    }

    size_t read = 0;
    std::vector<uint8_t> sent;

  private:
    struct Arrival
    {
        uint32_t ms;
        std::vector<uint8_t> bytes;
    };
    std::vector<Arrival> m_schedule;
    size_t m_next = 0;
    std::vector<uint8_t> m_queue;
    uint32_t m_now = 0;
    bool m_hangUp = false;
};

