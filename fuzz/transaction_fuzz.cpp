// Fuzz target of the AS511 slave transaction: an arbitrary PG byte stream,
// in arbitrary chunks with pauses and short writes (pg_script.h), served by
// ServeTransaction call after call as the poll step serves it, over a
// memory image in one of a few layouts (the input's first byte). Checks,
// besides the sanitizers, that every call returns a result code, reads
// something, writes only well-formed telegrams that fit the telegram
// buffer, hands off at most once and only after the request's record, and
// changes the image only as the record of an applied write says.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/link_layer.h"
#include "core/plc_image.h"
#include "core/transaction.h"
#include "core/transaction_result.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/image_layouts.h"
#include "fuzz/image_change.h"
#include "fuzz/image_watch.h"
#include "fuzz/script_line.h"

namespace {

bool IsResultCode(int32_t code)
{
    using namespace result;
    for (int32_t known :
         {kDone, kNoStx, kStxNotFirst, kSendAckToStx, kNoFunction, kSendStx, kAckToStxNone,
          kAckToStxWrong, kSendSynDleEtx, kAckToSynNone, kAckToSynWrong, kNoParameters,
          kReadParametersShort, kWriteParametersShort, kBlockInfoParametersShort, kBlockTypeNotDb,
          kUnknownFunction, kWriteSendAckStx, kSendAckStx, kAckToAckStxNone, kAckToAckStxWrong,
          kSendData, kAckToDataNone, kAckToDataWrong, kSendStxAfterData, kAckBeforeCloseNone,
          kAckBeforeCloseWrong, kSendDc2DleEtx, kLastAckNone, kLastAckWrong})
        if (code == known)
            return true;
    return false;
}

// The codes an exchange can end with once its write is in the image.
bool IsCodeAfterWrite(int32_t code)
{
    using namespace result;
    for (int32_t known : {kDone, kWriteSendAckStx, kAckBeforeCloseNone, kAckBeforeCloseWrong,
                          kSendDc2DleEtx, kLastAckNone, kLastAckWrong})
        if (code == known)
            return true;
    return false;
}

// One of the fixed control telegrams, or a data telegram: stuffed bytes,
// every DLE doubled, closed by DLE ETX.
bool IsWellFormed(const std::vector<uint8_t>& t)
{
    using namespace as511;
    static const std::vector<uint8_t> kControl[] = {
        {DLE, ACK}, {STX}, {SYN, DLE, ETX}, {DLE, ACK, STX}, {DC2, DLE, ETX}};
    for (const std::vector<uint8_t>& control : kControl)
        if (t == control)
            return true;
    const size_t n = t.size();
    if (n < 2 || t[n - 2] != DLE || t[n - 1] != ETX)
        return false;
    for (size_t i = 0; i < n - 2; ++i) {
        if (t[i] != DLE)
            continue;
        if (i + 1 >= n - 2 || t[i + 1] != DLE)
            return false;
        ++i;
    }
    return true;
}

std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes.size() && i < 64; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
        text += ' ';
    }
    if (bytes.size() > 64)
        text += "...";
    return text;
}

// The image of one layout, built on first use and put back after every
// input, with what it holds as built.
struct LayoutImage
{
    std::unique_ptr<PlcImage> image;
    ImageSnapshot pristine;
    std::vector<uint8_t> pristineRaw;
};

LayoutImage& ImageOfLayout(uint8_t selector)
{
    static std::array<LayoutImage, kImageLayoutCount> layouts;
    LayoutImage& layout = layouts[selector % kImageLayoutCount];
    if (!layout.image) {
        layout.image = std::make_unique<PlcImage>();
        ApplyImageLayout(*layout.image, selector);
        layout.pristine = CaptureImage(*layout.image);
        layout.pristineRaw = RawImage(*layout.image);
    }
    return layout;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    LayoutImage& layout = ImageOfLayout(data[0]);
    PlcImage& image = *layout.image;
    ImageWatch watch(image, layout.pristine, layout.pristineRaw);
    ScriptLine line(std::span<const uint8_t>(data + 1, size - 1));
    LinkLayer link(line, [&line] { return line.TakePause(); });
    ActivityFlags activity;
    std::vector<RequestRecord> records;
    int handOffs = 0;
    // The hand-off follows the request's record, once per exchange.
    auto handOff = [&] {
        ++handOffs;
        FUZZ_CHECK(handOffs == 1 && records.size() == 1,
                   "hand-off %d of an exchange after %zu records", handOffs, records.size());
    };
    TransactionContext ctx{image, link, activity, handOff,
                           [&records](const RequestRecord& r) { records.push_back(r); }};

    while (!line.Finished()) {
        if (line.BytesWaiting() == 0) {
            // The poll step's idle wait: the next chunk arrives, or a pause
            // passes, or the script ends and the line closes.
            uint32_t events = 0;
            PortStatus status;
            line.WaitEvents(events, 20, status);
            line.TakePause();
            continue;
        }

        const size_t readBefore = line.BytesRead();
        records.clear();
        handOffs = 0;
        line.ClearWrites();

        const int32_t code = ServeTransaction(ctx);

        FUZZ_CHECK(IsResultCode(code), "ServeTransaction returned %d", code);
        FUZZ_CHECK(line.BytesRead() > readBefore,
                   "an exchange begun with bytes waiting read none (result %d)", code);
        for (const std::vector<uint8_t>& telegram : line.Writes()) {
            FUZZ_CHECK(!telegram.empty() && telegram.size() <= kTelegramBufferSize,
                       "telegram of %zu bytes", telegram.size());
            FUZZ_CHECK(IsWellFormed(telegram), "telegram %s", Hex(telegram).c_str());
        }
        FUZZ_CHECK(records.size() <= 1, "%zu records of one exchange", records.size());

        const RequestRecord* write =
            !records.empty() && IsWriteRecord(records[0]) ? &records[0] : nullptr;
        if (write)
            FUZZ_CHECK(IsCodeAfterWrite(code), "write \"%s\" applied, then result %d",
                       write->description, code);
        const std::string change = watch.CheckExchange(write);
        FUZZ_CHECK(change.empty(), "result %d, record \"%s\": %s", code,
                   records.empty() ? "" : records[0].description, change.c_str());

        if (code != result::kDone)
            line.Purge();
    }
    FUZZ_CHECK(watch.Restore(), "the image differs from its layout after the input");
    return 0;
}
