// What the PG does on the line, as a fuzz input encodes it: bytes that
// arrive in chunks of any size, pauses past the receive time-out, and
// writes of the controller that come up short. Every byte string is a
// script, so the fuzzer can reach every chunking of every byte stream.
//
// The input is a sequence of records, each opened by one byte h:
//   0x00          a pause: the PG stays silent past the time-out;
//   0x01 to 0x7F  a chunk of h bytes, which follow;
//   0x80 to 0xFE  with one more byte l: a chunk of ((h & 0x7F) << 8) | l
//                 bytes, which follow (length 0: no chunk);
//   0xFF          with one more byte w: the controller's next write, after
//                 the bytes before this record have been read, reports
//                 only w % count of its count bytes written.
// A chunk longer than what is left of the input is the rest of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct PgEvent
{
    enum class Kind
    {
        Chunk,
        Pause,
        ShortWrite
    };
    Kind kind = Kind::Chunk;
    size_t end = 0;      // Chunk: where its bytes end in PgScript::bytes
    uint8_t written = 0; // ShortWrite: w
};

struct PgScript
{
    std::vector<uint8_t> bytes; // every chunk, back to back
    std::vector<PgEvent> events;
};

PgScript ParsePgScript(std::span<const uint8_t> input);

// Builders of inputs, for seeds. A chunk too long for one record becomes
// several.
void AppendChunk(std::vector<uint8_t>& input, std::span<const uint8_t> bytes);
void AppendPause(std::vector<uint8_t>& input);
void AppendShortWrite(std::vector<uint8_t>& input, uint8_t written);
