// A bounded queue of exchange records from the worker to one reader on the
// user-interface thread. The worker never waits for the reader: when the
// queue is full the oldest record is overwritten, and the reader counts it
// as dropped. Each slot is a sequence lock over atomic words, so a record
// is either read whole or known to have been overwritten meanwhile.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

#include "core/exchange_record.h"

class ExchangeQueue
{
  public:
    static constexpr size_t kDefaultCapacity = 1024;

    explicit ExchangeQueue(size_t capacity = kDefaultCapacity);

    ExchangeQueue(const ExchangeQueue&) = delete;
    ExchangeQueue& operator=(const ExchangeQueue&) = delete;

    // One writer thread. Never blocks, never allocates.
    void Push(const ExchangeRecord& record);
    // One reader thread: takes the oldest record still held; false when
    // there is none.
    bool Pop(ExchangeRecord& out);
    // Reader thread: records overwritten before they were read, in all.
    uint64_t dropped() const { return m_dropped; }
    // Records pushed in all (any thread).
    uint64_t pushed() const { return m_head.load(std::memory_order_acquire); }
    size_t capacity() const { return m_capacity; }

  private:
    static_assert(std::is_trivially_copyable_v<ExchangeRecord>);
    static constexpr size_t kWords = (sizeof(ExchangeRecord) + 7) / 8;

    struct Slot
    {
        // 2n + 1 while record n is written into the slot, 2n + 2 once it is in.
        std::atomic<uint64_t> sequence{0};
        std::atomic<uint64_t> words[kWords];
    };

    size_t m_capacity;
    std::unique_ptr<Slot[]> m_slots;
    std::atomic<uint64_t> m_head{0}; // records pushed
    uint64_t m_tail = 0;             // reader only: next record to read
    uint64_t m_dropped = 0;          // reader only
};
