// The sequence-locked ring of exchange records.
#include "core/exchange_queue.h"

#include <cstring>

ExchangeQueue::ExchangeQueue(size_t capacity)
    : m_capacity(capacity > 0 ? capacity : 1), m_slots(new Slot[m_capacity])
{
    for (size_t i = 0; i < m_capacity; ++i)
        for (auto& word : m_slots[i].words)
            word.store(0, std::memory_order_relaxed);
}

void ExchangeQueue::Push(const ExchangeRecord& record)
{
    uint64_t words[kWords] = {};
    std::memcpy(words, &record, sizeof record);
    const uint64_t n = m_head.load(std::memory_order_relaxed);
    Slot& slot = m_slots[n % m_capacity];
    slot.sequence.store(2 * n + 1, std::memory_order_relaxed);
    // The odd sequence must be seen before any word of the new record.
    std::atomic_thread_fence(std::memory_order_release);
    for (size_t i = 0; i < kWords; ++i)
        slot.words[i].store(words[i], std::memory_order_relaxed);
    slot.sequence.store(2 * n + 2, std::memory_order_release);
    m_head.store(n + 1, std::memory_order_release);
}

bool ExchangeQueue::Pop(ExchangeRecord& out)
{
    for (;;) {
        const uint64_t head = m_head.load(std::memory_order_acquire);
        if (m_tail == head)
            return false;
        if (head - m_tail > m_capacity) {
            m_dropped += head - m_capacity - m_tail;
            m_tail = head - m_capacity;
        }
        Slot& slot = m_slots[m_tail % m_capacity];
        const uint64_t expected = 2 * m_tail + 2;
        const uint64_t before = slot.sequence.load(std::memory_order_acquire);
        if (before == expected) {
            uint64_t words[kWords];
            for (size_t i = 0; i < kWords; ++i)
                words[i] = slot.words[i].load(std::memory_order_relaxed);
            // The words must be read before the sequence is looked at again.
            std::atomic_thread_fence(std::memory_order_acquire);
            if (slot.sequence.load(std::memory_order_relaxed) == expected) {
                std::memcpy(&out, words, sizeof out);
                ++m_tail;
                return true;
            }
        }
        // The writer has lapped this slot since head was read: the record is gone.
        ++m_dropped;
        ++m_tail;
    }
}
