// The poll step runs on the worker thread; Run and Stop on the
// user-interface thread. They meet in the port (whose Close wakes a waiting
// worker), in the activity flags and in the status codes, each an atomic.
#include "core/emulation_runner.h"

#include <cstdio>

#include "core/runner_host.h"
#include "core/runner_port.h"
#include "core/transaction_result.h"

namespace {
constexpr uint32_t kEventMaskRxChar = 1;
constexpr uint32_t kInQueueSize = 2048;
constexpr uint32_t kOutQueueSize = 1024;
// Longest wait of an idle poll step for the PG's first byte.
constexpr uint32_t kIdleWaitMs = 20;
} // namespace

std::string LinkStatusText(int32_t result)
{
    if (result == 0)
        return "ON LINE";
    if (result == result::kPortClosed)
        return "OFF LINE";
    if (result == result::kNoStx)
        return "WAIT";
    char text[24];
    std::snprintf(text, sizeof text, "Err: %d", static_cast<int>(result));
    return text;
}

EmulationRunner::EmulationRunner(PlcImage& image, RunnerPort& port, RunnerHost& host,
                                 Terminated terminated, Synchronize synchronize,
                                 uint32_t receiveTimeoutMs)
    : m_image(image), m_port(port), m_host(host), m_synchronize(std::move(synchronize)),
      m_link(port, std::move(terminated), receiveTimeoutMs),
      m_transaction{m_image, m_link, m_activity, {}, {}}
{
    // The hand-off only waits for the user-interface thread to be free.
    m_transaction.handOff = [this] { m_synchronize([] {}); };
}

void EmulationRunner::SetRequestObserver(std::function<void(const RequestRecord&)> observer)
{
    m_transaction.observer = std::move(observer);
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

void EmulationRunner::ThreadControlExecute()
{
    int32_t result = 0;
    if (m_port.IsOpen()) {
        bool waiting = m_port.BytesWaiting() > 0;
        if (!waiting) {
            // An idle line is waited on, not polled: the first byte, or Stop
            // closing the port, ends the wait at once, and the worker wakes
            // a few dozen times a second instead of a thousand.
            uint32_t events = 0;
            PortStatus status;
            m_port.WaitEvents(events, kIdleWaitMs, status);
            waiting = m_port.BytesWaiting() > 0;
        }
        if (waiting) {
            result = ServeTransaction(m_transaction);
            if (result != 0)
                m_port.Purge(true, true);
        }
    }
    if (result == 0 && !m_port.IsOpen())
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

    if (result > 0 || result == result::kPortClosed) {
        read.store(0, std::memory_order_relaxed);
        write.store(0, std::memory_order_relaxed);
    }
}

void EmulationRunner::EmulationRunExecute()
{
    if (!m_port.IsOpen()) {
        const PortParams params = m_host.LoadPortParams();
        m_port.SetBuffers(kEventMaskRxChar, m_link.receiveTimeoutMs(), kInQueueSize,
                          kOutQueueSize);
        m_port.SetParams(params.deviceName, params.baudRate, params.parity, params.dataBits,
                         params.stopBits, 0, false);
        if (m_port.Open())
            m_link.setWaitForEvent(true);
    }
    if (m_port.IsOpen())
        ShowLinkStatus(0);
    else
        m_host.ShowOpenFailure();
}

void EmulationRunner::EmulationStopExecute()
{
    m_port.Close();
    if (!m_port.IsOpen())
        ShowLinkStatus(result::kPortClosed);
}
