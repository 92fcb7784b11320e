#include "core/session_line.h"

#include "core/runner_port.h"

bool SessionLine::IsOpen()
{
    return !Stale() && m_port.IsOpen();
}

uint32_t SessionLine::BytesWaiting()
{
    return Stale() ? 0 : m_port.BytesWaiting();
}

bool SessionLine::WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status)
{
    // Waiting takes nothing from the line, and Stop's close ends the wait.
    events = 0;
    return !Stale() && m_port.WaitEvents(events, timeoutMs, status);
}

uint32_t SessionLine::Read(uint8_t* dest, uint32_t destCapacity, uint32_t count)
{
    // Under the run lock: bytes of a later opening are never taken. A read
    // never waits, so Stop is held up for no longer than one.
    std::lock_guard lock(m_runLock);
    return Stale() ? 0 : m_port.Read(dest, destCapacity, count);
}

uint32_t SessionLine::Write(const uint8_t* data, uint32_t count)
{
    // Not under the lock: a write may wait for the line to take its bytes,
    // and Stop must not wait for that. A reply that slips out just after a
    // reopening is refused by the PG like any stray byte.
    return Stale() ? 0 : m_port.Write(data, count);
}

bool SessionLine::HungUp()
{
    return m_port.HungUp();
}
