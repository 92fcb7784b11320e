// The AS511 link layer: codec, the end test of a receive under every
// chunking, read-size units that arrive in pieces, time-out, close, stop
// and send.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "core/link_layer.h"
#include "support/clocked_line.h"
#include "support/memory_line.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTimeoutMs = 40;
constexpr uint8_t kStx[] = {0x02};
constexpr uint8_t kDleAck[] = {0x10, 0x06};
constexpr uint8_t kDleEot[] = {0x10, 0x04};

TEST(LinkCodecTest, EncodeDoublesDle)
{
    struct Case
    {
        uint16_t word;
        Bytes encoded;
    };
    const Case cases[] = {
        {0x1000, {0x10, 0x10, 0x00}},
        {0x0010, {0x00, 0x10, 0x10}},
        {0x1010, {0x10, 0x10, 0x10, 0x10}},
        {0xEF00, {0xEF, 0x00}},
    };
    for (const Case& c : cases) {
        uint8_t out[4] = {};
        ASSERT_EQ(EncodeWord(c.word, out), static_cast<int>(c.encoded.size()));
        EXPECT_EQ(Bytes(out, out + c.encoded.size()), c.encoded);
    }
    uint8_t out[2] = {};
    EXPECT_EQ(EncodeByte(0x10, out), 2);
    EXPECT_EQ(Bytes(out, out + 2), (Bytes{0x10, 0x10}));
    EXPECT_EQ(EncodeByte(0x11, out), 1);
    EXPECT_EQ(out[0], 0x11);
    const uint8_t be[] = {0xDD, 0x8A};
    EXPECT_EQ(ReadWordBE(be), 0xDD8A);
}

TEST(LinkCodecTest, UnstuffCollapsesPairsOnly)
{
    struct Case
    {
        Bytes in;
        Bytes out;
    };
    const Case cases[] = {
        {{0x10, 0x10, 0x10, 0x10, 0x05}, {0x10, 0x10, 0x05}},
        {{0x10, 0x05}, {0x10, 0x05}},
        {{0x10, 0x10, 0x10}, {0x10, 0x10}},
        {{0x10}, {0x10}},
        {{}, {}},
    };
    for (const Case& c : cases) {
        uint8_t out[8] = {};
        const int n = UnstuffDle(c.in.data(), static_cast<int>(c.in.size()), out);
        EXPECT_EQ(Bytes(out, out + n), c.out);
    }
}

TEST(LinkCodecTest, TickElapsedCountsAcrossTheWrap)
{
    EXPECT_EQ(TickElapsed(0xFFFFFF00u, 0x100u), 0x200u);
    EXPECT_EQ(TickElapsed(100, 100), 0u);
    EXPECT_EQ(TickElapsed(100, 350), 250u);
}

class LinkLayerTest : public testing::Test
{
  protected:
    uint16_t Receive(const uint8_t* end, int endLen, uint32_t readSize,
                     uint32_t capacity = kTelegramBufferSize)
    {
        return link.ReceiveTelegram(end, endLen, dest, capacity, kTimeoutMs, readSize);
    }
    Bytes Delivered(uint16_t n) const { return Bytes(dest, dest + n); }

    MemoryLine line;
    std::atomic<bool> stop{false};
    LinkLayer link{line, [this] { return stop.load(); }, kTimeoutMs};
    uint8_t dest[kTelegramBufferSize] = {};
};

// One receive over a fresh line that carries bytes in the given chunks.
Bytes ReceiveOnce(const Bytes& bytes, std::vector<size_t> chunks, const uint8_t* end, int endLen,
                  uint32_t readSize)
{
    MemoryLine line;
    line.AddTransmission(bytes, 0, std::move(chunks));
    LinkLayer link(
        line, [] { return false; }, kTimeoutMs);
    uint8_t dest[kTelegramBufferSize] = {};
    const uint16_t n = link.ReceiveTelegram(end, endLen, dest, sizeof dest, kTimeoutMs, readSize);
    return Bytes(dest, dest + n);
}

struct EndCase
{
    const char* name;
    Bytes bytes;
    size_t delivered; // 0: the receive must not end on these bytes
};

// The parameter telegram's end test, whichever way the bytes are cut into
// chunks: the answer depends on the bytes only.
TEST_F(LinkLayerTest, ParameterTelegramEndTestUnderEveryChunking)
{
    const EndCase cases[] = {
        {"plain end", {0x12, 0x34, 0x10, 0x04}, 4},
        {"end alone", {0x10, 0x04}, 2},
        {"doubled data DLE then 04 is data", {0x12, 0x10, 0x10, 0x04}, 0},
        {"doubled data DLE then end", {0x12, 0x10, 0x10, 0x10, 0x04}, 5},
        {"lone DLE before end", {0x10, 0x10, 0x04}, 0},
        {"two doubled DLEs then end", {0x10, 0x10, 0x10, 0x10, 0x10, 0x04}, 6},
        // Data word 0x1010 and data byte 0x04, stuffed: 10 10 10 10 04. A
        // look back of two bytes would take the last 10 04 for the end.
        {"word 1010 then byte 04, then end",
         {0xE0, 0x8A, 0x10, 0x10, 0x10, 0x10, 0x04, 0x12, 0x10, 0x04},
         10},
        {"word 1010 then byte 04 only", {0xE0, 0x8A, 0x10, 0x10, 0x10, 0x10, 0x04}, 0},
    };
    const std::vector<std::vector<size_t>> chunkings = {{}, {1}, {2}, {3}, {7, 1}};
    for (const EndCase& c : cases) {
        for (const auto& chunks : chunkings) {
            SCOPED_TRACE(testing::Message()
                         << c.name << ", chunks of " << (chunks.empty() ? 0 : chunks[0]));
            const Bytes delivered = ReceiveOnce(c.bytes, chunks, kDleEot, 2, 0);
            EXPECT_EQ(delivered.size(), c.delivered);
            if (c.delivered > 0) {
                EXPECT_EQ(delivered, c.bytes);
            }
        }
    }
}

TEST_F(LinkLayerTest, StxWaitEndsOnStxAfterOtherBytes)
{
    const uint8_t bytes[] = {0x55, 0x02, 0x04};
    line.AddTransmission(bytes, 0);
    ASSERT_EQ(Receive(kStx, 1, 1), 2);
    EXPECT_EQ(Delivered(2), (Bytes{0x55, 0x02}));
    EXPECT_EQ(line.BytesRead(), 2u);
    EXPECT_FALSE(link.waitForEvent()); // the 04 is still queued
    // Any single byte for the function byte, and no more.
    ASSERT_EQ(Receive(nullptr, 0, 1), 1);
    EXPECT_EQ(dest[0], 0x04);
    EXPECT_TRUE(link.waitForEvent());
}

TEST_F(LinkLayerTest, DleAckArrivingInPiecesIsCompleted)
{
    const uint8_t bytes[] = {0x10, 0x06};
    line.AddTransmission(bytes, 0, {1});
    ASSERT_EQ(Receive(kDleAck, 2, 2), 2);
    EXPECT_EQ(Delivered(2), (Bytes{0x10, 0x06}));
}

TEST_F(LinkLayerTest, DleAckReadLeavesThePgsNextBytesInTheLine)
{
    // 10 arrives alone, then 06 together with the parameter telegram.
    const uint8_t bytes[] = {0x10, 0x06, 0xE0, 0x8A, 0x10, 0x04};
    line.AddTransmission(bytes, 0, {1, 5});
    ASSERT_EQ(Receive(kDleAck, 2, 2), 2);
    EXPECT_EQ(line.BytesRead(), 2u);
    ASSERT_EQ(Receive(kDleEot, 2, 0), 4);
    EXPECT_EQ(Delivered(4), (Bytes{0xE0, 0x8A, 0x10, 0x04}));
}

TEST(LinkReceiveTest, DleAckAfterOtherBytesIsDeliveredWithThem)
{
    for (const Bytes& bytes :
         {Bytes{0x00, 0x00, 0x10, 0x06}, Bytes{0x10, 0x15, 0x10, 0x06}, Bytes{0x15, 0x10, 0x06}}) {
        EXPECT_EQ(ReceiveOnce(bytes, {}, kDleAck, 2, 2), bytes);
        EXPECT_EQ(ReceiveOnce(bytes, {1}, kDleAck, 2, 2), bytes);
    }
    // A lone DLE before 10 06 makes the 06 data: no end.
    EXPECT_TRUE(ReceiveOnce({0x10, 0x10, 0x06}, {}, kDleAck, 2, 2).empty());
}

TEST_F(LinkLayerTest, NothingArrivingEndsByTimeOut)
{
    EXPECT_EQ(Receive(kStx, 1, 1), 0);
    EXPECT_GE(line.IdleWaits(), 1);
    const uint8_t noEnd[] = {0x10, 0x15};
    line.AddTransmission(noEnd, 0);
    EXPECT_EQ(Receive(kDleAck, 2, 2), 0);
    EXPECT_EQ(line.BytesRead(), 2u);
}

TEST_F(LinkLayerTest, ChunkPastTheCapacityIsDropped)
{
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7, 8, 0x10, 0x04};
    line.AddTransmission(bytes, 0, {4, 6});
    std::fill(std::begin(dest), std::end(dest), 0xAA);
    EXPECT_EQ(Receive(kDleEot, 2, 0, 8), 0);
    EXPECT_EQ(dest[0], 0); // the destination was cleared all the same
    EXPECT_EQ(line.BytesRead(), sizeof bytes);
}

TEST_F(LinkLayerTest, DestinationIsClearedPastTheDelivery)
{
    const uint8_t bytes[] = {0x12, 0x10, 0x04};
    line.AddTransmission(bytes, 0);
    std::fill(std::begin(dest), std::end(dest), 0xAA);
    ASSERT_EQ(Receive(kDleEot, 2, 0), 3);
    EXPECT_EQ(dest[3], 0);
    EXPECT_EQ(dest[kTelegramBufferSize - 1], 0);
}

TEST_F(LinkLayerTest, ClosedLineGivesNothing)
{
    line.AddTransmission(kStx, 0);
    line.Close();
    EXPECT_EQ(Receive(kStx, 1, 1), 0);
    EXPECT_EQ(line.BytesRead(), 0u);
    EXPECT_FALSE(link.SendTelegram(kDleAck, 2));
}

TEST_F(LinkLayerTest, CloseWakesAWaitingReceive)
{
    // A time-out of a minute: only the close can end this receive soon.
    std::thread closer([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        line.Close();
    });
    EXPECT_EQ(link.ReceiveTelegram(kStx, 1, dest, sizeof dest, 60000, 1), 0);
    closer.join();
}

TEST_F(LinkLayerTest, StopTestEndsTheReceive)
{
    const uint8_t bytes[] = {0x12, 0x34};
    line.AddTransmission(bytes, 0);
    stop = true;
    EXPECT_EQ(link.ReceiveTelegram(kDleEot, 2, dest, sizeof dest, 60000, 0), 0);
    // With the end sequence in, the receive still delivers before it stops.
    const uint8_t end[] = {0x10, 0x04};
    line.AddTransmission(end, 0);
    link.setWaitForEvent(true);
    EXPECT_EQ(link.ReceiveTelegram(kDleEot, 2, dest, sizeof dest, 60000, 0), 2);
}

TEST_F(LinkLayerTest, SendIsDoneOnlyWhenEveryByteWasWritten)
{
    const uint8_t telegram[] = {0x16, 0x10, 0x03};
    EXPECT_TRUE(link.SendTelegram(telegram, 3));
    line.FailWrite(1, 0);
    EXPECT_FALSE(link.SendTelegram(telegram, 3));
    line.FailWrite(2, 2);
    EXPECT_FALSE(link.SendTelegram(telegram, 3));
    EXPECT_EQ(line.Sent(), (Bytes{0x16, 0x10, 0x03, 0x16, 0x10}));
}

class LinkTimingTest : public testing::Test
{
  protected:
    LinkTimingTest() { link.SetTickSource([this] { return line.now(); }); }

    uint16_t Receive(const uint8_t* end, int endLen, uint32_t readSize,
                     uint32_t capacity = kTelegramBufferSize)
    {
        return link.ReceiveTelegram(end, endLen, dest, capacity, 2000, readSize);
    }

    ClockedLine line;
    LinkLayer link{line, [] { return false; }, 2000, 220};
    uint8_t dest[kTelegramBufferSize] = {};
};

TEST_F(LinkTimingTest, TheFirstByteMayTakeTheWholeTimeOut)
{
    line.At(1990, {0x12, 0x10, 0x04});
    EXPECT_EQ(Receive(kDleEot, 2, 0), 3);
    EXPECT_EQ(line.now(), 1990u);

    line.At(4100, {0x02});
    EXPECT_EQ(Receive(kStx, 1, 1), 0);
    EXPECT_EQ(line.now(), 3990u); // 2000 ms after the start, not more
}

TEST_F(LinkTimingTest, ATelegramThatHasBegunEndsAfterTheCharacterDelay)
{
    // 66 parameter bytes of an abandoned write, then the PG's retry 1 s
    // later: the retry is not swallowed as more of the old telegram.
    line.At(0, Bytes(66, 0x55));
    line.At(1000, {0x02});
    EXPECT_EQ(Receive(kDleEot, 2, 0), 0);
    EXPECT_EQ(line.now(), 220u);
    EXPECT_EQ(line.read, 66u);
    EXPECT_EQ(Receive(kStx, 1, 1), 1);
    EXPECT_EQ(dest[0], 0x02);
}

TEST_F(LinkTimingTest, BytesThatKeepComingWithinTheCharacterDelayKeepTheTelegram)
{
    for (uint32_t ms = 0; ms <= 2000; ms += 200)
        line.At(ms, {0x11});
    line.At(2200, {0x10, 0x04});
    EXPECT_EQ(Receive(kDleEot, 2, 0), 13);
    EXPECT_EQ(line.now(), 2200u);
}

TEST_F(LinkTimingTest, AHalfArrivedDleAckWaitsOnlyTheCharacterDelay)
{
    line.At(10, {0x10});
    line.At(500, {0x06});
    EXPECT_EQ(Receive(kDleAck, 2, 2), 0);
    EXPECT_EQ(line.now(), 230u);
}

TEST_F(LinkTimingTest, DroppedChunksExtendNoDeadline)
{
    // Past the destination's size every chunk is dropped: a flood keeps the
    // receive alive no longer than the character delay after the last
    // accepted chunk.
    line.At(0, Bytes(8, 0x11));
    for (uint32_t ms = 100; ms < 3000; ms += 100)
        line.At(ms, Bytes(8, 0x22));
    EXPECT_EQ(Receive(kDleEot, 2, 0, 12), 0);
    EXPECT_EQ(line.now(), 220u);
}

TEST_F(LinkTimingTest, ShortTimeOutsBoundTheCharacterDelay)
{
    line.At(0, {0x12});
    line.At(100, {0x10, 0x04});
    EXPECT_EQ(link.ReceiveTelegram(kDleEot, 2, dest, sizeof dest, 50, 0), 0);
    EXPECT_EQ(line.now(), 50u);
}

TEST_F(LinkTimingTest, AHungUpLineEndsTheReceiveAtOnce)
{
    line.At(0, {0x12, 0x34});
    line.HangUpAfterSchedule();
    EXPECT_EQ(Receive(kDleEot, 2, 0), 0);
    EXPECT_EQ(line.now(), 0u);
    EXPECT_EQ(line.read, 2u); // what came before the hang-up was still read
}

} // namespace
