// A serial line that plays a PG script (pg_script.h) without ever waiting:
// a wait for a character lets the next chunk arrive at once, a pause ends
// the wait as a time-out would, and once the script is used up the line
// closes, so that every receive still in progress ends at once. Every
// telegram the controller side writes is kept for the caller's checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/line.h"
#include "fuzz/pg_script.h"

class ScriptLine : public Line
{
  public:
    explicit ScriptLine(std::span<const uint8_t> input);

    // True once a wait found nothing left to happen: the line is closed.
    bool Finished() const { return !m_open; }
    // True once after a wait that a pause ended: the link layer's stop
    // test, which ends the receive at once instead of a time-out.
    bool TakePause();
    // Drops the bytes that have arrived and are not read, as the poll step
    // purges the port after a failed exchange.
    void Purge();

    size_t BytesRead() const { return m_readPos; }
    // Every telegram as the controller side handed it to Write, since the
    // last ClearWrites.
    const std::vector<std::vector<uint8_t>>& Writes() const { return m_writes; }
    void ClearWrites() { m_writes.clear(); }

    bool IsOpen() override { return m_open; }
    uint32_t BytesWaiting() override;
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override;
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override;
    uint32_t Write(const uint8_t* data, uint32_t count) override;
    // A scripted PG never hangs up: its end is the line closing.
    bool HungUp() override { return false; }

  private:
    PgScript m_script;
    size_t m_nextEvent = 0;
    size_t m_arrivedEnd = 0; // PG bytes that have arrived
    size_t m_readPos = 0;    // PG bytes read (or purged)
    bool m_open = true;
    bool m_paused = false;
    bool m_shortWriteDue = false;
    uint8_t m_shortWritten = 0;
    std::vector<std::vector<uint8_t>> m_writes;
};
