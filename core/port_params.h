// The line parameters the Run command hands to the serial port.
#pragma once

#include <cstdint>
#include <string>

struct PortParams
{
    std::string deviceName;
    uint32_t baudRate = 9600;
    uint8_t parity = 2;    // 0 none, 1 odd, 2 even
    uint8_t dataBits = 8;
    uint8_t stopBits = 0;  // 0 one, 2 two stop bits

    bool operator==(const PortParams&) const = default;
};
