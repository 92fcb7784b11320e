// The serial port as the link layer's line: the five line operations of
// TKivCommPort behind the Line interface, so that the link layer can run
// on the port or on an in-memory line in tests.
#pragma once

#include "core/line.h"

class TKivCommPort;

class CommPortLine : public Line
{
public:
    explicit CommPortLine(TKivCommPort& port) : m_port(port) {}

    bool IsOpen() override;
    uint32_t BytesWaiting() override;
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override;
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override;
    uint32_t Write(const uint8_t* data, uint32_t count) override;

private:
    TKivCommPort& m_port;
};
