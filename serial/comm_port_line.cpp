// Forwards the line operations to the serial port.
#include "serial/comm_port_line.h"

#include "serial/kiv_comm_port.h"

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
