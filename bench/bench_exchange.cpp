// CPU time of one complete AS511 exchange served over the in-memory PG
// line, beside the time the same bytes take on the wire at 9600 and
// 115200 baud (11 bits per byte: start, 8 data, parity, stop).
#include <benchmark/benchmark.h>

#include <vector>

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/transaction.h"
#include "support/memory_line.h"
#include "support/pg_requests.h"
#include "cpu_clock.h"

namespace {

using Bytes = std::vector<uint8_t>;

void ServeRepeatedly(benchmark::State& state, PlcImage& image, const pg::Exchange& exchange)
{
    MemoryLine line;
    line.AddExchange(exchange);
    LinkLayer link(line, [] { return false; });
    ActivityFlags activity;
    int handOffs = 0;
    int records = 0;
    TransactionContext ctx{image, link, activity, [&handOffs] { ++handOffs; },
                           [&records](const RequestRecord&) { ++records; }};

    if (ServeTransaction(ctx) != 0 || line.Sent() != exchange.SlaveBytes()) {
        state.SkipWithError("the exchange did not complete as scripted");
        return;
    }

    const double cpuStart = ThreadCpuSeconds();
    for (auto _ : state) {
        line.Rewind();
        int32_t result = ServeTransaction(ctx);
        benchmark::DoNotOptimize(result);
    }
    const double cpuPerExchange =
        (ThreadCpuSeconds() - cpuStart) / static_cast<double>(state.iterations());

    const double wireBytes = static_cast<double>(line.ScriptedBytes() + line.Sent().size());
    const double wire9600 = wireBytes * 11.0 / 9600.0;
    const double wire115200 = wireBytes * 11.0 / 115200.0;
    state.counters["wire_bytes"] = wireBytes;
    state.counters["wire_ms_9600"] = wire9600 * 1e3;
    state.counters["wire_ms_115200"] = wire115200 * 1e3;
    state.counters["ratio_9600"] = cpuPerExchange > 0 ? wire9600 / cpuPerExchange : 0;
    state.counters["ratio_115200"] = cpuPerExchange > 0 ? wire115200 / cpuPerExchange : 0;
}

void BM_ReadDb128Words(benchmark::State& state)
{
    PlcImage image;
    Bytes data;
    for (int i = 0; i < 128; ++i) {
        image.WriteDbWord(3, i, 0x0100 + i);
        data.push_back(0x01);
        data.push_back(static_cast<uint8_t>(i));
    }
    const int32_t start = image.DbEntry(3).start;
    ServeRepeatedly(
        state, image,
        pg::ReadMemory(static_cast<uint16_t>(start), static_cast<uint16_t>(start + 255), data));
}

void BM_ReadMerkers256Bytes(benchmark::State& state)
{
    PlcImage image;
    Bytes data;
    for (int i = 0; i < 256; ++i) {
        image.WriteCell(PlcArea::MB, i, i);
        data.push_back(static_cast<uint8_t>(i));
    }
    ServeRepeatedly(state, image, pg::ReadMemory(0xEE00, 0xEEFF, data));
}

void BM_WriteDb128Words(benchmark::State& state)
{
    PlcImage image;
    Bytes data;
    for (int i = 0; i < 256; ++i)
        data.push_back(static_cast<uint8_t>(0xA0 + i % 16));
    ServeRepeatedly(state, image, pg::WriteMemory(0xE08A, data));
}

} // namespace

BENCHMARK(BM_ReadDb128Words);
BENCHMARK(BM_ReadMerkers256Bytes);
BENCHMARK(BM_WriteDb128Words);

BENCHMARK_MAIN();
