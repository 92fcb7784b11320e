// An exchange allocates nothing: every buffer is fixed. Counts the global
// allocations made while the four requests are served over a line whose
// own buffers are already grown.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/transaction.h"
#include "support/memory_line.h"
#include "support/pg_requests.h"

namespace {
std::atomic<long> g_allocations{0};
}

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
// This pair is the replaced allocator, so free here does match malloc
// above; GCC cannot tell once it has inlined the two.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept
{
    std::free(p);
}
#pragma GCC diagnostic pop
void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

TEST(TransactionAllocationTest, ServingAllocatesNothing)
{
    using Bytes = std::vector<uint8_t>;
    const pg::Exchange requests[] = {
        pg::ReadMemory(0xE08A, 0xE189, Bytes(256, 0x00)),
        pg::WriteMemory(0xEC00, Bytes(256, 0x10)),
        pg::SystemParameters(Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0xEF, 0x00, 0xEF, 0x80,
                                   0xEE, 0x00, 0xEC, 0x00, 0xED, 0x00, 0xEA, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}),
        pg::BlockInfo(
            0x01, 0x03,
            Bytes{0x00, 0xDD, 0x8A, 0x70, 0x70, 0x41, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x85}),
    };
    for (const pg::Exchange& request : requests) {
        MemoryLine line;
        line.AddExchange(request);
        LinkLayer link(
            line, [] { return false; }, 40);
        PlcImage image;
        ActivityFlags activity;
        int handOffs = 0;
        int records = 0;
        TransactionContext ctx{image, link, activity, [&handOffs] { ++handOffs; },
                               [&records](const RequestRecord&) { ++records; }};
        ASSERT_EQ(ServeTransaction(ctx), 0); // grows the line's record once
        line.Rewind();

        const long before = g_allocations.load();
        const int32_t result = ServeTransaction(ctx);
        const long during = g_allocations.load() - before;

        EXPECT_EQ(result, 0);
        EXPECT_EQ(line.Sent(), request.SlaveBytes());
        EXPECT_EQ(during, 0);
        EXPECT_EQ(handOffs, 2);
        EXPECT_EQ(records, 2);
    }
}

} // namespace
