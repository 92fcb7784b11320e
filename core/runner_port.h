// The serial port as the emulation runner drives it: the line operations of
// the link layer plus configuration, opening, closing and purging.
#pragma once

#include <string>

#include "core/line.h"

class RunnerPort : public Line
{
public:
    // Only while closed; false when a value is refused.
    virtual bool SetBuffers(uint32_t eventMask, uint32_t timeoutMs, uint32_t inQueueSize,
                            uint32_t outQueueSize) = 0;
    virtual bool SetParams(const std::string& deviceName, uint32_t baudRate, uint8_t parity,
                           uint8_t dataBits, uint8_t stopBits, int32_t flowControl,
                           bool rtsToggle) = 0;
    virtual bool Open() = 0;
    // False when the port was not open.
    virtual bool Close() = 0;
    virtual bool Purge(bool receiveSide, bool transmitSide) = 0;
    // Why the last Open failed, in plain words with the device it tried
    // ("/dev/ttyUSB0: permission denied"); empty when it did not fail.
    virtual std::string DescribeOpenFailure() = 0;
};
