// One AS511 exchange on the controller's side, step by step: the opening
// handshake, the parameter telegram, the request served from the image,
// and the closing handshake. The first failing step ends the exchange with
// its code and nothing more is sent.
#include "core/transaction.h"

#include <algorithm>
#include <cstring>

#include "core/link_layer.h"
#include "core/memory_write.h"
#include "core/plc_image.h"
#include "core/reply_payloads.h"
#include "core/telegram_buffer.h"
#include "core/transaction_result.h"

namespace {

constexpr uint8_t kStx[] = {as511::STX};
constexpr uint8_t kDleAck[] = {as511::DLE, as511::ACK};
constexpr uint8_t kDleEot[] = {as511::DLE, as511::EOT};
constexpr uint8_t kSynDleEtx[] = {as511::SYN, as511::DLE, as511::ETX};
constexpr uint8_t kDleAckStx[] = {as511::DLE, as511::ACK, as511::STX};
constexpr uint8_t kDc2DleEtx[] = {as511::DC2, as511::DLE, as511::ETX};

enum class Ack
{
    Ok,
    None,
    Wrong
};

// Everything one exchange works in; it starts cleared every time and lives
// on the worker's stack, so an exchange allocates nothing.
struct Exchange
{
    explicit Exchange(TransactionContext& context) : ctx(context) {}

    TransactionContext& ctx;
    uint8_t received[kTelegramBufferSize]{};
    uint8_t params[kTelegramBufferSize]{};
    // Cleared so that the byte just past the write data reads as 0.
    uint8_t writeData[kTelegramBufferSize]{};
    int paramCount = 0;
    TelegramBuffer reply;
    RequestRecord record;

    LinkLayer& link() { return ctx.link; }

    uint16_t Receive(const uint8_t* end, int endLen, uint32_t readSize)
    {
        return link().ReceiveTelegram(end, endLen, received, sizeof received,
                                      link().receiveTimeoutMs(), readSize);
    }

    template <size_t N> bool Send(const uint8_t (&bytes)[N])
    {
        return link().SendTelegram(bytes, N);
    }

    Ack ReceiveAck()
    {
        if (Receive(kDleAck, 2, 2) == 0)
            return Ack::None;
        if (received[0] != as511::DLE || received[1] != as511::ACK)
            return Ack::Wrong;
        return Ack::Ok;
    }

    // The record, when someone watches; then the hand-off to the caller.
    void HandOff()
    {
        if (ctx.observer)
            ctx.observer(record);
        if (ctx.handOff)
            ctx.handOff();
    }

    RequestRecord* Recording() { return ctx.observer ? &record : nullptr; }

    int32_t Run();
    int32_t ServeWrite();
    int32_t ServeRead(uint8_t function);
};

int32_t AckCode(Ack ack, int32_t none, int32_t wrong)
{
    switch (ack) {
    case Ack::None:
        return none;
    case Ack::Wrong:
        return wrong;
    default:
        return result::kDone;
    }
}

int32_t Exchange::Run()
{
    // Opening: STX, function byte, and the PG's parameter telegram.
    const uint16_t opening = Receive(kStx, 1, 1);
    if (opening == 0)
        return result::kNoStx;
    if (received[0] != as511::STX)
        return result::kStxNotFirst;

    link().setWaitForEvent(true);
    if (!Send(kDleAck))
        return result::kSendAckToStx;

    // The function byte continues the telegram the PG's STX opened, so it
    // gets the character delay, not the wait for the first byte of an
    // answer: a PG that gave up right after our DLE ACK is heard again at
    // its next STX instead of having that STX taken as its function byte.
    const uint32_t functionWait = std::min(link().characterDelayMs(), link().receiveTimeoutMs());
    if (link().ReceiveTelegram(nullptr, 0, received, sizeof received, functionWait, 1) == 0)
        return result::kNoFunction;
    const uint8_t function = received[0];
    ctx.function = function;

    if (!Send(kStx))
        return result::kSendStx;
    if (int32_t code = AckCode(ReceiveAck(), result::kAckToStxNone, result::kAckToStxWrong))
        return code;
    if (!Send(kSynDleEtx))
        return result::kSendSynDleEtx;
    if (int32_t code = AckCode(ReceiveAck(), result::kAckToSynNone, result::kAckToSynWrong))
        return code;

    const uint16_t telegram = Receive(kDleEot, 2, 0);
    if (telegram < 2)
        return result::kNoParameters;
    paramCount = UnstuffDle(received, telegram - 2, params);

    switch (function) {
    case kFnWriteMemory:
        return ServeWrite();
    case kFnReadMemory:
    case kFnSystemParameters:
    case kFnBlockInfo:
        return ServeRead(function);
    default:
        return result::kUnknownFunction;
    }
}

int32_t Exchange::ServeWrite()
{
    if (paramCount < 3)
        return result::kWriteParametersShort;
    ctx.activity.writeActivity.store(1, std::memory_order_relaxed);
    const int32_t start = ReadWordBE(params);
    const int count = paramCount - 2;
    std::memcpy(writeData, params + 2, static_cast<size_t>(count));

    if (ApplyMemoryWrite(ctx.image, start, writeData, count, Recording()))
        HandOff();

    if (!Send(kDleAckStx))
        return result::kWriteSendAckStx;
    return result::kDone;
}

int32_t Exchange::ServeRead(uint8_t function)
{
    int32_t start = 0;
    int32_t end = 0;
    int db = 0;
    if (function == kFnReadMemory) {
        if (paramCount < 4)
            return result::kReadParametersShort;
        ctx.activity.readActivity.store(1, std::memory_order_relaxed);
        start = ReadWordBE(params);
        end = ReadWordBE(params + 2);
    } else if (function == kFnSystemParameters) {
        ctx.activity.readActivity.store(1, std::memory_order_relaxed);
    } else {
        if (paramCount < 2)
            return result::kBlockInfoParametersShort;
        ctx.activity.readActivity.store(1, std::memory_order_relaxed);
        if (params[0] != 1)
            return result::kBlockTypeNotDb;
        db = params[1];
    }

    if (!Send(kDleAckStx))
        return result::kSendAckStx;
    if (int32_t code = AckCode(ReceiveAck(), result::kAckToAckStxNone, result::kAckToAckStxWrong))
        return code;

    bool handOff = true;
    if (function == kFnReadMemory)
        handOff = BuildReadMemoryPayload(ctx.image, start, end, reply, Recording());
    else if (function == kFnSystemParameters)
        BuildSystemParametersPayload(ctx.image, reply, Recording());
    else
        BuildBlockInfoPayload(ctx.image, db, reply, Recording());
    reply.Close();
    if (handOff)
        HandOff();

    if (!link().SendTelegram(reply.data(), reply.size()))
        return result::kSendData;
    if (int32_t code = AckCode(ReceiveAck(), result::kAckToDataNone, result::kAckToDataWrong))
        return code;
    if (!Send(kStx))
        return result::kSendStxAfterData;
    return result::kDone;
}

int32_t Closing(Exchange& exchange)
{
    if (int32_t code = AckCode(exchange.ReceiveAck(), result::kAckBeforeCloseNone,
                               result::kAckBeforeCloseWrong))
        return code;
    if (!exchange.Send(kDc2DleEtx))
        return result::kSendDc2DleEtx;
    return AckCode(exchange.ReceiveAck(), result::kLastAckNone, result::kLastAckWrong);
}

} // namespace

int32_t ServeTransaction(TransactionContext& ctx)
{
    ctx.function = -1;
    Exchange exchange(ctx);
    int32_t code = exchange.Run();
    if (code == result::kDone)
        code = Closing(exchange);

    // Bytes already queued after a completed exchange are the PG's next
    // request: let the next receive take them without waiting.
    ctx.link.setWaitForEvent(true);
    if (code == result::kDone && ctx.link.line().BytesWaiting() > 0)
        ctx.link.setWaitForEvent(false);
    return code;
}
