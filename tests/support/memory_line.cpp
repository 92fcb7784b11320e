// The in-memory PG line: scripted transmissions released by the bytes the
// controller side writes, delivered in chosen chunks.
#include "support/memory_line.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "support/pg_requests.h"

MemoryLine::MemoryLine()
{
    m_sent.reserve(4096);
    m_writeEnds.reserve(256);
}

size_t MemoryLine::AddTransmission(std::span<const uint8_t> bytes, size_t afterSlaveBytes,
                                   std::vector<size_t> chunkSizes)
{
    Transmission transmission;
    transmission.afterSlaveBytes = afterSlaveBytes;
    transmission.begin = m_pgBytes.size();
    m_pgBytes.insert(m_pgBytes.end(), bytes.begin(), bytes.end());
    transmission.end = m_pgBytes.size();
    transmission.chunkSizes = std::move(chunkSizes);
    m_transmissions.push_back(std::move(transmission));
    return m_transmissions.size() - 1;
}

size_t MemoryLine::AddExchange(const pg::Exchange& exchange, std::vector<size_t> chunkSizes)
{
    const size_t first = m_transmissions.size();
    for (const pg::Step& step : exchange.steps) {
        AddTransmission(step.send, m_scriptedReplyBytes, chunkSizes);
        m_scriptedReplyBytes += step.reply.size();
    }
    return first;
}

void MemoryLine::SetChunks(size_t transmission, std::vector<size_t> chunkSizes)
{
    if (transmission < m_transmissions.size())
        m_transmissions[transmission].chunkSizes = std::move(chunkSizes);
}

void MemoryLine::FailWrite(int writeIndex, uint32_t written)
{
    m_failWrite = writeIndex;
    m_failWritten = written;
}

void MemoryLine::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open.store(false);
    }
    m_closed.notify_all();
}

void MemoryLine::HangUp()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_hungUp.store(true);
    }
    m_closed.notify_all();
}

bool MemoryLine::HungUp()
{
    // Like a tty: bytes that came before the hang-up are still read first.
    return m_open.load() && m_hungUp.load() && m_arrivedEnd == m_readPos;
}

void MemoryLine::Rewind()
{
    m_open.store(true);
    m_hungUp.store(false);
    m_released = 0;
    m_arrivedEnd = 0;
    m_readPos = 0;
    m_chunkTx = 0;
    m_chunkIndex = 0;
    m_sent.clear();
    m_writeEnds.clear();
    m_writeCount = 0;
    m_idleWaits = 0;
}

std::vector<std::vector<uint8_t>> MemoryLine::SentWrites() const
{
    std::vector<std::vector<uint8_t>> writes;
    size_t begin = 0;
    for (size_t end : m_writeEnds) {
        writes.emplace_back(m_sent.begin() + static_cast<std::ptrdiff_t>(begin),
                            m_sent.begin() + static_cast<std::ptrdiff_t>(end));
        begin = end;
    }
    return writes;
}

void MemoryLine::ReleaseDue()
{
    while (m_released < m_transmissions.size() &&
           m_transmissions[m_released].afterSlaveBytes <= m_sent.size())
        ++m_released;
}

bool MemoryLine::ArriveNextChunk()
{
    ReleaseDue();
    // Skip empty transmissions; a chunk never spans two transmissions.
    while (m_chunkTx < m_released && m_arrivedEnd >= m_transmissions[m_chunkTx].end) {
        ++m_chunkTx;
        m_chunkIndex = 0;
    }
    if (m_chunkTx >= m_released)
        return false;
    const Transmission& transmission = m_transmissions[m_chunkTx];
    const size_t left = transmission.end - m_arrivedEnd;
    size_t size = left;
    if (!transmission.chunkSizes.empty()) {
        const size_t at = std::min(m_chunkIndex, transmission.chunkSizes.size() - 1);
        size = std::clamp<size_t>(transmission.chunkSizes[at], 1, left);
    }
    m_arrivedEnd += size;
    ++m_chunkIndex;
    return true;
}

bool MemoryLine::IsOpen()
{
    return m_open.load();
}

uint32_t MemoryLine::BytesWaiting()
{
    if (!m_open.load())
        return 0;
    return static_cast<uint32_t>(m_arrivedEnd - m_readPos);
}

bool MemoryLine::WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status)
{
    events = 0;
    status = PortStatus{};
    if (!m_open.load())
        return false;
    if (m_arrivedEnd == m_readPos && (m_hungUp.load() || !ArriveNextChunk())) {
        if (m_hungUp.load())
            return false;
        if (m_hangUpWhenDry) {
            m_hungUp.store(true);
            return false;
        }
        // Nothing will come while the controller side waits: the PG only
        // answers what it has been sent. Wait out the time-out as a port would.
        ++m_idleWaits;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_closed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [this] { return !m_open.load() || m_hungUp.load(); });
        return false;
    }
    events = kEventRxChar;
    status.bytesInQueue = static_cast<uint32_t>(m_arrivedEnd - m_readPos);
    return true;
}

uint32_t MemoryLine::Read(uint8_t* dest, uint32_t destCapacity, uint32_t count)
{
    if (!m_open.load())
        return 0;
    size_t size = m_arrivedEnd - m_readPos;
    size = std::min<size_t>(size, destCapacity);
    if (count > 0)
        size = std::min<size_t>(size, count);
    std::memcpy(dest, m_pgBytes.data() + m_readPos, size);
    m_readPos += size;
    return static_cast<uint32_t>(size);
}

uint32_t MemoryLine::Write(const uint8_t* data, uint32_t count)
{
    if (!m_open.load())
        return 0;
    uint32_t written = count;
    if (m_writeCount++ == m_failWrite)
        written = std::min(m_failWritten, count);
    if (written > 0) {
        m_sent.insert(m_sent.end(), data, data + written);
        m_writeEnds.push_back(m_sent.size());
    }
    ReleaseDue();
    return written;
}
