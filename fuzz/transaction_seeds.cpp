// Writes the seed corpus of the transaction fuzzer into the folder it is
// given: the PG's side of the exchanges the transaction tests serve (the
// four requests with typical and edge parameters, stuffed DLEs, requests
// that fail a step), each in a few chunkings, in the fuzz input format.
// Built from the same PG request builders as the tests, so the seeds
// follow them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/image_layouts.h"
#include "fuzz/pg_script.h"
#include "support/pg_requests.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Request
{
    const char* name;
    pg::Exchange exchange;
};

Bytes Counting(size_t count)
{
    Bytes data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = static_cast<uint8_t>(i % 256 == 0x10 ? 0x11 : i);
    return data;
}

std::vector<Request> Requests()
{
    using namespace pg;
    return {
        {"read_db1_words", ReadMemory(0xDF8A, 0xDF8F, {})},
        {"read_db1_odd_start", ReadMemory(0xDF8B, 0xDF8C, {})},
        {"read_db0_to_ffff", ReadMemory(0xE08A, 0xFFFF, {})},
        {"read_eb_into_ab", ReadMemory(0xEF7E, 0xEF8F, {})},
        {"read_t_last_cells", ReadMemory(0xECFC, 0xED05, {})},
        {"read_mb_all", ReadMemory(0xEE00, 0xEEFF, {})},
        {"read_mb_byte", ReadMemory(0xEE05, 0xEE05, {})},
        {"read_status_byte", ReadMemory(0xEA0C, 0xEA20, {})},
        {"read_system_other", ReadMemory(0xEA00, 0xEA01, {})},
        {"read_no_area", ReadMemory(0x0100, 0x0101, {})},
        {"read_start_0", ReadMemory(0x0000, 0xDF8B, {})},
        {"read_end_below_start", ReadMemory(0xDF8F, 0xDF8A, {})},
        {"read_dle_address", ReadMemory(0x1010, 0x1110, {})},
        {"read_3_parameters", ReadRequest(0x04, Bytes{0xDF, 0x8A, 0xDF}, {})},
        {"read_unstuffed_dle", ReadRequest(0x04, Bytes{0x10, 0x00}, {})},
        {"write_timers", WriteMemory(0xEC00, Bytes{0x12, 0x34, 0x56})},
        {"write_status_stop", WriteMemory(0xEA0C, Bytes{0x40})},
        {"write_status_run", WriteMemory(0xEA0C, Bytes{0x08})},
        {"write_system_other", WriteMemory(0xEA0D, Bytes{0x40})},
        {"write_start_0", WriteMemory(0x0000, Bytes{0x12, 0x34})},
        {"write_no_area", WriteMemory(0x0100, Bytes{0x12, 0x34})},
        {"write_db1_odd_start", WriteMemory(0xDF8B, Bytes{0xAB, 0xCD})},
        {"write_eb_into_ab", WriteMemory(0xEF7F, Bytes{0x11, 0x22, 0x33})},
        {"write_mb_last", WriteMemory(0xEEFE, Bytes{0x01, 0x02, 0x03})},
        {"write_ab", WriteMemory(0xEF81, Bytes{0x01})},
        {"write_dle_data", WriteMemory(0xE08A, Bytes{0x10, 0x10, 0x00, 0x10})},
        {"write_dle_then_04", WriteMemory(0xE08A, Bytes{0x10, 0x10, 0x04, 0x00})},
        {"write_dle_address", WriteMemory(0x1010, Bytes{0x10, 0x10})},
        {"write_longest", WriteMemory(0xEE00, Counting(1020))},
        {"write_one_too_long", WriteMemory(0xEE00, Counting(1021))},
        {"write_2_parameters", WriteRequest(Bytes{0xEC, 0x00})},
        {"system_parameters", SystemParameters({})},
        {"block_info_db3", BlockInfo(0x01, 0x03, {})},
        {"block_info_db16", BlockInfo(0x01, 0x10, {})},
        {"block_info_db200", BlockInfo(0x01, 200, {})},
        {"block_info_db255", BlockInfo(0x01, 0xFF, {})},
        {"block_info_type_2", BlockInfo(0x02, 0x03, {})},
        {"block_info_1_parameter", ReadRequest(0x1A, Bytes{0x01}, {})},
        {"function_05", ReadRequest(0x05, Bytes{0xDF, 0x8A, 0xDF, 0x8B}, {})},
    };
}

// The ways a PG's bytes arrive.
enum class Chunking
{
    Whole,    // everything at once
    Steps,    // one chunk per step, as a PG sends them
    Bytes,    // byte by byte
    SplitAck, // steps, the DLE of the DLE ACK before the parameters alone
};

void AppendExchange(Bytes& input, const pg::Exchange& exchange, Chunking chunking)
{
    switch (chunking) {
    case Chunking::Whole:
        AppendChunk(input, exchange.PgBytes());
        return;
    case Chunking::Bytes:
        for (uint8_t b : exchange.PgBytes())
            AppendChunk(input, Bytes{b});
        return;
    case Chunking::Steps:
    case Chunking::SplitAck:
        for (size_t i = 0; i < exchange.steps.size(); ++i) {
            const Bytes& send = exchange.steps[i].send;
            const bool split = chunking == Chunking::SplitAck && i == pg::kReadAckAndParameters;
            if (split) {
                AppendChunk(input, Bytes(send.begin(), send.begin() + 1));
                AppendChunk(input, Bytes(send.begin() + 1, send.end()));
            } else {
                AppendChunk(input, send);
            }
        }
        return;
    }
}

class SeedWriter
{
  public:
    explicit SeedWriter(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    bool Write(const std::string& name, const Bytes& input)
    {
        std::ofstream out(m_folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(input.data()),
                  static_cast<std::streamsize>(input.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write %s\n", (m_folder / name).c_str());
            return false;
        }
        ++m_count;
        return true;
    }

    int count() const { return m_count; }

  private:
    std::filesystem::path m_folder;
    int m_count = 0;
};

Bytes Layout(uint8_t layout)
{
    return Bytes{layout};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::error_code error;
    std::filesystem::create_directories(argv[1], error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    SeedWriter seeds(argv[1]);
    bool ok = true;

    const struct
    {
        const char* name;
        Chunking chunking;
    } chunkings[] = {{"whole", Chunking::Whole},
                     {"steps", Chunking::Steps},
                     {"bytes", Chunking::Bytes},
                     {"split_ack", Chunking::SplitAck}};
    const std::vector<Request> requests = Requests();
    for (const Request& request : requests) {
        for (const auto& c : chunkings) {
            Bytes input = Layout(0);
            AppendExchange(input, request.exchange, c.chunking);
            ok &= seeds.Write(std::string(request.name) + "-" + c.name, input);
        }
        // The moved and extreme images, served the same requests.
        for (uint8_t layout = 1; layout < kImageLayoutCount; ++layout) {
            Bytes input = Layout(layout);
            AppendExchange(input, request.exchange, Chunking::Steps);
            ok &= seeds.Write(std::string(request.name) + "-layout" + std::to_string(layout),
                              input);
        }
    }

    // A write then a read of the same cell, the read's STX sent right
    // behind the write's last DLE ACK.
    {
        const pg::Exchange write = pg::WriteMemory(0xEE07, Bytes{0x88});
        const pg::Exchange read = pg::ReadMemory(0xEE07, 0xEE07, {});
        Bytes last = write.steps.back().send;
        last.push_back(read.steps.front().send.front());
        Bytes input = Layout(0);
        for (size_t i = 0; i + 1 < write.steps.size(); ++i)
            AppendChunk(input, write.steps[i].send);
        AppendChunk(input, last);
        for (size_t i = 1; i < read.steps.size(); ++i)
            AppendChunk(input, read.steps[i].send);
        ok &= seeds.Write("write_then_read_queued", input);
    }

    // An exchange the PG abandons after its function byte, a pause, then a
    // whole exchange.
    {
        const pg::Exchange read = pg::ReadMemory(0xDF8A, 0xDF8B, {});
        Bytes input = Layout(0);
        AppendChunk(input, read.steps[pg::kReadStx].send);
        AppendChunk(input, read.steps[pg::kReadFunction].send);
        AppendPause(input);
        AppendExchange(input, read, Chunking::Steps);
        ok &= seeds.Write("abandoned_then_read", input);
    }

    // The controller's write fails at each step of a write and of a read.
    const pg::Exchange failing[] = {pg::WriteMemory(0xEC00, Bytes{0x12, 0x34}),
                                    pg::ReadMemory(0xDF8A, 0xDF8B, {})};
    for (const pg::Exchange& exchange : failing) {
        const bool isWrite = &exchange == &failing[0];
        for (size_t at = 0; at < exchange.steps.size(); ++at) {
            Bytes input = Layout(0);
            for (size_t i = 0; i < exchange.steps.size(); ++i) {
                if (i == at)
                    AppendShortWrite(input, static_cast<uint8_t>(at % 2));
                AppendChunk(input, exchange.steps[i].send);
            }
            ok &= seeds.Write(std::string(isWrite ? "write" : "read") + "_short_write_" +
                                  std::to_string(at),
                              input);
        }
    }

    std::printf("%d seeds in %s\n", seeds.count(), argv[1]);
    return ok ? 0 : 1;
}
