// A PG's end of a serial line opened by path, as PG software opens a
// device: its own line settings (raw, with the baud rate and parity of its
// choice), then the PG's side of exchanges. For tests of the virtual port,
// whose slave the PG reaches through the link the program publishes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pg {
struct Exchange;
}

class PgDevice
{
  public:
    // Opens path and sets a raw line at baudRate with parity ('N', 'E' or 'O').
    PgDevice(const std::string& path, uint32_t baudRate = 19200, char parity = 'E');
    ~PgDevice();
    PgDevice(const PgDevice&) = delete;
    PgDevice& operator=(const PgDevice&) = delete;

    bool ok() const { return m_fd >= 0; }
    // errno of a failed open, 0 when open.
    int error() const { return m_error; }
    void close();

    bool send(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> receive(size_t n, int timeoutMs);
    // Sends each step and takes its reply; true when every reply came as expected.
    bool play(const pg::Exchange& exchange, int replyTimeoutMs);
    // Reads until nothing has come for quietMs.
    std::vector<uint8_t> drain(int quietMs);

  private:
    int m_fd = -1;
    int m_error = 0;
};
