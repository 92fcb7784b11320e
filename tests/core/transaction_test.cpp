// One AS511 exchange served over the in-memory PG line: the four requests
// byte for byte, every result code, the reply edge cases, the hand-off and
// the request record.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/transaction.h"
#include "support/clocked_line.h"
#include "support/memory_line.h"
#include "support/pg_requests.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTimeoutMs = 40;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct Record
{
    std::string text;
    uint32_t backColor = 0;
    uint32_t foreColor = 0;
    std::vector<int32_t> values;
};

// A controller on an in-memory line, with counted hand-offs and the
// records the transaction reports.
struct Harness
{
    int32_t Serve(const pg::Exchange& exchange, std::vector<size_t> chunks = {})
    {
        line.AddExchange(exchange, std::move(chunks));
        return ServeTransaction(ctx);
    }

    MemoryLine line;
    LinkLayer link{line, [] { return false; }, kTimeoutMs};
    PlcImage image;
    ActivityFlags activity;
    int handOffs = 0;
    std::vector<size_t> sentAtHandOff;
    std::vector<size_t> recordsAtHandOff;
    std::vector<Record> records;
    std::function<void()> onHandOff;
    TransactionContext ctx{image, link, activity,
                           [this] {
                               ++handOffs;
                               sentAtHandOff.push_back(line.Sent().size());
                               recordsAtHandOff.push_back(records.size());
                               if (onHandOff)
                                   onHandOff();
                           },
                           [this](const RequestRecord& r) {
                               records.push_back(
                                   {r.description, r.backColor, r.foreColor,
                                    std::vector<int32_t>(r.values, r.values + r.valueCount)});
                           }};
};

class TransactionTest : public testing::Test
{
  protected:
    Harness h;
};

TEST_F(TransactionTest, ReadMemoryExchangeOnTheLine)
{
    h.image.WriteDbWord(1, 0, 0x1234);
    h.image.WriteDbWord(1, 1, 0x1010);
    h.image.WriteDbWord(1, 2, 0x0010);
    const pg::Exchange read =
        pg::ReadMemory(0xDF8A, 0xDF8F, Bytes{0x12, 0x34, 0x10, 0x10, 0x00, 0x10});
    EXPECT_EQ(read.PgBytes(), (Bytes{0x02, 0x04, 0x10, 0x06, 0x10, 0x06, 0xDF, 0x8A, 0xDF, 0x8F,
                                     0x10, 0x04, 0x10, 0x06, 0x10, 0x06, 0x10, 0x06, 0x10, 0x06}));

    EXPECT_EQ(h.Serve(read), 0);
    EXPECT_EQ(h.line.Sent(), (Bytes{0x10, 0x06, 0x02, 0x16, 0x10, 0x03, 0x10, 0x06, 0x02, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x12, 0x34, 0x10, 0x10, 0x10, 0x10,
                                    0x00, 0x10, 0x10, 0x10, 0x03, 0x02, 0x12, 0x10, 0x03}));
    EXPECT_EQ(h.line.BytesRead(), h.line.ScriptedBytes());
    EXPECT_EQ(h.activity.readActivity.load(), 1);
    EXPECT_EQ(h.activity.writeActivity.load(), 0);
    EXPECT_EQ(h.handOffs, 1);
    EXPECT_TRUE(h.link.waitForEvent());
}

TEST_F(TransactionTest, WriteMemoryExchangeOnTheLine)
{
    const Bytes data = {0x12, 0x34, 0x56};
    const pg::Exchange write = pg::WriteMemory(0xEC00, data);
    EXPECT_EQ(write.PgBytes(), (Bytes{0x02, 0x03, 0x10, 0x06, 0x10, 0x06, 0xEC, 0x00, 0x12, 0x34,
                                      0x56, 0x10, 0x04, 0x10, 0x06, 0x10, 0x06}));

    EXPECT_EQ(h.Serve(write), 0);
    EXPECT_EQ(h.line.Sent(),
              (Bytes{0x10, 0x06, 0x02, 0x16, 0x10, 0x03, 0x10, 0x06, 0x02, 0x12, 0x10, 0x03}));
    EXPECT_EQ(h.line.BytesRead(), h.line.ScriptedBytes());
    EXPECT_EQ(h.image.ReadCell(PlcArea::T, 0), 0x1234);
    EXPECT_EQ(h.image.ReadCell(PlcArea::T, 1), 0x5600); // the byte past the data reads 0
    EXPECT_EQ(h.image.ReadCell(PlcArea::T, 2), 0);
    EXPECT_EQ(h.activity.writeActivity.load(), 1);
    EXPECT_EQ(h.activity.readActivity.load(), 0);
    EXPECT_EQ(h.handOffs, 1);
}

TEST_F(TransactionTest, SystemParametersExchangeOnTheLine)
{
    Bytes payload = {0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0x00, 0xEF, 0x80, 0xEE, 0x00, 0xEC, 0x00,
                     0xED, 0x00, 0xEA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00};
    payload.resize(45, 0x00);
    const pg::Exchange request = pg::SystemParameters(payload);
    EXPECT_EQ(h.Serve(request), 0);
    EXPECT_EQ(h.line.Sent(), request.SlaveBytes());
    EXPECT_EQ(h.line.Sent().size(), 9u + 45u + 2u + 1u + 3u);
    EXPECT_EQ(h.activity.readActivity.load(), 1);

    // Moved bases are sent as they stand, a DLE among them doubled.
    Harness moved;
    moved.image.SetAreaBase(PlcArea::EB, 0x1010);
    payload[5] = 0x10;
    payload[6] = 0x10;
    const pg::Exchange again = pg::SystemParameters(payload);
    EXPECT_EQ(moved.Serve(again), 0);
    EXPECT_EQ(moved.line.Sent(), again.SlaveBytes());
}

TEST_F(TransactionTest, BlockInformationExchangeOnTheLine)
{
    const Bytes payload = {0x00, 0xDD, 0x8A, 0x70, 0x70, 0x41, 0x03,
                           0x00, 0x00, 0x00, 0x00, 0x00, 0x85};
    const pg::Exchange request = pg::BlockInfo(0x01, 0x03, payload);
    EXPECT_EQ(request.PgBytes(), (Bytes{0x02, 0x1A, 0x10, 0x06, 0x10, 0x06, 0x01, 0x03, 0x10, 0x04,
                                        0x10, 0x06, 0x10, 0x06, 0x10, 0x06, 0x10, 0x06}));
    EXPECT_EQ(h.Serve(request), 0);
    EXPECT_EQ(h.line.Sent(), Concat({{0x10, 0x06, 0x02, 0x16, 0x10, 0x03, 0x10, 0x06, 0x02},
                                     payload,
                                     {0x10, 0x03, 0x02, 0x12, 0x10, 0x03}}));
    EXPECT_EQ(h.handOffs, 1);
}

TEST(TransactionBlockInfoTest, MissingBlocksKeepTheZeroHead)
{
    struct Case
    {
        uint8_t db;
        Bytes payload;
        std::function<void(PlcImage&)> setup;
    };
    const Case cases[] = {
        {0xC8,
         {0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05},
         nullptr},
        {0x80,
         {0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05},
         nullptr},
        {0xFF,
         {0x14, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05},
         nullptr},
        {0x04,
         {0x14, 0xDC, 0x8A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0F},
         [](PlcImage& image) {
             image.SetDbExists(4, false);
             image.SetDbLength(4, 10);
         }},
        // Block 16 and a start holding DLEs: doubled on the line.
        {0x10,
         {0x00, 0x10, 0x10, 0x70, 0x70, 0x41, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C},
         [](PlcImage& image) {
             image.SetDbStart(16, 0x1010);
             image.SetDbLength(16, 7);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.db));
        Harness h;
        if (c.setup)
            c.setup(h.image);
        const pg::Exchange request = pg::BlockInfo(0x01, c.db, c.payload);
        EXPECT_EQ(h.Serve(request), 0);
        EXPECT_EQ(h.line.Sent(), request.SlaveBytes());
        EXPECT_EQ(h.handOffs, 1);
    }
}

struct ReadCase
{
    const char* name;
    uint16_t start;
    uint16_t end;
    Bytes data;
    int handOffs;
};

TEST(TransactionReadTest, ReadMemoryEdgeCases)
{
    const ReadCase cases[] = {
        {"one word of DB 1", 0xDF8A, 0xDF8B, {0xA1, 0x01}, 1},
        {"three words of DB 1", 0xDF8A, 0xDF8F, {0xA1, 0x01, 0xA1, 0x02, 0xA1, 0x03}, 1},
        {"odd start reaches the same word", 0xDF8B, 0xDF8C, {0xA1, 0x01}, 1},
        {"EB does not run on into AB", 0xEF7E, 0xEF8F, {0x7E, 0x7F}, 1},
        {"T 126 and T 127 only", 0xECFC, 0xED05, {0x00, 0x7E, 0x00, 0x7F}, 1},
        {"status byte whatever the end", 0xEA0C, 0xEA20, {0x08}, 1},
        {"status byte with end at start", 0xEA0C, 0xEA0C, {0x08}, 1},
        {"elsewhere in System: no data", 0xEA00, 0xEA01, {}, 1},
        {"no area: no data, no hand-off", 0x0100, 0x0101, {}, 0},
        {"start 0", 0x0000, 0xDF8B, {}, 0},
        {"end 0", 0xDF8A, 0x0000, {}, 0},
        {"end below start", 0xDF8F, 0xDF8A, {}, 0},
        {"one MB byte", 0xEE05, 0xEE05, {0x05}, 1},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        for (int i = 0; i < 128; ++i) {
            h.image.WriteDbWord(1, i, 0xA101 + i);
            h.image.WriteCell(PlcArea::EB, i, i);
            h.image.WriteCell(PlcArea::AB, i, 0xFF);
            h.image.WriteCell(PlcArea::T, i, i);
            h.image.WriteCell(PlcArea::Z, i, 0xFFFF);
        }
        for (int i = 0; i < 256; ++i)
            h.image.WriteCell(PlcArea::MB, i, i);
        const pg::Exchange read = pg::ReadMemory(c.start, c.end, c.data);
        EXPECT_EQ(h.Serve(read), 0);
        EXPECT_EQ(h.line.Sent(), read.SlaveBytes());
        EXPECT_EQ(h.handOffs, c.handOffs);
        EXPECT_EQ(h.activity.readActivity.load(), 1);
    }
}

TEST(TransactionReadTest, CellsSendTheirLowBitsOnly)
{
    Harness h;
    h.image.WriteCell(PlcArea::T, 0, 0x12345);
    h.image.WriteCell(PlcArea::MB, 0, 0x1FF);
    const pg::Exchange timer = pg::ReadMemory(0xEC00, 0xEC01, Bytes{0x23, 0x45});
    EXPECT_EQ(h.Serve(timer), 0);
    EXPECT_EQ(h.line.Sent(), timer.SlaveBytes());

    Harness m;
    m.image.WriteCell(PlcArea::MB, 0, 0x1FF);
    const pg::Exchange merker = pg::ReadMemory(0xEE00, 0xEE00, Bytes{0xFF});
    EXPECT_EQ(m.Serve(merker), 0);
    EXPECT_EQ(m.line.Sent(), merker.SlaveBytes());
}

TEST(TransactionReadTest, LargestRepliesWithEveryByteDoubled)
{
    Harness h;
    for (int i = 0; i < 128; ++i)
        h.image.WriteDbWord(0, i, 0x1010);
    const Bytes words(256, 0x10);
    const pg::Exchange db = pg::ReadMemory(0xE08A, 0xFFFF, words);
    EXPECT_EQ(h.Serve(db), 0);
    EXPECT_EQ(h.line.Sent(), db.SlaveBytes());
    EXPECT_EQ(db.steps[pg::kReadAckToAckStx].reply.size(), 5u + 512u + 2u);

    Harness m;
    for (int i = 0; i < 256; ++i)
        m.image.WriteCell(PlcArea::MB, i, 0x10);
    const pg::Exchange merkers = pg::ReadMemory(0xEE00, 0xEEFF, Bytes(256, 0x10));
    EXPECT_EQ(m.Serve(merkers), 0);
    EXPECT_EQ(m.line.Sent(), merkers.SlaveBytes());
}

TEST(TransactionWriteTest, WriteRules)
{
    struct Case
    {
        const char* name;
        uint16_t start;
        Bytes data;
        int handOffs;
        std::function<void(const PlcImage&)> check;
    };
    const Case cases[] = {
        {"status byte 40: STOP, battery FAULT",
         0xEA0C,
         {0x40},
         1,
         [](const PlcImage& image) {
             EXPECT_FALSE(image.IsRunning());
             EXPECT_FALSE(image.IsBatteryOk());
         }},
        {"elsewhere in System changes nothing",
         0xEA0D,
         {0x40},
         1,
         [](const PlcImage& image) {
             EXPECT_TRUE(image.IsRunning());
             EXPECT_TRUE(image.IsBatteryOk());
         }},
        {"start 0 changes nothing",
         0x0000,
         {0x12, 0x34},
         0,
         [](const PlcImage& image) {
             for (int db = 0; db < 128; ++db)
                 for (int w = 0; w < 128; ++w)
                     ASSERT_EQ(image.ReadDbWord(db, w), 0);
         }},
        {"no area changes nothing", 0x0100, {0x12, 0x34}, 0, nullptr},
        {"odd start writes the word below",
         0xDF8B,
         {0xAB, 0xCD},
         1,
         [](const PlcImage& image) { EXPECT_EQ(image.ReadDbWord(1, 0), 0xABCD); }},
        {"EB does not run on into AB",
         0xEF7F,
         {0x11, 0x22, 0x33},
         1,
         [](const PlcImage& image) {
             EXPECT_EQ(image.ReadCell(PlcArea::EB, 127), 0x11);
             EXPECT_EQ(image.ReadCell(PlcArea::AB, 0), 0);
         }},
        {"MB bytes",
         0xEEFE,
         {0x01, 0x02, 0x03},
         1,
         [](const PlcImage& image) {
             EXPECT_EQ(image.ReadCell(PlcArea::MB, 254), 0x01);
             EXPECT_EQ(image.ReadCell(PlcArea::MB, 255), 0x02);
             EXPECT_EQ(image.ReadCell(PlcArea::EB, 0), 0);
         }},
        {"DLE data unstuffed",
         0xE08A,
         {0x10, 0x10, 0x00, 0x10},
         1,
         [](const PlcImage& image) {
             EXPECT_EQ(image.ReadDbWord(0, 0), 0x1010);
             EXPECT_EQ(image.ReadDbWord(0, 1), 0x0010);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        const pg::Exchange write = pg::WriteMemory(c.start, c.data);
        EXPECT_EQ(h.Serve(write), 0);
        EXPECT_EQ(h.line.Sent(), write.SlaveBytes());
        EXPECT_EQ(h.handOffs, c.handOffs);
        EXPECT_EQ(h.activity.writeActivity.load(), 1);
        if (c.check)
            c.check(h.image);
    }
}

TEST(TransactionWriteTest, LongestParameterTelegram)
{
    Harness h;
    // 2 address bytes + 1020 data bytes + DLE EOT fill the 1024-byte
    // buffer exactly; the DLE ACK before them arrives in its own read.
    Bytes data(1020);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i % 256 == 0x10 ? 0x11 : i);
    data[0] = 0x20;
    const pg::Exchange write = pg::WriteMemory(0xEE00, data);
    ASSERT_EQ(write.steps[pg::kWriteAckAndParameters].send.size(), 2u + 1024u);
    EXPECT_EQ(h.Serve(write), 0);
    EXPECT_EQ(h.image.ReadCell(PlcArea::MB, 0), 0x20);
    EXPECT_EQ(h.image.ReadCell(PlcArea::MB, 255), 0xFF);
    EXPECT_EQ(h.image.ReadCell(PlcArea::EB, 0), 0);

    // One byte more does not fit: the chunk is dropped, not cut.
    Harness over;
    data.push_back(0x01);
    EXPECT_EQ(over.Serve(pg::WriteMemory(0xEE00, data)), 74);
    EXPECT_EQ(over.image.ReadCell(PlcArea::MB, 0), 0);
}

// Result codes: each failing step gives its code, and nothing is sent
// after it.
struct CodeCase
{
    const char* name;
    pg::Exchange exchange;
    int failWrite; // index of the controller's write that fails, -1 none
    int32_t code;
    size_t sentSteps; // replies of this many steps of `expected` were sent
    pg::Exchange expected;
};

pg::Exchange Read()
{
    return pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0x00, 0x00});
}
pg::Exchange Write()
{
    return pg::WriteMemory(0xEC00, Bytes{0x12, 0x34});
}

pg::Exchange Cut(pg::Exchange exchange, size_t steps)
{
    exchange.steps.resize(steps);
    return exchange;
}

// The PG sends `bytes` at `step` and nothing after it.
pg::Exchange SendAt(pg::Exchange exchange, size_t step, Bytes bytes)
{
    exchange.steps[step].send = std::move(bytes);
    return Cut(std::move(exchange), step + 1);
}

// Other bytes come before the DLE ACK of `step`.
pg::Exchange WrongAt(pg::Exchange exchange, size_t step)
{
    Bytes bytes = {0x00, 0x00};
    const Bytes& send = exchange.steps[step].send;
    bytes.insert(bytes.end(), send.begin(), send.end());
    return SendAt(std::move(exchange), step, bytes);
}

TEST(TransactionCodeTest, EachFailingStepGivesItsCode)
{
    using namespace pg;
    const Bytes readParams = ParameterTelegram(Bytes{0xDF, 0x8A, 0xDF, 0x8B});
    const CodeCase cases[] = {
        {"no STX", Cut(Read(), 0), -1, 11, 0, Read()},
        {"other bytes before STX", SendAt(Read(), kReadStx, {0x55, 0x02}), -1, 1, 0, Read()},
        {"sending DLE ACK", Read(), 0, 2, 0, Read()},
        {"no function byte", Cut(Read(), 1), -1, 3, 1, Read()},
        {"sending STX", Read(), 1, 4, 1, Read()},
        {"no DLE ACK to STX", Cut(Read(), 2), -1, 51, 2, Read()},
        {"wrong DLE ACK to STX", WrongAt(Read(), kReadAckToStx), -1, 5, 2, Read()},
        {"DLE NAK for DLE ACK", SendAt(Read(), kReadAckToStx, {0x10, 0x15}), -1, 51, 2, Read()},
        {"sending SYN DLE ETX", Read(), 2, 6, 2, Read()},
        {"no DLE ACK to SYN DLE ETX", Cut(Read(), 3), -1, 62, 3, Read()},
        {"wrong DLE ACK to SYN DLE ETX", WrongAt(Read(), kReadAckAndParameters), -1, 61, 3, Read()},
        {"no parameter telegram", SendAt(Read(), kReadAckAndParameters, {0x10, 0x06}), -1, 74, 3,
         Read()},
        {"parameters without DLE EOT",
         SendAt(Read(), kReadAckAndParameters, {0x10, 0x06, 0xDF, 0x8A, 0x10}), -1, 74, 3, Read()},
        {"read with 3 parameter bytes", ReadRequest(0x04, Bytes{0xDF, 0x8A, 0xDF}, {}), -1, 75, 3,
         Read()},
        {"read with 10 00 unstuffed", ReadRequest(0x04, Bytes{0x10, 0x00}, {}), -1, 75, 3, Read()},
        {"write with 2 parameter bytes", WriteRequest(Bytes{0xEC, 0x00}), -1, 76, 3, Write()},
        {"block info with 1 parameter byte", ReadRequest(0x1A, Bytes{0x01}, {}), -1, 71, 3, Read()},
        {"block info of type 2", BlockInfo(0x02, 0x03, {}), -1, 7, 3, Read()},
        {"function byte 05", ReadRequest(0x05, Bytes{0xDF, 0x8A, 0xDF, 0x8B}, {}), -1, 72, 3,
         Read()},
        {"write: sending DLE ACK STX", Write(), 3, 1001, 3, Write()},
        {"read: sending DLE ACK STX", Read(), 3, 8, 3, Read()},
        {"no DLE ACK to DLE ACK STX", Cut(Read(), 4), -1, 91, 4, Read()},
        {"wrong DLE ACK to DLE ACK STX", WrongAt(Read(), kReadAckToAckStx), -1, 9, 4, Read()},
        {"sending the data telegram", Read(), 4, 10, 4, Read()},
        {"no DLE ACK to the data", Cut(Read(), 5), -1, 102, 5, Read()},
        {"wrong DLE ACK to the data", WrongAt(Read(), kReadAckToData), -1, 101, 5, Read()},
        {"sending STX after the data", Read(), 5, 12, 5, Read()},
        {"read: no DLE ACK before closing", Cut(Read(), 6), -1, 131, 6, Read()},
        {"read: wrong DLE ACK before closing", WrongAt(Read(), kReadAckToStx2), -1, 13, 6, Read()},
        {"read: sending DC2 DLE ETX", Read(), 6, 14, 6, Read()},
        {"read: no last DLE ACK", Cut(Read(), 7), -1, 151, 7, Read()},
        {"read: wrong last DLE ACK", WrongAt(Read(), kReadLastAck), -1, 15, 7, Read()},
        {"write: no DLE ACK before closing", Cut(Write(), 4), -1, 131, 4, Write()},
        {"write: wrong DLE ACK before closing", WrongAt(Write(), kWriteAckToAckStx), -1, 13, 4,
         Write()},
        {"write: sending DC2 DLE ETX", Write(), 4, 14, 4, Write()},
        {"write: no last DLE ACK", Cut(Write(), 5), -1, 151, 5, Write()},
        {"write: wrong last DLE ACK", WrongAt(Write(), kWriteLastAck), -1, 15, 5, Write()},
    };
    for (const CodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        if (c.failWrite >= 0)
            h.line.FailWrite(c.failWrite);
        EXPECT_EQ(h.Serve(c.exchange), c.code);
        EXPECT_EQ(h.line.Sent(), c.expected.SlaveBytes(c.sentSteps));
        EXPECT_TRUE(h.link.waitForEvent());
    }
}

TEST(TransactionCodeTest, ActivityOnlyForAcceptedRequests)
{
    Harness shortRead;
    EXPECT_EQ(shortRead.Serve(pg::ReadRequest(0x04, Bytes{0xDF, 0x8A, 0xDF}, {})), 75);
    EXPECT_EQ(shortRead.activity.readActivity.load(), 0);

    Harness wrongType;
    EXPECT_EQ(wrongType.Serve(pg::BlockInfo(0x02, 0x03, {})), 7);
    EXPECT_EQ(wrongType.activity.readActivity.load(), 1);
    EXPECT_EQ(wrongType.handOffs, 0);

    Harness unknown;
    EXPECT_EQ(unknown.Serve(pg::ReadRequest(0x05, {}, {})), 72);
    EXPECT_EQ(unknown.activity.readActivity.load() + unknown.activity.writeActivity.load(), 0);
}

TEST(TransactionCodeTest, WriteStaysAppliedWhenALaterStepFails)
{
    Harness h;
    h.line.FailWrite(3);
    EXPECT_EQ(h.Serve(Write()), 1001);
    EXPECT_EQ(h.image.ReadCell(PlcArea::T, 0), 0x1234);
    EXPECT_EQ(h.handOffs, 1);
}

TEST(TransactionCodeTest, ClosedLineGivesNoStx)
{
    Harness h;
    h.line.AddExchange(Read());
    h.line.Close();
    EXPECT_EQ(ServeTransaction(h.ctx), 11);
    EXPECT_TRUE(h.line.Sent().empty());
}

// Waits measured on a clock of the test's own, with the program's time-outs.
TEST(TransactionTimingTest, TheFunctionByteHasTheCharacterDelayTheAcksTheFullWait)
{
    PlcImage image;
    ActivityFlags activity;
    {
        // A PG that gave up after our DLE ACK, and starts again 500 ms later.
        ClockedLine line;
        LinkLayer link{line, [] { return false; }, 2000, 220};
        link.SetTickSource([&] { return line.now(); });
        TransactionContext ctx{image, link, activity, {}, {}};
        line.At(0, {0x02});
        line.At(500, {0x02});
        EXPECT_EQ(ServeTransaction(ctx), 3);
        EXPECT_EQ(line.now(), 220u);
        EXPECT_EQ(line.sent, (Bytes{0x10, 0x06}));
    }
    {
        // A slow DLE ACK still counts: the PG may take the whole wait.
        const pg::Exchange read = pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0x00, 0x00});
        ClockedLine line;
        LinkLayer link{line, [] { return false; }, 2000, 220};
        link.SetTickSource([&] { return line.now(); });
        TransactionContext ctx{image, link, activity, {}, {}};
        uint32_t at = 0;
        for (size_t i = 0; i < read.steps.size(); ++i) {
            line.At(at, read.steps[i].send);
            at += i == pg::kReadStx ? 10 : 1900; // the function byte follows STX at once
        }
        EXPECT_EQ(ServeTransaction(ctx), 0);
        EXPECT_EQ(line.sent, read.SlaveBytes());
    }
}

TEST_F(TransactionTest, HandOffComesAfterTheImageAndBeforeTheReply)
{
    h.onHandOff = [this] { EXPECT_EQ(h.image.ReadCell(PlcArea::T, 0), 0x1234); };
    const pg::Exchange write = Write();
    ASSERT_EQ(h.Serve(write), 0);
    ASSERT_EQ(h.sentAtHandOff.size(), 1u);
    EXPECT_EQ(h.sentAtHandOff[0], write.SlaveBytes(pg::kWriteAckAndParameters).size());
    EXPECT_EQ(h.recordsAtHandOff[0], 1u); // the record comes just before

    Harness r;
    const pg::Exchange read = Read();
    ASSERT_EQ(r.Serve(read), 0);
    ASSERT_EQ(r.sentAtHandOff.size(), 1u);
    EXPECT_EQ(r.sentAtHandOff[0], read.SlaveBytes(pg::kReadAckToAckStx).size());
    EXPECT_EQ(r.recordsAtHandOff[0], 1u);
}

TEST_F(TransactionTest, NoObserverAndNoHandOffServeAsWell)
{
    h.ctx.observer = nullptr;
    h.ctx.handOff = nullptr;
    const pg::Exchange read = Read();
    EXPECT_EQ(h.Serve(read), 0);
    EXPECT_EQ(h.line.Sent(), read.SlaveBytes());
    EXPECT_TRUE(h.records.empty());
}

TEST(TransactionChunkTest, WholeExchangeByteByByte)
{
    Harness h;
    h.image.WriteDbWord(1, 0, 0x1010);
    const pg::Exchange read = pg::ReadMemory(0xDF8A, 0xDF8B, Bytes{0x10, 0x10});
    EXPECT_EQ(h.Serve(read, {1}), 0);
    EXPECT_EQ(h.line.Sent(), read.SlaveBytes());
    EXPECT_EQ(h.line.BytesRead(), h.line.ScriptedBytes());
}

TEST(TransactionChunkTest, DleAckSplitFromParametersSentRightAfterIt)
{
    // 10 arrives alone, then 06 with the whole parameter telegram: the DLE
    // ACK wait must not swallow the parameters.
    Harness h;
    const pg::Exchange read = Read();
    const size_t first = h.line.AddExchange(read);
    h.line.SetChunks(first + pg::kReadAckAndParameters, {1, 100});
    EXPECT_EQ(ServeTransaction(h.ctx), 0);
    EXPECT_EQ(h.line.Sent(), read.SlaveBytes());
}

TEST(TransactionChunkTest, ChunkEndingInsideStuffedDataDoesNotEndTheParameters)
{
    // Data word 0x1010 and data byte 0x04 arrive as 10 10 10 10 04, the
    // rest of the telegram later.
    Harness h;
    const pg::Exchange write = pg::WriteMemory(0xE08A, Bytes{0x10, 0x10, 0x04, 0x00});
    const size_t first = h.line.AddExchange(write);
    // 10 06 E0 8A 10 10 10 10 04 | 00 10 04
    h.line.SetChunks(first + pg::kWriteAckAndParameters, {9});
    EXPECT_EQ(ServeTransaction(h.ctx), 0);
    EXPECT_EQ(h.image.ReadDbWord(0, 0), 0x1010);
    EXPECT_EQ(h.image.ReadDbWord(0, 1), 0x0400);
    EXPECT_EQ(h.line.Sent(), write.SlaveBytes());
}

TEST(TransactionChunkTest, NextRequestQueuedBehindTheLastAck)
{
    Harness h;
    h.image.WriteCell(PlcArea::MB, 7, 0x77);
    pg::Exchange first = pg::ReadMemory(0xEE07, 0xEE07, Bytes{0x77});
    pg::Exchange second = pg::WriteMemory(0xEE07, Bytes{0x88});
    // The PG's last DLE ACK and its next STX in one transmission.
    first.steps.back().send.push_back(0x02);
    first.steps.back().reply = second.steps.front().reply;
    second.steps.erase(second.steps.begin());
    h.line.AddExchange(first);
    h.line.AddExchange(second);

    EXPECT_EQ(ServeTransaction(h.ctx), 0);
    EXPECT_FALSE(h.link.waitForEvent()); // the STX is already waiting
    EXPECT_EQ(ServeTransaction(h.ctx), 0);
    EXPECT_TRUE(h.link.waitForEvent());
    EXPECT_EQ(h.image.ReadCell(PlcArea::MB, 7), 0x88);
    EXPECT_EQ(h.line.Sent(), Concat({first.SlaveBytes(), second.SlaveBytes()}));
    EXPECT_EQ(h.line.BytesRead(), h.line.ScriptedBytes());
}

struct RecordCase
{
    const char* name;
    pg::Exchange exchange;
    std::string text;
    uint32_t foreColor;
    std::vector<int32_t> values;
};

TEST(TransactionRecordTest, RecordOfEachServedRequest)
{
    const RecordCase cases[] = {
        {"read of DB words",
         pg::ReadMemory(0xDF8A, 0xDF8F, Bytes{0xA1, 0x01, 0xA1, 0x02, 0xA1, 0x03}),
         "Block Read  (DB 1, DW 0 - DW 2)",
         0x008000,
         {0xA101, 0xA102, 0xA103}},
        {"read of one DB word",
         pg::ReadMemory(0xDF8C, 0xDF8D, Bytes{0xA1, 0x02}),
         "Block Read  (DB 1, DW 1)",
         0x008000,
         {0xA102}},
        {"write of timers",
         pg::WriteMemory(0xEC02, Bytes{0x12, 0x34, 0x56}),
         "Block Write (T 1 - T 2)",
         0x0000FF,
         {0x1234, 0x5600}},
        {"write of one flag byte",
         pg::WriteMemory(0xEE05, Bytes{0x99}),
         "Block Write (MB 5)",
         0x0000FF,
         {0x99}},
        {"read of counters",
         pg::ReadMemory(0xED00, 0xED03, Bytes{0xFF, 0xFF, 0xFF, 0xFF}),
         "Block Read  (Z 0 - Z 1)",
         0x008000,
         {0xFFFF, 0xFFFF}},
        {"read of inputs",
         pg::ReadMemory(0xEF7E, 0xEF8F, Bytes{0x7E, 0x7F}),
         "Block Read  (EB 126 - EB 127)",
         0x008000,
         {0x7E, 0x7F}},
        {"write of outputs",
         pg::WriteMemory(0xEF81, Bytes{0x01}),
         "Block Write (AB 1)",
         0x0000FF,
         {0x01}},
        {"read of the status byte",
         pg::ReadMemory(0xEA0C, 0xEA0C, Bytes{0x08}),
         "Block Read  (System)",
         0x008000,
         {0x08}},
        {"write of the status byte",
         pg::WriteMemory(0xEA0C, Bytes{0x48}),
         "Block Write (System)",
         0x0000FF,
         {0x48}},
        {"write elsewhere in System",
         pg::WriteMemory(0xEA0D, Bytes{0x48}),
         "Block Write (System)",
         0x0000FF,
         {}},
        {"system parameters",
         pg::SystemParameters({}),
         "Block System",
         0xFF0000,
         {0xEF00, 0xEF80, 0xEE00, 0xEC00, 0xED00, 0xEA00}},
        {"block information",
         pg::BlockInfo(0x01, 0x03, {}),
         "Block Info  (DB 3)",
         0xFF0000,
         {0x00, 0xDD8A, 0x85}},
        {"block information past 127",
         pg::BlockInfo(0x01, 200, {}),
         "Block Info  (DB 200)",
         0xFF0000,
         {0x14, 0x0000, 0x0005}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        for (int i = 0; i < 128; ++i) {
            h.image.WriteDbWord(1, i, 0xA101 + i);
            h.image.WriteCell(PlcArea::EB, i, i);
            h.image.WriteCell(PlcArea::Z, i, 0xFFFF);
        }
        h.line.AddExchange(c.exchange);
        ServeTransaction(h.ctx);
        ASSERT_EQ(h.records.size(), 1u);
        EXPECT_EQ(h.records[0].text, c.text);
        EXPECT_EQ(h.records[0].backColor, 0xFFFFFFu);
        EXPECT_EQ(h.records[0].foreColor, c.foreColor);
        EXPECT_EQ(h.records[0].values, c.values);
    }
}

TEST(TransactionRecordTest, RangePastTheLastCellAndTheFullArea)
{
    Harness past;
    past.image.SetAreaBase(PlcArea::Z, 0xEE00); // T reaches up to 0xEDFF, cells end at 0xECFF
    past.line.AddExchange(pg::ReadMemory(0xED00, 0xED03, {}));
    EXPECT_EQ(ServeTransaction(past.ctx), 0);
    ASSERT_EQ(past.records.size(), 1u);
    EXPECT_EQ(past.records[0].text, "Block Read  (T 128)");
    EXPECT_TRUE(past.records[0].values.empty());
    EXPECT_EQ(past.handOffs, 1);

    Harness all;
    all.line.AddExchange(pg::ReadMemory(0xEE00, 0xEEFF, Bytes(256, 0x00)));
    EXPECT_EQ(ServeTransaction(all.ctx), 0);
    ASSERT_EQ(all.records.size(), 1u);
    EXPECT_EQ(all.records[0].text, "Block Read  (MB 0 - MB 255)");
    EXPECT_EQ(all.records[0].values.size(), 256u);

    Harness none;
    none.line.AddExchange(pg::ReadMemory(0x0100, 0x0101, {}));
    none.line.AddExchange(pg::WriteMemory(0x0000, Bytes{0x01}));
    EXPECT_EQ(ServeTransaction(none.ctx), 0);
    EXPECT_EQ(ServeTransaction(none.ctx), 0);
    EXPECT_TRUE(none.records.empty());
}

TEST(TransactionConcurrencyTest, OperatorEditsWhileThePgReads)
{
    // The worker serves reads while the operator edits cells and moves
    // bases elsewhere; values never hold a DLE, so every reply keeps its
    // length and the scripted PG stays in step.
    constexpr int kExchanges = 40;
    Harness h;
    const pg::Exchange read = pg::ReadMemory(0xDF8A, 0xE089, Bytes(256, 0x00));
    for (int i = 0; i < kExchanges; ++i)
        h.line.AddExchange(read);
    std::atomic<bool> done{false};
    std::thread operatorThread([&] {
        for (int n = 0; !done.load(); ++n) {
            h.image.WriteDbWord(1, n % 128, 0x2020 + (n % 0x0F));
            h.image.WriteCell(PlcArea::MB, n % 256, 0x21);
            h.image.SetAreaBase(PlcArea::T, 0xEC00 + (n % 2) * 0x10);
            (void)h.image.StatusByte();
        }
    });
    int completed = 0;
    for (int i = 0; i < kExchanges; ++i)
        completed += ServeTransaction(h.ctx) == 0 ? 1 : 0;
    done = true;
    operatorThread.join();
    EXPECT_EQ(completed, kExchanges);
    EXPECT_EQ(h.line.BytesRead(), h.line.ScriptedBytes());
}

} // namespace
