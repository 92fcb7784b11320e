// The AS511 link layer: the codec of AS511 data (big-endian words, DLE
// doubling and its removal), receiving a telegram up to an expected end
// sequence with an inter-chunk time-out, and sending one. No block check
// character is computed or checked: telegrams carry data and DLE pairs only.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "core/line.h"

namespace as511 {
inline constexpr uint8_t STX = 0x02;
inline constexpr uint8_t ETX = 0x03;
inline constexpr uint8_t EOT = 0x04;
inline constexpr uint8_t ACK = 0x06;
inline constexpr uint8_t DLE = 0x10;
inline constexpr uint8_t DC2 = 0x12;
inline constexpr uint8_t SYN = 0x16;
} // namespace as511

// Size of every telegram buffer: accumulator, read chunk, destination, send buffer.
inline constexpr uint32_t kTelegramBufferSize = 1024;
inline constexpr uint32_t kDefaultReceiveTimeoutMs = 2000;
// Once a telegram has begun, the longest pause between its characters: the
// character delay time of this family of serial procedures.
inline constexpr uint32_t kCharacterDelayMs = 220;

// Writes b, twice when it is DLE. Returns the count written (1 or 2).
int EncodeByte(uint8_t b, uint8_t* out);
// Writes the high byte then the low byte of w, each doubled when DLE. 2 to 4.
int EncodeWord(uint16_t w, uint8_t* out);
// (in[0] << 8) | in[1].
uint16_t ReadWordBE(const uint8_t* in);
// Collapses each DLE DLE pair of in[0..n) into one DLE; returns bytes written.
int UnstuffDle(const uint8_t* in, int n, uint8_t* out);
// Milliseconds from mark to now on a 32-bit tick counter, across its wrap.
uint32_t TickElapsed(uint32_t mark, uint32_t now);
// The millisecond tick counter (wraps at 2^32).
uint32_t TickCount();

class LinkLayer
{
  public:
    using StopTest = std::function<bool()>;
    // The millisecond tick counter the time-outs are measured on.
    using TickSource = std::function<uint32_t()>;

    LinkLayer(Line& line, StopTest stopTest, uint32_t receiveTimeoutMs = kDefaultReceiveTimeoutMs,
              uint32_t characterDelayMs = kCharacterDelayMs);

    // Collects bytes until the last endLen bytes equal end, or until any
    // byte has arrived when endLen is 0. An end sequence that begins with
    // DLE counts only when an even number of DLEs (zero included) stands
    // directly before it: an odd run pairs with its DLE as a doubled data
    // DLE. readSize 0 reads whatever has arrived; 1 or 2 reads in units of
    // that many bytes, and a unit that arrives in pieces is completed by the
    // next reads, which ask only for the bytes still missing, so bytes the
    // PG sends right after the awaited ones stay in the line. Gives up when
    // no byte has come timeoutMs after the start, or, once bytes have been
    // taken in, when the next has not come characterDelayMs (at most
    // timeoutMs) after the last; bytes dropped because the destination is
    // full extend neither. Gives up at once when the line closes or hangs
    // up, or when the stop test answers true. Returns the bytes delivered
    // into dest (at most min(capacity, kTelegramBufferSize)), 0 when
    // nothing acceptable arrived.
    uint16_t ReceiveTelegram(const uint8_t* end, int endLen, uint8_t* dest, uint32_t capacity,
                             uint32_t timeoutMs, uint32_t readSize);
    // True when the line wrote all count bytes (a short write leaves a
    // truncated telegram on the line, which is no success).
    bool SendTelegram(const uint8_t* bytes, uint16_t count);

    Line& line() { return m_line; }
    uint32_t receiveTimeoutMs() const { return m_receiveTimeoutMs; }
    uint32_t characterDelayMs() const { return m_characterDelayMs; }
    // Bytes taken from the line and written to it so far (worker thread).
    uint64_t bytesReceived() const { return m_bytesReceived; }
    uint64_t bytesSent() const { return m_bytesSent; }
    // Tests measure the time-outs on a clock of their own.
    void SetTickSource(TickSource ticks) { m_ticks = ticks ? std::move(ticks) : TickSource(TickCount); }
    bool waitForEvent() const { return m_waitForEvent.load(std::memory_order_relaxed); }
    void setWaitForEvent(bool on) { m_waitForEvent.store(on, std::memory_order_relaxed); }

  private:
    Line& m_line;
    StopTest m_stopTest;
    const uint32_t m_receiveTimeoutMs;
    const uint32_t m_characterDelayMs;
    TickSource m_ticks = TickCount;
    uint64_t m_bytesReceived = 0;
    uint64_t m_bytesSent = 0;
    std::atomic<bool> m_waitForEvent{true};
    uint8_t m_accumulator[kTelegramBufferSize]{};
    uint8_t m_chunk[kTelegramBufferSize]{};
};
