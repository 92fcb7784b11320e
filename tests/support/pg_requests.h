// The PG's side of the four AS511 requests: what the PG sends, step by
// step, and the reply it awaits from the controller before its next step.
// Parameters are DLE-stuffed and framed as on the line. Usable over the
// in-memory line and over a real serial line or pty alike: send a step's
// bytes, read as many bytes as its reply holds, compare, go on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pg {

// One transmission of the PG and the controller's answer to it (empty
// when the PG goes on without one).
struct Step
{
    std::vector<uint8_t> send;
    std::vector<uint8_t> reply;
};

struct Exchange
{
    std::vector<Step> steps;

    // Everything the PG sends, steps back to back.
    std::vector<uint8_t> PgBytes() const;
    // Every reply of the steps before step `count` (all by default),
    // back to back: what the controller has sent when the PG reaches it.
    std::vector<uint8_t> SlaveBytes(size_t count = SIZE_MAX) const;
};

// Steps of a read memory, system parameters or block information request.
// The PG's DLE ACK to SYN DLE ETX and its parameter telegram go back to
// back in one transmission, as PGs commonly send them.
enum ReadStep : size_t
{
    kReadStx,              // 02 -> 10 06
    kReadFunction,         // function byte -> 02
    kReadAckToStx,         // 10 06 -> 16 10 03
    kReadAckAndParameters, // 10 06, parameters, 10 04 -> 10 06 02
    kReadAckToAckStx,      // 10 06 -> data telegram
    kReadAckToData,        // 10 06 -> 02
    kReadAckToStx2,        // 10 06 -> 12 10 03
    kReadLastAck,          // 10 06 -> nothing
    kReadStepCount
};

// Steps of a write memory request.
enum WriteStep : size_t
{
    kWriteStx,              // 02 -> 10 06
    kWriteFunction,         // 03 -> 02
    kWriteAckToStx,         // 10 06 -> 16 10 03
    kWriteAckAndParameters, // 10 06, parameters, 10 04 -> 10 06 02
    kWriteAckToAckStx,      // 10 06 -> 12 10 03
    kWriteLastAck,          // 10 06 -> nothing
    kWriteStepCount
};

// bytes with every 0x10 doubled.
std::vector<uint8_t> Stuff(std::span<const uint8_t> bytes);
// Stuffed parameters followed by DLE EOT.
std::vector<uint8_t> ParameterTelegram(std::span<const uint8_t> params);
// Stuffed payload followed by DLE ETX, as the controller sends its data.
std::vector<uint8_t> DataTelegram(std::span<const uint8_t> payload);

// A request shaped like a read: any function byte, raw (unstuffed)
// parameters, and the unstuffed payload the controller should answer with.
Exchange ReadRequest(uint8_t function, std::span<const uint8_t> params,
                     std::span<const uint8_t> payload);
// A request shaped like a write: function byte 03 and raw parameters.
Exchange WriteRequest(std::span<const uint8_t> params);

// Read memory from start to end (inclusive); data is what the controller
// should answer after its five zero bytes.
Exchange ReadMemory(uint16_t start, uint16_t end, std::span<const uint8_t> data);
// Write memory of data from start on.
Exchange WriteMemory(uint16_t start, std::span<const uint8_t> data);
// Read system parameters; payload is the expected 45 bytes.
Exchange SystemParameters(std::span<const uint8_t> payload);
// Read block information of block db (type 1 = data block); payload is
// the expected 13 bytes.
Exchange BlockInfo(uint8_t blockType, uint8_t db, std::span<const uint8_t> payload);

} // namespace pg
