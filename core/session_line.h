// The port as one transaction sees it. Stop and Run may close and reopen
// the port while the worker is still inside a transaction begun on the
// earlier opening; that transaction must end, not go on reading the new
// opening and swallow the first bytes of the PG that came after. So the
// runner counts its openings, and this line reads as closed (and delivers
// nothing) once the count has moved on from the one its transaction began
// with.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "core/line.h"

class RunnerPort;

class SessionLine : public Line
{
public:
    // openings counts the port's openings and closings, changed only under
    // runLock, which Read holds too: a read either comes before a Stop or
    // sees it.
    SessionLine(RunnerPort& port, std::mutex& runLock, const std::atomic<uint64_t>& openings)
        : m_port(port), m_runLock(runLock), m_openings(openings)
    {
    }

    // Worker: a transaction starts on the opening there is now.
    void Begin() { m_session = m_openings.load(); }
    // The port has been closed or reopened since Begin.
    bool Stale() const { return m_openings.load() != m_session; }

    bool IsOpen() override;
    uint32_t BytesWaiting() override;
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override;
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override;
    uint32_t Write(const uint8_t* data, uint32_t count) override;
    bool HungUp() override;

private:
    RunnerPort& m_port;
    std::mutex& m_runLock;
    const std::atomic<uint64_t>& m_openings;
    uint64_t m_session = 0;
};
