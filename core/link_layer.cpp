// The AS511 link layer: codec, telegram receive with an inter-chunk
// time-out, and send, over any Line.
#include "core/link_layer.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>

int EncodeByte(uint8_t b, uint8_t* out)
{
    out[0] = b;
    if (b != as511::DLE)
        return 1;
    out[1] = b;
    return 2;
}

int EncodeWord(uint16_t w, uint8_t* out)
{
    const int high = EncodeByte(static_cast<uint8_t>(w >> 8), out);
    return high + EncodeByte(static_cast<uint8_t>(w & 0xFF), out + high);
}

uint16_t ReadWordBE(const uint8_t* in)
{
    return static_cast<uint16_t>((in[0] << 8) | in[1]);
}

int UnstuffDle(const uint8_t* in, int n, uint8_t* out)
{
    int written = 0;
    int i = 0;
    while (i < n) {
        out[written++] = in[i];
        if (i < n - 1 && in[i] == as511::DLE && in[i + 1] == as511::DLE)
            i += 2;
        else
            i += 1;
    }
    return written;
}

uint32_t TickElapsed(uint32_t mark, uint32_t now)
{
    return now - mark;
}

uint32_t TickCount()
{
    const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

LinkLayer::LinkLayer(Line& line, StopTest stopTest, uint32_t receiveTimeoutMs,
                     uint32_t characterDelayMs)
    : m_line(line), m_stopTest(std::move(stopTest)), m_receiveTimeoutMs(receiveTimeoutMs),
      m_characterDelayMs(characterDelayMs)
{
}

namespace {

// An end sequence that begins with DLE is real only when the DLEs standing
// directly before it come in pairs: an odd run means its last DLE and the
// end sequence's first DLE form a doubled data DLE. The whole run counts,
// however long, because a chunk may end anywhere inside stuffed data.
bool EndSequenceFound(const uint8_t* acc, uint32_t total, const uint8_t* end, uint32_t endLen)
{
    if (endLen == 0)
        return true;
    if (total < endLen || std::memcmp(acc + total - endLen, end, endLen) != 0)
        return false;
    if (end[0] != as511::DLE)
        return true;
    uint32_t dles = 0;
    for (uint32_t i = total - endLen; i > 0 && acc[i - 1] == as511::DLE; --i)
        ++dles;
    return dles % 2 == 0;
}

} // namespace

uint16_t LinkLayer::ReceiveTelegram(const uint8_t* end, int endLen, uint8_t* dest,
                                    uint32_t capacity, uint32_t timeoutMs, uint32_t readSize)
{
    const uint32_t limitBytes = std::min(capacity, kTelegramBufferSize);
    const uint32_t endCount = end ? static_cast<uint32_t>(std::max(endLen, 0)) : 0;
    std::memset(m_accumulator, 0, sizeof m_accumulator);
    std::memset(dest, 0, capacity);

    uint32_t total = 0;
    uint32_t unitFill = 0; // bytes of a read-size unit that arrived in pieces
    bool found = false;
    // The PG's first byte may take the whole time-out; once a telegram has
    // begun, a pause longer than the character delay ends it, so that a PG
    // that gave up on an exchange and starts a new one is heard again soon
    // instead of having its retries swallowed as data of the old telegram.
    uint32_t limit = timeoutMs;
    uint32_t mark = m_ticks();

    while (m_line.IsOpen() && !m_line.HungUp()) {
        const uint32_t elapsed = TickElapsed(mark, m_ticks());
        const uint32_t left = elapsed < limit ? limit - elapsed : 0;
        uint32_t available = 0;
        if (waitForEvent()) {
            uint32_t events = 0;
            PortStatus status;
            if (m_line.WaitEvents(events, left, status) && (events & kEventRxChar))
                available = status.bytesInQueue;
        } else {
            available = m_line.BytesWaiting();
        }

        if (available > 0) {
            // Ask only for what completes the unit, so bytes the PG sent
            // after the awaited ones are left for the next receive.
            const uint32_t ask = readSize > 0 ? readSize - unitFill : 0;
            const uint32_t most = ask > 0 ? ask : kTelegramBufferSize;
            const uint32_t delivered =
                std::min(m_line.Read(m_chunk, kTelegramBufferSize, ask), most);
            m_bytesReceived += delivered;
            if (delivered > 0) {
                if (total + delivered <= limitBytes) {
                    std::memcpy(m_accumulator + total, m_chunk, delivered);
                    total += delivered;
                    unitFill = readSize > 0 ? (unitFill + delivered) % readSize : 0;
                    mark = m_ticks();
                    limit = std::min(m_characterDelayMs, timeoutMs);
                } else {
                    // Dropped: it extends no deadline, so a flood past the
                    // destination's size cannot keep the receive alive.
                    unitFill = 0;
                }
            }
        }

        setWaitForEvent(m_line.BytesWaiting() == 0);

        if (available > 0 && total > 0)
            found = EndSequenceFound(m_accumulator, total, end, endCount);

        if (m_stopTest && m_stopTest())
            break;
        if (found || TickElapsed(mark, m_ticks()) >= limit)
            break;
    }

    if (!found)
        return 0;
    std::memcpy(dest, m_accumulator, total);
    return static_cast<uint16_t>(total);
}

bool LinkLayer::SendTelegram(const uint8_t* bytes, uint16_t count)
{
    if (count == 0)
        return false;
    const uint32_t written = m_line.Write(bytes, count);
    m_bytesSent += written;
    return written == count;
}
