// The serial line as the AS511 link layer sees it: five operations, each
// answering at once with 0 or false while the line is not open, and the
// news that an open line has hung up. The serial
// port offers them over a tty; tests offer them over an in-memory PG.
#pragma once

#include <cstdint>

// What WaitEvents reports about the line.
struct PortStatus
{
    uint32_t holdFlags = 0;      // waiting for CTS, DSR, ... (platform flag word)
    uint32_t bytesInQueue = 0;   // bytes received and not yet read
    uint32_t bytesOutQueue = 0;  // bytes still to be sent
};

// Event bit of WaitEvents: a character was received.
inline constexpr uint32_t kEventRxChar = 0x0001;

class Line
{
public:
    virtual ~Line() = default;

    virtual bool IsOpen() = 0;
    // Bytes that have arrived and not yet been read.
    virtual uint32_t BytesWaiting() = 0;
    // Waits at most timeoutMs for a received character. True when one
    // arrived (events has kEventRxChar set); false at once when the line is
    // closed, also while waiting.
    virtual bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) = 0;
    // Delivers at most count bytes (0 = whatever has arrived) and at most
    // destCapacity; never waits for bytes that have not arrived.
    virtual uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) = 0;
    // Number of bytes written.
    virtual uint32_t Write(const uint8_t* data, uint32_t count) = 0;
    // True once the line has hung up while open: the other end went away
    // (a pty's master closed, a USB adapter pulled). Nothing more will come
    // and WaitEvents answers false at once, so a caller must stop waiting
    // and close the line.
    virtual bool HungUp() = 0;
};
