// An in-memory serial line that plays the PG for tests and benchmarks.
// The PG's transmissions are scripted up front; each is released once the
// controller side has written a given number of bytes in all, and then
// arrives in chunks of chosen sizes, one chunk per wait for a character.
// Everything the controller side writes is recorded. Replaying a script
// (Rewind) allocates nothing once the record has grown to its size.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "core/line.h"

namespace pg {
struct Exchange;
}

class MemoryLine : public Line
{
  public:
    MemoryLine();

    // Adds a PG transmission, released once the controller side has
    // written at least afterSlaveBytes bytes in all. chunkSizes are the
    // sizes the bytes arrive in, the last size repeating ({1}: byte by
    // byte); empty means all at once. Returns the transmission's index.
    size_t AddTransmission(std::span<const uint8_t> bytes, size_t afterSlaveBytes,
                           std::vector<size_t> chunkSizes = {});
    // Adds every step of exchange, each released when the controller has
    // sent the replies of the steps before it, after the replies of the
    // exchanges added before (so exchanges chain). Returns the index of
    // the exchange's first transmission.
    size_t AddExchange(const pg::Exchange& exchange, std::vector<size_t> chunkSizes = {});
    void SetChunks(size_t transmission, std::vector<size_t> chunkSizes);

    // The write with this number (counted from 0) reports `written` bytes
    // and records only those; the others behave normally.
    void FailWrite(int writeIndex, uint32_t written = 0);

    // Closes the line, also from another thread: a wait in progress ends.
    void Close();
    // The PG's end goes away: from now on nothing more arrives (bytes that
    // arrived stay readable), a wait in progress ends, HungUp answers true.
    void HangUp();
    // Hang up instead of waiting once the script has nothing more to send,
    // so that a controller waiting for bytes that will never come is told at
    // once rather than after its time-out.
    void SetHangUpWhenDry(bool on) { m_hangUpWhenDry = on; }
    // Back to the start of the script: open, nothing released, read or
    // recorded. The script, chunking and write failure stay.
    void Rewind();

    // Everything the controller side wrote, in order.
    const std::vector<uint8_t>& Sent() const { return m_sent; }
    // The same, one entry per Write.
    std::vector<std::vector<uint8_t>> SentWrites() const;
    // PG bytes the controller side has read.
    size_t BytesRead() const { return m_readPos; }
    // PG bytes scripted in all.
    size_t ScriptedBytes() const { return m_pgBytes.size(); }
    // Number of WaitEvents calls that found nothing and waited out their time-out.
    int IdleWaits() const { return m_idleWaits; }

    bool IsOpen() override;
    uint32_t BytesWaiting() override;
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override;
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override;
    uint32_t Write(const uint8_t* data, uint32_t count) override;
    bool HungUp() override;

  private:
    struct Transmission
    {
        size_t afterSlaveBytes = 0;
        size_t begin = 0;
        size_t end = 0;
        std::vector<size_t> chunkSizes;
    };

    void ReleaseDue();
    // Lets the next chunk of a released transmission arrive; false if none.
    bool ArriveNextChunk();

    std::vector<uint8_t> m_pgBytes; // every transmission, back to back
    std::vector<Transmission> m_transmissions;
    size_t m_scriptedReplyBytes = 0;

    size_t m_released = 0;   // transmissions released so far
    size_t m_arrivedEnd = 0; // PG bytes that have arrived
    size_t m_readPos = 0;    // PG bytes read by the controller side
    size_t m_chunkTx = 0;    // transmission of the next chunk
    size_t m_chunkIndex = 0; // chunk number within it

    std::vector<uint8_t> m_sent;
    std::vector<size_t> m_writeEnds;
    int m_writeCount = 0;
    int m_failWrite = -1;
    uint32_t m_failWritten = 0;
    int m_idleWaits = 0;

    std::atomic<bool> m_open{true};
    std::atomic<bool> m_hungUp{false};
    bool m_hangUpWhenDry = false;
    std::mutex m_mutex;
    std::condition_variable m_closed;
};
