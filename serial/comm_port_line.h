// The serial port behind the interfaces of the core: the link layer's five
// line operations and the emulation runner's configuration, opening,
// closing and purging, all forwarded to a TKivCommPort (which itself has no
// base class and no virtual operations). Tests put an in-memory line in its
// place.
#pragma once

#include "core/runner_port.h"

class TKivCommPort;

class CommPortLine : public RunnerPort
{
  public:
    explicit CommPortLine(TKivCommPort& port) : m_port(port) {}

    bool IsOpen() override;
    uint32_t BytesWaiting() override;
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status) override;
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count) override;
    uint32_t Write(const uint8_t* data, uint32_t count) override;
    bool HungUp() override;

    bool SetBuffers(uint32_t eventMask, uint32_t timeoutMs, uint32_t inQueueSize,
                    uint32_t outQueueSize) override;
    bool SetParams(const std::string& deviceName, uint32_t baudRate, uint8_t parity,
                   uint8_t dataBits, uint8_t stopBits, int32_t flowControl,
                   bool rtsToggle) override;
    bool Open() override;
    bool Close() override;
    bool Purge(bool receiveSide, bool transmitSide) override;
    std::string DescribeOpenFailure() override;

  private:
    TKivCommPort& m_port;
};
