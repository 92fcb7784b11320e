// The emulation runner: the worker's poll step, which serves at most one
// AS511 transaction per call and turns its result into the link status and
// the two activity lamps, and the Run and Stop commands, which open and
// close the port. The worker thread itself belongs to the caller.
//
// A line that hangs up while Run is in force (the PG's end of a pty went
// away, a USB adapter was pulled) is closed and shown as "NO LINE"; the
// poll step then tries to open the device again once a second and serves
// again as soon as it opens, until Stop.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "core/exchange_record.h"
#include "core/link_layer.h"
#include "core/port_params.h"
#include "core/session_line.h"
#include "core/transaction.h"

class PlcImage;
class RunnerHost;
class RunnerPort;

// Link status text for a poll step result: "ON LINE", "OFF LINE", "NO LINE",
// "WAIT" or "Err: n".
std::string LinkStatusText(int32_t result);

class EmulationRunner
{
public:
    using Terminated = std::function<bool()>;
    // Runs the call on the user-interface thread and returns once it has run.
    using Synchronize = std::function<void(const std::function<void()>&)>;
    // Reloads the stored link settings as line parameters; called by Run on
    // the user-interface thread. May throw, which abandons the Run.
    using ParamsSource = std::function<PortParams()>;

    static constexpr uint32_t kReopenIntervalMs = 1000;

    EmulationRunner(PlcImage& image, RunnerPort& port, RunnerHost& host, ParamsSource params,
                    Terminated terminated, Synchronize synchronize,
                    uint32_t receiveTimeoutMs = kDefaultReceiveTimeoutMs);

    EmulationRunner(const EmulationRunner&) = delete;
    EmulationRunner& operator=(const EmulationRunner&) = delete;

    // Worker thread: one poll step.
    void ThreadControlExecute();
    // User-interface thread: the Run and Stop commands.
    void EmulationRunExecute();
    void EmulationStopExecute();

    // Receives the record of every served request on the worker thread,
    // before the exchange's hand-off.
    void SetRequestObserver(std::function<void(const RequestRecord&)> observer);
    // Receives, on the worker thread, what became of every transaction the
    // poll step served, once it has ended. Must not wait for anything.
    void SetExchangeObserver(std::function<void(const ExchangeRecord&)> observer);

    const ActivityFlags& activity() const { return m_activity; }
    LinkLayer& link() { return m_link; }
    // The link status text last computed by the poll step; empty before the first.
    std::string statusText() const;
    // Run is in force: the port is open, or it hung up and is being reopened.
    // Stop ends it.
    bool InForce() const { return m_inForce.load(std::memory_order_relaxed); }
    // The line hung up and the port waits to be reopened ("NO LINE").
    bool LineLost() const { return m_lineLost.load(std::memory_order_relaxed); }
    // Ends a poll step's wait on a closed port at once (Run does so itself);
    // call before stopping the worker so that it notices soon.
    void Wake();

private:
    void ShowLinkStatus(int32_t code);
    int32_t ServeOpenPort();
    // Open and close the port and count the opening; under m_runMutex.
    bool OpenPort();
    void ClosePort();
    void LoseLine();
    bool TryReopen();
    // Waits at most ms, or until Wake; for a poll step with nothing to serve.
    void Rest(uint32_t ms);

    static constexpr int32_t kNoStatus = INT32_MIN;

    PlcImage& m_image;
    RunnerPort& m_port;
    RunnerHost& m_host;
    ParamsSource m_params;
    Synchronize m_synchronize;
    // The port as the transaction under way sees it; the link reads it.
    SessionLine m_sessionLine;
    LinkLayer m_link;
    ActivityFlags m_activity;
    TransactionContext m_transaction;
    std::function<void(const RequestRecord&)> m_requestObserver;
    std::function<void(const ExchangeRecord&)> m_exchangeObserver;
    // Worker only: the record of the transaction under way.
    ExchangeRecord m_exchange;
    // Worker only: the flags as the lamps were last painted.
    uint8_t m_shownReadActivity = 0;
    uint8_t m_shownWriteActivity = 0;
    // Worker only: when the last reopen was tried.
    uint32_t m_lastReopenTick = 0;
    // The poll step's last result and the code behind the text the status
    // panel shows; both threads write the latter.
    std::atomic<int32_t> m_statusCode{kNoStatus};
    std::atomic<int32_t> m_panelCode{kNoStatus};
    std::atomic<bool> m_inForce{false};
    std::atomic<bool> m_lineLost{false};
    // Serialises Run, Stop, the worker's reopening (so that a reopen can
    // never follow a Stop) and the transaction's reads (so that none takes
    // bytes of a later opening).
    std::mutex m_runMutex;
    // Counts every opening and closing of the port, changed under
    // m_runMutex. A transaction ends once the port it began on has been
    // closed, and a failed one purges only that opening, never one that
    // Stop and Run made meanwhile (whose first bytes may already be a PG's
    // new request).
    std::atomic<uint64_t> m_portSession{0};
    std::mutex m_restMutex;
    std::condition_variable m_restWake;
    bool m_woken = false;
};
