// The poll step runs on the worker thread; Run and Stop on the
// user-interface thread. They meet in the port (whose Close wakes a waiting
// worker), in the activity flags and in the status codes, each an atomic,
// and in the run lock, which keeps the worker's reopening of a hung-up
// line from crossing a Stop.
#include "core/emulation_runner.h"

#include <chrono>
#include <cstdio>

#include "core/runner_host.h"
#include "core/runner_port.h"
#include "core/transaction_result.h"

namespace {
constexpr uint32_t kEventMaskRxChar = 1;
constexpr uint32_t kInQueueSize = 2048;
constexpr uint32_t kOutQueueSize = 1024;
// Longest wait of an idle poll step for the PG's first byte, and of a poll
// step on a closed port: short enough that stopping the worker is prompt,
// long enough that the worker wakes only a few dozen times a second.
constexpr uint32_t kIdleWaitMs = 20;

int64_t WallClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}
} // namespace

std::string LinkStatusText(int32_t result)
{
    if (result == 0)
        return "ON LINE";
    if (result == result::kPortClosed)
        return "OFF LINE";
    if (result == result::kLineLost)
        return "NO LINE";
    if (result == result::kNoStx)
        return "WAIT";
    char text[24];
    std::snprintf(text, sizeof text, "Err: %d", static_cast<int>(result));
    return text;
}

EmulationRunner::EmulationRunner(PlcImage& image, RunnerPort& port, RunnerHost& host,
                                 ParamsSource params, Terminated terminated,
                                 Synchronize synchronize, uint32_t receiveTimeoutMs)
    : m_image(image), m_port(port), m_host(host), m_params(std::move(params)),
      m_synchronize(std::move(synchronize)),
      m_sessionLine(port, m_runMutex, m_portSession),
      m_link(m_sessionLine, std::move(terminated), receiveTimeoutMs),
      m_transaction{m_image, m_link, m_activity, {}, {}}
{
    // The hand-off only waits for the user-interface thread to be free.
    m_transaction.handOff = [this] { m_synchronize([] {}); };
    m_transaction.observer = [this](const RequestRecord& record) {
        m_exchange.request = record;
        m_exchange.hasRequest = true;
        if (m_requestObserver)
            m_requestObserver(record);
    };
}

void EmulationRunner::SetRequestObserver(std::function<void(const RequestRecord&)> observer)
{
    m_requestObserver = std::move(observer);
}

void EmulationRunner::SetExchangeObserver(std::function<void(const ExchangeRecord&)> observer)
{
    m_exchangeObserver = std::move(observer);
}

std::string EmulationRunner::statusText() const
{
    const int32_t code = m_statusCode.load(std::memory_order_relaxed);
    return code == kNoStatus ? std::string() : LinkStatusText(code);
}

void EmulationRunner::ShowLinkStatus(int32_t code)
{
    m_host.SetLinkStatusText(LinkStatusText(code));
    m_panelCode.store(code, std::memory_order_relaxed);
}

void EmulationRunner::Wake()
{
    {
        std::lock_guard lock(m_restMutex);
        m_woken = true;
    }
    m_restWake.notify_all();
}

void EmulationRunner::Rest(uint32_t ms)
{
    std::unique_lock lock(m_restMutex);
    m_restWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_woken; });
    m_woken = false;
}

int32_t EmulationRunner::ServeOpenPort()
{
    bool waiting = m_port.BytesWaiting() > 0;
    if (!waiting && !m_port.HungUp()) {
        // An idle line is waited on, not polled: the first byte, or Stop
        // closing the port, ends the wait at once, and the worker wakes
        // a few dozen times a second instead of a thousand.
        uint32_t events = 0;
        PortStatus status;
        m_port.WaitEvents(events, kIdleWaitMs, status);
        waiting = m_port.BytesWaiting() > 0;
    }
    if (!waiting || m_port.HungUp())
        return 0;

    m_sessionLine.Begin();
    m_exchange.hasRequest = false;
    const uint64_t received = m_link.bytesReceived();
    const uint64_t sent = m_link.bytesSent();
    const int32_t result = ServeTransaction(m_transaction);
    if (result != 0) {
        std::lock_guard lock(m_runMutex);
        if (!m_sessionLine.Stale() && m_port.IsOpen() && !m_port.HungUp())
            m_port.Purge(true, true);
    }
    if (m_exchangeObserver) {
        m_exchange.timeMs = WallClockMs();
        m_exchange.result = result;
        m_exchange.function = m_transaction.function;
        m_exchange.bytesReceived = static_cast<uint32_t>(m_link.bytesReceived() - received);
        m_exchange.bytesSent = static_cast<uint32_t>(m_link.bytesSent() - sent);
        m_exchangeObserver(m_exchange);
    }
    return result;
}

bool EmulationRunner::OpenPort()
{
    if (!m_port.Open())
        return false;
    ++m_portSession;
    return true;
}

void EmulationRunner::ClosePort()
{
    m_port.Close();
    ++m_portSession;
}

void EmulationRunner::LoseLine()
{
    std::lock_guard lock(m_runMutex);
    ClosePort();
    // A Stop that came first has ended Run: then the line is simply off.
    if (m_inForce.load(std::memory_order_relaxed)) {
        m_lineLost.store(true, std::memory_order_relaxed);
        m_lastReopenTick = TickCount();
    }
}

bool EmulationRunner::TryReopen()
{
    std::lock_guard lock(m_runMutex);
    if (!m_inForce.load(std::memory_order_relaxed)) {
        m_lineLost.store(false, std::memory_order_relaxed);
        return false;
    }
    if (m_port.IsOpen()) {
        // Run opened it meanwhile.
        m_lineLost.store(false, std::memory_order_relaxed);
        return true;
    }
    if (TickElapsed(m_lastReopenTick, TickCount()) < kReopenIntervalMs)
        return false;
    m_lastReopenTick = TickCount();
    if (!OpenPort())
        return false;
    // A device that opens but has already hung up again is still lost.
    uint32_t events = 0;
    PortStatus status;
    m_port.WaitEvents(events, 0, status);
    if (m_port.HungUp()) {
        ClosePort();
        return false;
    }
    m_link.setWaitForEvent(true);
    m_lineLost.store(false, std::memory_order_relaxed);
    return true;
}

void EmulationRunner::ThreadControlExecute()
{
    int32_t result = 0;
    if (m_port.IsOpen()) {
        result = ServeOpenPort();
        if (m_port.HungUp())
            LoseLine();
    } else if (m_lineLost.load(std::memory_order_relaxed)) {
        if (!TryReopen())
            Rest(kIdleWaitMs);
    } else {
        // Nothing to serve until Run: rest instead of returning at once,
        // so that a worker without a pause between steps does not spin.
        Rest(kIdleWaitMs);
    }
    // A lost line says so whatever the transaction gave; a port closed by
    // Stop during a transaction shows the step that failed for one step.
    if (m_lineLost.load(std::memory_order_relaxed))
        result = result::kLineLost;
    else if (result == 0 && !m_port.IsOpen())
        result = result::kPortClosed;

    m_statusCode.store(result, std::memory_order_relaxed);
    if (m_panelCode.load(std::memory_order_relaxed) != result)
        m_synchronize([this, result] { ShowLinkStatus(result); });

    auto& read = m_activity.readActivity;
    auto& write = m_activity.writeActivity;
    const uint8_t readNow = read.load(std::memory_order_relaxed);
    const uint8_t writeNow = write.load(std::memory_order_relaxed);
    if (readNow != m_shownReadActivity || writeNow != m_shownWriteActivity) {
        m_shownReadActivity = readNow;
        m_shownWriteActivity = writeNow;
        m_synchronize([this] { m_host.RepaintLamps(); });
        // The read lamp wins: a write served beside a read shows for one step.
        if (read.load(std::memory_order_relaxed))
            write.store(0, std::memory_order_relaxed);
        if (write.load(std::memory_order_relaxed))
            read.store(0, std::memory_order_relaxed);
    }

    if (result > 0 || result == result::kPortClosed || result == result::kLineLost) {
        read.store(0, std::memory_order_relaxed);
        write.store(0, std::memory_order_relaxed);
    }
}

void EmulationRunner::EmulationRunExecute()
{
    {
        std::lock_guard lock(m_runMutex);
        if (!m_port.IsOpen()) {
            const PortParams params = m_params ? m_params() : PortParams{};
            m_port.SetBuffers(kEventMaskRxChar, m_link.receiveTimeoutMs(), kInQueueSize,
                              kOutQueueSize);
            m_port.SetParams(params.deviceName, params.baudRate, params.parity, params.dataBits,
                             params.stopBits, 0, false);
            if (OpenPort())
                m_link.setWaitForEvent(true);
        }
        const bool open = m_port.IsOpen();
        m_inForce.store(open, std::memory_order_relaxed);
        if (open)
            m_lineLost.store(false, std::memory_order_relaxed);
    }
    Wake();
    if (m_port.IsOpen())
        ShowLinkStatus(0);
    else
        m_host.ShowOpenFailure(m_port.DescribeOpenFailure());
}

void EmulationRunner::EmulationStopExecute()
{
    {
        std::lock_guard lock(m_runMutex);
        m_inForce.store(false, std::memory_order_relaxed);
        ClosePort();
    }
    Wake();
    if (!m_port.IsOpen())
        ShowLinkStatus(result::kPortClosed);
}
