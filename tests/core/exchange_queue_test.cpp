// The bounded queue of exchange records: order, the oldest dropped when it
// is full, and a writer flooding it while a reader drains it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/exchange_queue.h"

namespace {

ExchangeRecord Numbered(int32_t n)
{
    ExchangeRecord record;
    record.result = n;
    record.timeMs = n * 1000LL;
    record.hasRequest = true;
    std::snprintf(record.request.description, sizeof record.request.description, "record %d", n);
    for (int i = 0; i < RequestRecord::kMaxValues; ++i)
        record.request.values[i] = n + i;
    record.request.valueCount = RequestRecord::kMaxValues;
    return record;
}

// Every field of a record written by Numbered(n) reads back for n.
bool Whole(const ExchangeRecord& record)
{
    const int32_t n = record.result;
    char text[RequestRecord::kDescriptionSize];
    std::snprintf(text, sizeof text, "record %d", n);
    if (record.timeMs != n * 1000LL || std::strcmp(record.request.description, text) != 0)
        return false;
    for (int i = 0; i < RequestRecord::kMaxValues; ++i)
        if (record.request.values[i] != n + i)
            return false;
    return record.request.valueCount == RequestRecord::kMaxValues;
}

TEST(ExchangeQueueTest, RecordsComeOutInOrderAndWhole)
{
    ExchangeQueue queue(8);
    ExchangeRecord out;
    EXPECT_FALSE(queue.Pop(out));
    for (int n = 1; n <= 5; ++n)
        queue.Push(Numbered(n));
    for (int n = 1; n <= 5; ++n) {
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.result, n);
        EXPECT_TRUE(Whole(out));
    }
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(queue.dropped(), 0u);
}

TEST(ExchangeQueueTest, AFullQueueDropsItsOldestRecords)
{
    ExchangeQueue queue(4);
    for (int n = 1; n <= 11; ++n)
        queue.Push(Numbered(n));
    ExchangeRecord out;
    for (int n = 8; n <= 11; ++n) {
        ASSERT_TRUE(queue.Pop(out));
        EXPECT_EQ(out.result, n);
    }
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(queue.dropped(), 7u);
    EXPECT_EQ(queue.pushed(), 11u);

    queue.Push(Numbered(12));
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out.result, 12);
    EXPECT_EQ(queue.dropped(), 7u);
}

TEST(ExchangeQueueTest, AFloodNeverWaitsAndEveryRecordIsReadOrCounted)
{
    constexpr int kRecords = 200000;
    ExchangeQueue queue(64);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int n = 1; n <= kRecords; ++n)
            queue.Push(Numbered(n));
        done = true;
    });
    uint64_t read = 0;
    int32_t last = 0;
    bool ordered = true;
    bool whole = true;
    ExchangeRecord out;
    for (;;) {
        const bool finished = done.load();
        while (queue.Pop(out)) {
            ++read;
            ordered = ordered && out.result > last;
            whole = whole && Whole(out);
            last = out.result;
        }
        if (finished)
            break;
    }
    writer.join();
    EXPECT_TRUE(ordered);
    EXPECT_TRUE(whole);
    EXPECT_EQ(read + queue.dropped(), static_cast<uint64_t>(kRecords));
    EXPECT_EQ(last, kRecords); // the newest is never lost
}

} // namespace
