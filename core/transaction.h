// One complete AS511 exchange on the controller's side: read memory, write
// memory, read system parameters, read block information. Returns 0 for a
// completed exchange or the code of the step that failed; never throws and
// allocates nothing.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "core/request_record.h"
#include "core/transaction_result.h"

class LinkLayer;

// Raised by the transaction, shown as lamps and cleared by the runner.
struct ActivityFlags
{
    std::atomic<uint8_t> readActivity{0};
    std::atomic<uint8_t> writeActivity{0};
};

// What one exchange works with. The image, link and flags outlive it; the
// two calls are made on the worker thread.
struct TransactionContext
{
    PlcImage& image;
    LinkLayer& link;
    ActivityFlags& activity;
    // Called after the image has been read or changed and before the next
    // telegram is sent; empty means no hand-off is needed.
    std::function<void()> handOff;
    // Optional; receives the record of each served request before the hand-off.
    std::function<void(const RequestRecord&)> observer;
    // Set by each exchange: the PG's function byte, -1 when none came.
    int32_t function = -1;
};

// Function bytes.
inline constexpr uint8_t kFnWriteMemory = 0x03;
inline constexpr uint8_t kFnReadMemory = 0x04;
inline constexpr uint8_t kFnSystemParameters = 0x18;
inline constexpr uint8_t kFnBlockInfo = 0x1A;

// Serves one exchange through ctx.link: to be called when the line is open
// and bytes are waiting. Returns result::kDone (0) or the code of the
// failed step (transaction_result.h); after a failure nothing more was
// sent. Leaves waitForEvent set, unless the exchange succeeded and more
// bytes are already waiting.
int32_t ServeTransaction(TransactionContext& ctx);
