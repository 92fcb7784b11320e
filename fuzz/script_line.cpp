// The scripted PG line of the fuzz targets.
#include "fuzz/script_line.h"

#include <algorithm>
#include <cstring>

ScriptLine::ScriptLine(std::span<const uint8_t> input) : m_script(ParsePgScript(input)) {}

bool ScriptLine::TakePause()
{
    const bool paused = m_paused;
    m_paused = false;
    return paused;
}

void ScriptLine::Purge()
{
    m_readPos = m_arrivedEnd;
}

uint32_t ScriptLine::BytesWaiting()
{
    return m_open ? static_cast<uint32_t>(m_arrivedEnd - m_readPos) : 0;
}

bool ScriptLine::WaitEvents(uint32_t& events, uint32_t, PortStatus& status)
{
    events = 0;
    status = PortStatus{};
    if (!m_open)
        return false;
    // A new chunk arrives only once the last one has been read, as a PG
    // answers what it has been sent.
    while (m_arrivedEnd == m_readPos) {
        if (m_nextEvent == m_script.events.size()) {
            m_open = false;
            return false;
        }
        const PgEvent& event = m_script.events[m_nextEvent++];
        if (event.kind == PgEvent::Kind::Pause) {
            m_paused = true;
            return false;
        }
        if (event.kind == PgEvent::Kind::ShortWrite) {
            m_shortWriteDue = true;
            m_shortWritten = event.written;
            continue;
        }
        m_arrivedEnd = event.end;
    }
    events = kEventRxChar;
    status.bytesInQueue = static_cast<uint32_t>(m_arrivedEnd - m_readPos);
    return true;
}

uint32_t ScriptLine::Read(uint8_t* dest, uint32_t destCapacity, uint32_t count)
{
    if (!m_open)
        return 0;
    size_t size = std::min<size_t>(m_arrivedEnd - m_readPos, destCapacity);
    if (count > 0)
        size = std::min<size_t>(size, count);
    if (size > 0)
        std::memcpy(dest, m_script.bytes.data() + m_readPos, size);
    m_readPos += size;
    return static_cast<uint32_t>(size);
}

uint32_t ScriptLine::Write(const uint8_t* data, uint32_t count)
{
    // Kept even on a closed line: its size and bytes are checked all the same.
    m_writes.emplace_back(data, data + count);
    if (!m_open)
        return 0;
    if (m_shortWriteDue && count > 0) {
        m_shortWriteDue = false;
        return m_shortWritten % count;
    }
    return count;
}
