// The traffic log's texts: values in DEC and HEX, results, local times,
// the counters and the saved file's lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "core/exchange_queue.h"
#include "monitor/exchange_records.h"
#include "monitor/traffic_text.h"

namespace {

using namespace test_records;

// Local time is UTC here, so that times have one text on every machine.
class TrafficTextTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ"))
            m_savedTz = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_savedTz.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_savedTz.c_str(), 1);
        tzset();
    }

  private:
    std::string m_savedTz;
};

struct ValuesCase
{
    std::vector<int32_t> values;
    uint8_t bits;
    ValueNotation notation;
    const char* text;
};

TEST_F(TrafficTextTest, ValuesInDecAndHexForWordsAndBytes)
{
    const ValuesCase cases[] = {
        {{0, 5, 65535, 1234}, 16, ValueNotation::Dec, "0 5 65535 1234"},
        {{0, 5, 65535, 1234}, 16, ValueNotation::Hex, "0000 0005 FFFF 04D2"},
        {{0, 10, 255}, 8, ValueNotation::Dec, "0 10 255"},
        {{0, 10, 255}, 8, ValueNotation::Hex, "00 0A FF"},
        // Out-of-width values show their low bits in HEX, as stored in DEC.
        {{-1, 0x12345}, 16, ValueNotation::Hex, "FFFF 2345"},
        {{-1, 0x1FF}, 8, ValueNotation::Hex, "FF FF"},
        {{-1}, 16, ValueNotation::Dec, "-1"},
        {{}, 16, ValueNotation::Hex, ""},
    };
    for (const ValuesCase& c : cases) {
        TrafficRow row;
        row.values = c.values;
        row.valueBits = c.bits;
        EXPECT_EQ(ValuesText(row, c.notation), c.text) << c.text;
    }
}

// The window lists a long read by its first values; the file keeps all.
TEST_F(TrafficTextTest, ValuesPastTheLimitAreCutWithAnEllipsis)
{
    TrafficRow row;
    row.values = {1, 2, 3, 4};
    EXPECT_EQ(ValuesText(row, ValueNotation::Dec, 2), "1 2 ...");
    EXPECT_EQ(ValuesText(row, ValueNotation::Dec, 4), "1 2 3 4");
    EXPECT_EQ(ValuesText(row, ValueNotation::Dec, 0), "...");
    TrafficLog log;
    ExchangeQueue queue(4);
    ExchangeRecord record;
    record.hasRequest = true;
    record.request.valueCount = RequestRecord::kMaxValues;
    for (int i = 0; i < RequestRecord::kMaxValues; ++i)
        record.request.values[i] = i;
    queue.Push(record);
    log.Take(queue);
    std::ostringstream file;
    SaveText(log, file, ValueNotation::Dec);
    EXPECT_NE(file.str().find(" " + std::to_string(RequestRecord::kMaxValues - 1) + "\n"),
              std::string::npos);
}

TEST_F(TrafficTextTest, ResultIsZeroOrTheCodeWithItsStep)
{
    TrafficRow row;
    EXPECT_EQ(ResultText(row), "0");
    row.result = result::kNoParameters;
    row.stepText = ResultStepText(row.result);
    EXPECT_EQ(ResultText(row), "74: no parameter telegram ending in DLE EOT before the time-out");
    row.result = 4242;
    row.stepText = nullptr;
    EXPECT_EQ(ResultText(row), "4242: unknown result");
}

TEST_F(TrafficTextTest, TimeIsLocalWithMilliseconds)
{
    EXPECT_EQ(TimeText(1700000000123), "22:13:20.123");
    EXPECT_EQ(TimeText(0), "00:00:00.000");
    EXPECT_EQ(TimeText(-1), "23:59:59.999");
    EXPECT_EQ(TimeText(INT64_MAX), "07:12:55.807"); // far beyond any clock, still a time
}

TEST_F(TrafficTextTest, FailuresByCodeWithWaitLast)
{
    TrafficCounters counters;
    EXPECT_EQ(FailuresText(counters), "none");
    counters.failures = {{result::kNoStx, 5}, {result::kNoParameters, 2}, {result::kNoFunction, 1}};
    EXPECT_EQ(FailuresText(counters), "Err 3: 1, Err 74: 2, WAIT: 5");
    EXPECT_EQ(FailureLabel(result::kLastAckNone), "Err 151");
}

TEST_F(TrafficTextTest, CountersInOneLine)
{
    TrafficCounters counters;
    counters.reads = 12;
    counters.writes = 3;
    counters.systemParameters = 1;
    counters.blockInfo = 2;
    counters.failures = {{result::kNoParameters, 2}};
    counters.bytesReceived = 400;
    counters.bytesSent = 1500;
    counters.dropped = 7;
    counters.unlisted = 9;
    EXPECT_EQ(CountersText(counters),
              "Read: 12, Write: 3, System: 1, Info: 2   Failures: Err 74: 2   Received: 400 "
              "bytes, Sent: 1500 bytes   Dropped: 7, Not listed: 9");
}

TEST_F(TrafficTextTest, SavedTextHasOneTabSeparatedLinePerListedRow)
{
    ExchangeQueue queue(8);
    ExchangeRecord read =
        Served(0x04, "Block Read  (DB 5, DW 0 - DW 2)", kRecordColorRead, {1, 300, 65535});
    read.timeMs = 1700000000123;
    ExchangeRecord failed = Failed(result::kNoParameters, 0x04);
    failed.timeMs = 1700000001005;
    queue.Push(read);
    queue.Push(failed);
    TrafficLog log;
    log.Take(queue);
    log.SetPaused(true);
    queue.Push(read); // counted, not listed, not saved
    log.Take(queue);

    std::ostringstream dec;
    SaveText(log, dec, ValueNotation::Dec);
    EXPECT_EQ(dec.str(), "22:13:20.123\tBlock Read  (DB 5, DW 0 - DW 2)\t0\t1 300 65535\n"
                         "22:13:21.005\t\t74: no parameter telegram ending in DLE EOT before "
                         "the time-out\t\n");
    std::ostringstream hex;
    SaveText(log, hex, ValueNotation::Hex);
    EXPECT_EQ(hex.str().substr(0, hex.str().find('\n')),
              "22:13:20.123\tBlock Read  (DB 5, DW 0 - DW 2)\t0\t0001 012C FFFF");

    std::ostringstream none;
    SaveText(TrafficLog(), none, ValueNotation::Dec);
    EXPECT_EQ(none.str(), "");
}

} // namespace
