// Parsing and building the fuzz input's PG script.
#include "fuzz/pg_script.h"

#include <algorithm>

namespace {

constexpr uint8_t kPause = 0x00;
constexpr uint8_t kLongChunk = 0x80;
constexpr uint8_t kShortWrite = 0xFF;
constexpr size_t kLongestChunk = ((kShortWrite - 1 - kLongChunk) << 8) | 0xFF;

} // namespace

PgScript ParsePgScript(std::span<const uint8_t> input)
{
    PgScript script;
    size_t at = 0;
    while (at < input.size()) {
        const uint8_t head = input[at++];
        if (head == kPause) {
            script.events.push_back({PgEvent::Kind::Pause});
            continue;
        }
        if (head == kShortWrite) {
            const uint8_t written = at < input.size() ? input[at++] : 0;
            script.events.push_back({PgEvent::Kind::ShortWrite, 0, written});
            continue;
        }
        size_t length = head;
        if (head >= kLongChunk) {
            const size_t low = at < input.size() ? input[at++] : 0;
            length = (static_cast<size_t>(head & 0x7F) << 8) | low;
        }
        length = std::min(length, input.size() - at);
        if (length == 0)
            continue;
        script.bytes.insert(script.bytes.end(), input.begin() + static_cast<std::ptrdiff_t>(at),
                            input.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
        script.events.push_back({PgEvent::Kind::Chunk, script.bytes.size()});
    }
    return script;
}

void AppendChunk(std::vector<uint8_t>& input, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        const size_t length = std::min(bytes.size(), kLongestChunk);
        if (length < kLongChunk) {
            input.push_back(static_cast<uint8_t>(length));
        } else {
            input.push_back(static_cast<uint8_t>(kLongChunk | (length >> 8)));
            input.push_back(static_cast<uint8_t>(length & 0xFF));
        }
        input.insert(input.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        bytes = bytes.subspan(length);
    }
}

void AppendPause(std::vector<uint8_t>& input)
{
    input.push_back(kPause);
}

void AppendShortWrite(std::vector<uint8_t>& input, uint8_t written)
{
    input.push_back(kShortWrite);
    input.push_back(written);
}
