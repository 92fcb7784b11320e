// Forwards the line and runner operations to the serial port.
#include "serial/comm_port_line.h"

#include "serial/kiv_comm_port.h"
#include "serial/open_failure.h"

bool CommPortLine::IsOpen()
{
    return m_port.IsOpen();
}

uint32_t CommPortLine::BytesWaiting()
{
    return m_port.BytesWaiting();
}

bool CommPortLine::WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status)
{
    return m_port.WaitEvents(events, timeoutMs, status);
}

uint32_t CommPortLine::Read(uint8_t* dest, uint32_t destCapacity, uint32_t count)
{
    return m_port.Read(dest, destCapacity, count);
}

uint32_t CommPortLine::Write(const uint8_t* data, uint32_t count)
{
    return m_port.Write(data, count);
}

bool CommPortLine::SetBuffers(uint32_t eventMask, uint32_t timeoutMs, uint32_t inQueueSize,
                              uint32_t outQueueSize)
{
    return m_port.SetBuffers(eventMask, timeoutMs, inQueueSize, outQueueSize);
}

bool CommPortLine::SetParams(const std::string& deviceName, uint32_t baudRate, uint8_t parity,
                             uint8_t dataBits, uint8_t stopBits, int32_t flowControl,
                             bool rtsToggle)
{
    return m_port.SetParams(deviceName, baudRate, parity, dataBits, stopBits, flowControl,
                            rtsToggle);
}

bool CommPortLine::Open()
{
    return m_port.Open();
}

bool CommPortLine::Close()
{
    return m_port.Close();
}

bool CommPortLine::Purge(bool receiveSide, bool transmitSide)
{
    return m_port.Purge(receiveSide, transmitSide);
}

bool CommPortLine::HungUp()
{
    return m_port.HungUp();
}

std::string CommPortLine::DescribeOpenFailure()
{
    if (m_port.IsOpen())
        return {};
    return OpenFailureText(m_port.deviceName(), m_port.devicePath(), m_port.lastError(),
                           m_port.lastErrorText());
}
