// A pseudo-terminal pair for tests of the serial line: the code under test
// opens slavePath() as its device, the test plays the PG on the master.
// Both ends are raw, so control bytes such as 0x03 and 0x04 pass as data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pg {
struct Exchange;
}

class PtyPair
{
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    // False when no pair could be made; the other members are then unusable.
    bool ok() const { return m_master >= 0 && m_slave >= 0; }
    const std::string& slavePath() const { return m_slavePath; }
    int master() const { return m_master; }
    // A descriptor of the slave held open by the pair, for inspecting the
    // line settings the code under test has made.
    int slave() const { return m_slave; }

    // Writes every byte to the master (waiting while its queue is full).
    bool send(const std::vector<uint8_t>& bytes);
    // Reads from the master until n bytes have come or timeoutMs has passed.
    std::vector<uint8_t> receive(size_t n, int timeoutMs);
    // Plays the PG's side of the exchange on the master: sends each step and
    // takes its reply (waiting at most replyTimeoutMs for it). True when
    // every reply came exactly as expected; stops at the first that did not.
    bool play(const pg::Exchange& exchange, int replyTimeoutMs);
    // Reads from the master until nothing has come for quietMs.
    std::vector<uint8_t> drain(int quietMs);
    // Ends the PG's side: the slave sees a hang-up.
    void closeMaster();
    void closeSlave();

  private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};
