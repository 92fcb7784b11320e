// The traffic log: what each record becomes, the counters, the row cap,
// pause and clear, and a writer flooding the queue while the log drains it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "core/exchange_queue.h"
#include "monitor/exchange_records.h"
#include "monitor/traffic_log.h"

namespace {

using namespace test_records;

constexpr int32_t kRead = 0x04;
constexpr int32_t kWrite = 0x03;
constexpr int32_t kSystem = 0x18;
constexpr int32_t kInfo = 0x1A;

// Pushes n numbered records, first to first + n - 1.
void PushNumbered(ExchangeQueue& queue, int32_t first, int n)
{
    for (int32_t i = 0; i < n; ++i)
        queue.Push(Numbered(first + i));
}

TEST(TrafficLogTest, EachRecordBecomesOneRowWithItsFields)
{
    ExchangeQueue queue(8);
    ExchangeRecord write = Served(kWrite, "Block Write (MB 3)", kRecordColorWrite, {7, 255}, 8);
    write.timeMs = 1700000000123;
    queue.Push(write);
    queue.Push(Failed(result::kNoParameters, kRead));

    TrafficLog log;
    const TrafficLog::TakeResult taken = log.Take(queue);
    EXPECT_EQ(taken.taken, 2u);
    EXPECT_EQ(taken.appended, 2u);
    EXPECT_EQ(taken.removed, 0u);
    ASSERT_EQ(log.rows().size(), 2u);

    const TrafficRow& served = log.rows()[0];
    EXPECT_EQ(served.timeMs, 1700000000123);
    EXPECT_EQ(served.description, "Block Write (MB 3)");
    EXPECT_EQ(served.foreColor, kRecordColorWrite);
    EXPECT_EQ(served.backColor, kRecordBackColor);
    EXPECT_EQ(served.result, 0);
    EXPECT_EQ(served.stepText, nullptr);
    EXPECT_EQ(served.function, kWrite);
    EXPECT_EQ(served.values, (std::vector<int32_t>{7, 255}));
    EXPECT_EQ(served.valueBits, 8);

    const TrafficRow& failed = log.rows()[1];
    EXPECT_EQ(failed.description, "");
    EXPECT_EQ(failed.result, result::kNoParameters);
    ASSERT_NE(failed.stepText, nullptr);
    EXPECT_STREQ(failed.stepText, ResultStepText(result::kNoParameters));
    EXPECT_EQ(failed.function, kRead);
    EXPECT_TRUE(failed.values.empty());
}

TEST(TrafficLogTest, AMalformedRecordMakesABoundedRow)
{
    ExchangeRecord record = Served(kRead, "", kRecordColorRead, {});
    std::memset(record.request.description, 'x', sizeof record.request.description);
    record.request.valueCount = 100000;
    record.request.valueBits = 3;
    ExchangeRecord negative = record;
    negative.request.valueCount = -7;
    ExchangeQueue queue(4);
    queue.Push(record);
    queue.Push(negative);

    TrafficLog log;
    log.Take(queue);
    ASSERT_EQ(log.rows().size(), 2u);
    EXPECT_EQ(log.rows()[0].description.size(), size_t{RequestRecord::kDescriptionSize});
    EXPECT_EQ(log.rows()[0].values.size(), size_t{RequestRecord::kMaxValues});
    EXPECT_EQ(log.rows()[0].valueBits, 16);
    EXPECT_TRUE(log.rows()[1].values.empty());
}

TEST(TrafficLogTest, CountsRequestsByKindFailuresByCodeAndBytes)
{
    const ExchangeRecord records[] = {
        Served(kRead, "Block Read  (DB 1, DW 0)", kRecordColorRead, {1}),
        Served(kRead, "Block Read  (MB 0)", kRecordColorRead, {1}, 8),
        Served(kWrite, "Block Write (T 1)", kRecordColorWrite, {1}),
        Served(kSystem, "Block System", kRecordColorSystem, {}),
        Served(kInfo, "Block Info  (DB 3)", kRecordColorSystem, {}),
        Served(kInfo, "Block Info  (DB 4)", kRecordColorSystem, {}),
        Served(kInfo, "Block Info  (DB 5)", kRecordColorSystem, {}),
        // A failed read is a failure, not a read.
        Failed(result::kNoParameters, kRead),
        Failed(result::kNoParameters, kRead),
        Failed(result::kNoStx),
        Failed(result::kUnknownFunction, 0x55),
    };
    ExchangeQueue queue(32);
    for (const ExchangeRecord& record : records)
        queue.Push(record);
    TrafficLog log;
    log.Take(queue);

    TrafficCounters expected;
    expected.reads = 2;
    expected.writes = 1;
    expected.systemParameters = 1;
    expected.blockInfo = 3;
    expected.failures = {
        {result::kNoParameters, 2}, {result::kNoStx, 1}, {result::kUnknownFunction, 1}};
    expected.bytesReceived = 7 * 10 + 4 * 1;
    expected.bytesSent = 7 * 20;
    EXPECT_EQ(log.counters(), expected);
}

TEST(TrafficLogTest, KeepsTheLastTenThousandRows)
{
    constexpr int kMax = static_cast<int>(TrafficLog::kMaxRows);
    ExchangeQueue queue(2 * TrafficLog::kMaxRows);
    TrafficLog log;

    PushNumbered(queue, 1, kMax - 10);
    TrafficLog::TakeResult taken = log.Take(queue);
    EXPECT_EQ(taken.appended, TrafficLog::kMaxRows - 10);
    EXPECT_EQ(taken.removed, 0u);

    // 25 more: 15 of the oldest drop off the front.
    PushNumbered(queue, kMax - 9, 25);
    taken = log.Take(queue);
    EXPECT_EQ(taken.appended, 25u);
    EXPECT_EQ(taken.removed, 15u);
    ASSERT_EQ(log.rows().size(), TrafficLog::kMaxRows);
    EXPECT_EQ(log.firstSerial(), 15u);
    EXPECT_EQ(log.rows().front().timeMs, 16);
    EXPECT_EQ(log.rows().back().timeMs, kMax + 15);

    // More than the cap in one Take: every old row goes, and of the new
    // ones only the last kMaxRows are listed, and reported.
    PushNumbered(queue, kMax + 16, kMax + 500);
    taken = log.Take(queue);
    EXPECT_EQ(taken.taken, TrafficLog::kMaxRows + 500);
    EXPECT_EQ(taken.appended, TrafficLog::kMaxRows);
    EXPECT_EQ(taken.removed, TrafficLog::kMaxRows);
    ASSERT_EQ(log.rows().size(), TrafficLog::kMaxRows);
    EXPECT_EQ(log.rows().front().timeMs, kMax + 516);
    EXPECT_EQ(log.rows().back().timeMs, 2 * kMax + 515);
    EXPECT_EQ(log.firstSerial(), TrafficLog::kMaxRows + 515);
    // Every record was counted, listed or not.
    EXPECT_EQ(log.counters().reads, 2u * TrafficLog::kMaxRows + 515);
}

TEST(TrafficLogTest, CountsTheRecordsTheQueueDroppedSinceTheLastClear)
{
    ExchangeQueue queue(4);
    TrafficLog log;
    PushNumbered(queue, 1, 10);
    TrafficLog::TakeResult taken = log.Take(queue);
    EXPECT_EQ(taken.taken, 4u);
    EXPECT_EQ(taken.dropped, 6u);
    EXPECT_EQ(log.counters().dropped, 6u);
    EXPECT_EQ(log.rows().front().timeMs, 7); // the newest are kept

    taken = log.Take(queue);
    EXPECT_EQ(taken.taken, 0u);
    EXPECT_EQ(taken.dropped, 0u);

    log.Clear();
    PushNumbered(queue, 11, 7);
    log.Take(queue);
    EXPECT_EQ(log.counters().dropped, 3u);
    EXPECT_EQ(queue.dropped(), 9u);
}

TEST(TrafficLogTest, WhilePausedRecordsAreCountedButNotListed)
{
    ExchangeQueue queue(16);
    TrafficLog log;
    PushNumbered(queue, 1, 3);
    log.Take(queue);

    log.SetPaused(true);
    EXPECT_TRUE(log.paused());
    PushNumbered(queue, 4, 2);
    const TrafficLog::TakeResult taken = log.Take(queue);
    EXPECT_EQ(taken.taken, 2u);
    EXPECT_EQ(taken.appended, 0u);
    EXPECT_EQ(log.rows().size(), 3u);
    EXPECT_EQ(log.counters().reads, 5u);
    EXPECT_EQ(log.counters().unlisted, 2u);

    log.SetPaused(false);
    PushNumbered(queue, 6, 1);
    log.Take(queue);
    ASSERT_EQ(log.rows().size(), 4u);
    EXPECT_EQ(log.rows().back().timeMs, 6);
    EXPECT_EQ(log.counters().unlisted, 2u);
}

TEST(TrafficLogTest, ClearEmptiesTheListAndTheCounters)
{
    ExchangeQueue queue(16);
    TrafficLog log;
    PushNumbered(queue, 1, 3);
    queue.Push(Failed(result::kNoStx));
    log.Take(queue);
    log.SetPaused(true);
    queue.Push(Numbered(4));
    log.Take(queue);
    log.SetPaused(false);
    ASSERT_EQ(log.rows().size(), 4u);
    ASSERT_EQ(log.counters().unlisted, 1u);

    log.Clear();
    EXPECT_TRUE(log.rows().empty());
    EXPECT_EQ(log.counters(), TrafficCounters{});
    // Serials go on, so that a view can tell the old rows from new ones.
    EXPECT_EQ(log.firstSerial(), 4u);

    PushNumbered(queue, 5, 2);
    log.Take(queue);
    ASSERT_EQ(log.rows().size(), 2u);
    EXPECT_EQ(log.rows().front().timeMs, 5);
    EXPECT_EQ(log.counters().reads, 2u);
}

TEST(TrafficLogTest, AWriterFloodingTheQueueNeverHoldsTheReader)
{
    constexpr int kRecords = 200000;
    ExchangeQueue queue(256);
    TrafficLog log;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        PushNumbered(queue, 1, kRecords);
        done = true;
    });
    uint64_t taken = 0;
    bool ordered = true;
    int64_t last = 0;
    // Each Take returns while the writer goes on pushing; what the rows
    // hold is checked as they come.
    while (!done.load()) {
        const TrafficLog::TakeResult result = log.Take(queue);
        EXPECT_LE(result.taken, queue.capacity());
        taken += result.taken;
        for (size_t i = log.rows().size() - result.appended; i < log.rows().size(); ++i) {
            ordered = ordered && log.rows()[i].timeMs > last;
            last = log.rows()[i].timeMs;
        }
    }
    writer.join();
    taken += log.Take(queue).taken;

    EXPECT_TRUE(ordered);
    EXPECT_EQ(log.counters().dropped, queue.dropped());
    EXPECT_EQ(taken + queue.dropped(), static_cast<uint64_t>(kRecords));
    EXPECT_EQ(log.counters().reads, taken);
    ASSERT_FALSE(log.rows().empty());
    EXPECT_EQ(log.rows().back().timeMs, kRecords); // the newest is there
    EXPECT_EQ(log.rows().back().values, (std::vector<int32_t>{kRecords}));
}

} // namespace
