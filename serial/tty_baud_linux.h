// Baud rates through the kernel's termios2 record. Kept in its own file
// because <asm/termbits.h> defines a struct termios of its own that clashes
// with the C library's <termios.h>.
#pragma once

#include <cstdint>

namespace tty {

// Sets input and output rate to any value (BOTHER). 0 or the errno value.
int setBaudRate2(int fd, uint32_t baudRate);
// The output rate the kernel reports. 0 or the errno value.
int readBaudRate2(int fd, uint32_t& baudRate);

} // namespace tty
