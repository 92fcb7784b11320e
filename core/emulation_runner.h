// The emulation runner: the worker's poll step, which serves at most one
// AS511 transaction per call and turns its result into the link status and
// the two activity lamps, and the Run and Stop commands, which open and
// close the port. The worker thread itself belongs to the caller.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/link_layer.h"
#include "core/transaction.h"

class PlcImage;
class RunnerHost;
class RunnerPort;

// Result of a poll step with the port closed.
inline constexpr int32_t kResultPortClosed = -2;
// Result of a transaction that saw bytes but no STX.
inline constexpr int32_t kResultNoStx = 11;

// Link status text for a poll step result: "ON LINE", "OFF LINE", "WAIT" or "Err: n".
std::string LinkStatusText(int32_t result);

class EmulationRunner
{
public:
    using Terminated = std::function<bool()>;
    // Runs the call on the user-interface thread and returns once it has run.
    using Synchronize = std::function<void(const std::function<void()>&)>;

    EmulationRunner(PlcImage& image, RunnerPort& port, RunnerHost& host, Terminated terminated,
                    Synchronize synchronize,
                    uint32_t receiveTimeoutMs = kDefaultReceiveTimeoutMs);

    EmulationRunner(const EmulationRunner&) = delete;
    EmulationRunner& operator=(const EmulationRunner&) = delete;

    // Worker thread: one poll step.
    void ThreadControlExecute();
    // User-interface thread: the Run and Stop commands.
    void EmulationRunExecute();
    void EmulationStopExecute();

    // Receives the record of every served request on the worker thread.
    void SetRequestObserver(std::function<void(const RequestRecord&)> observer);

    const ActivityFlags& activity() const { return m_activity; }
    LinkLayer& link() { return m_link; }
    // The link status text last computed by the poll step; empty before the first.
    std::string statusText() const;

private:
    void ShowLinkStatus(int32_t code);

    static constexpr int32_t kNoStatus = INT32_MIN;

    PlcImage& m_image;
    RunnerPort& m_port;
    RunnerHost& m_host;
    Synchronize m_synchronize;
    LinkLayer m_link;
    ActivityFlags m_activity;
    TransactionContext m_transaction;
    // Worker only: the flags as the lamps were last painted.
    uint8_t m_shownReadActivity = 0;
    uint8_t m_shownWriteActivity = 0;
    // The poll step's last result and the code behind the text the status
    // panel shows; both threads write the latter.
    std::atomic<int32_t> m_statusCode{kNoStatus};
    std::atomic<int32_t> m_panelCode{kNoStatus};
};
