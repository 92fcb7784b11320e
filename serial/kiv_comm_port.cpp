// TKivCommPort on a Linux tty. The descriptor is non-blocking with
// VMIN = VTIME = 0, so a read returns at once with what has arrived; a write
// that finds the output queue full waits in poll against a deadline; the
// close signal is an eventfd that WaitEvents polls beside the tty.
//
// Line settings a Linux tty lacks are refused by Open with "SetCommState()"
// and EINVAL: 4 data bits, one and a half stop bits, and the DTR/DSR
// handshake (flow control 1 and 4). Mark and space parity use CMSPAR.
// XonLim/XoffLim have no equivalent: the kernel keeps its own thresholds
// for sending XOFF and XON. PortStatus.holdFlags is always 0, as Linux
// reports no hold reasons. With RTS handshake (flow control 1 and 3) the
// kernel drives RTS, so Open, Close and rtsToggle leave it alone.
#include "serial/kiv_comm_port.h"

#include "serial/tty_linux.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <new>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline, rounded up so that poll never wakes
// just before it and spins; 0 once it has passed.
int msUntil(Clock::time_point deadline)
{
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

Clock::time_point deadlineAfter(uint32_t timeoutMs)
{
    return Clock::now() + std::chrono::milliseconds(timeoutMs);
}

// A modem-line request that a pty refuses because it has no modem lines
// is no failure.
int modemResult(int err)
{
    return tty::lacksModemLines(err) ? 0 : err;
}

constexpr short kPollTrouble = POLLERR | POLLHUP | POLLNVAL;

// What a tty answers once it has been hung up: its other end went away
// (a pty's master closed) or the device itself did (a USB adapter pulled).
bool isHangUpError(int err)
{
    return err == EIO || err == ENXIO || err == ENODEV;
}

} // namespace

struct TKivCommPort::WriteOutcome
{
    uint32_t written = 0;
    bool ok = false;
};

TKivCommPort::TKivCommPort()
    : m_writeBuffer(new uint8_t[m_outQueueSize]()), m_readBuffer(new uint8_t[m_inQueueSize]())
{
}

TKivCommPort::~TKivCommPort()
{
    Close();
}

bool TKivCommPort::SetParams(const std::string& deviceName, uint32_t baudRate, uint8_t parity,
                             uint8_t dataBits, uint8_t stopBits, int32_t flowControl,
                             bool rtsToggle)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (IsOpen())
        return false;
    m_deviceName = deviceName.substr(0, kMaxTextLength);

    bool ok = false;
    if (baudRate >= kMinBaudRate && baudRate <= kMaxBaudRate) {
        m_baudRate = baudRate;
        if (parity <= 4) {
            m_parity = parity;
            if (dataBits >= 4 && dataBits <= 8) {
                m_dataBits = dataBits;
                if (stopBits <= 2) {
                    m_stopBits = stopBits;
                    if (flowControl >= 0 && flowControl <= 4) {
                        struct Modes
                        {
                            int32_t rts, dtr;
                            bool cts, dsr, xOut, xIn;
                        };
                        static constexpr Modes kModes[] = {
                            {0, 0, false, false, false, false}, // none
                            {2, 2, true, true, false, false},   // full hardware handshake
                            {1, 1, false, false, true, true},   // XON/XOFF
                            {2, 1, true, false, false, false},  // RTS/CTS
                            {1, 2, false, true, false, false},  // DTR/DSR
                        };
                        const Modes& m = kModes[flowControl];
                        m_flowControl = flowControl;
                        m_rtsControl = m.rts;
                        m_dtrControl = m.dtr;
                        m_ctsFlow = m.cts;
                        m_dsrFlow = m.dsr;
                        m_xonXoffOut = m.xOut;
                        m_xonXoffIn = m.xIn;
                        ok = true;
                    }
                }
            }
        }
    }
    m_rtsToggle = rtsToggle;
    return ok;
}

bool TKivCommPort::SetBuffers(uint32_t eventMask, uint32_t timeoutMs, uint32_t inQueueSize,
                              uint32_t outQueueSize)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (IsOpen())
        return false;
    m_eventMask = eventMask;
    m_timeoutMs = timeoutMs;
    auto valid = [](uint32_t size) { return size >= 1 && size <= kMaxQueueSize; };
    if (!valid(inQueueSize) || !valid(outQueueSize))
        return false;
    std::unique_ptr<uint8_t[]> readBuffer(new (std::nothrow) uint8_t[inQueueSize]());
    std::unique_ptr<uint8_t[]> writeBuffer(new (std::nothrow) uint8_t[outQueueSize]());
    if (!readBuffer || !writeBuffer)
        return false;
    m_readBuffer = std::move(readBuffer);
    m_writeBuffer = std::move(writeBuffer);
    m_inQueueSize = inQueueSize;
    m_outQueueSize = outQueueSize;
    return true;
}

bool TKivCommPort::SetDeviceResolver(DeviceResolver resolver)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (IsOpen())
        return false;
    m_resolver = resolver ? std::move(resolver) : DeviceResolver(DefaultDevicePath);
    return true;
}

bool TKivCommPort::failOpen(int fd, bool exclusive, int err, const char* text)
{
    if (text)
        recordError(err, text);
    if (fd >= 0) {
        if (exclusive)
            tty::setExclusive(fd, false);
        releaseDevice(fd);
    }
    return false;
}

void TKivCommPort::releaseDevice(int fd)
{
    if (m_virtual.master >= 0 && m_virtual.master == fd) {
        tty::closeVirtualPort(m_virtual);
        std::lock_guard<std::mutex> errorGuard(m_errorLock);
        m_pgDevicePath.clear();
        return;
    }
    tty::closeFd(fd);
}

bool TKivCommPort::Open()
{
    clearError();
    std::lock_guard<std::mutex> guard(m_lock);
    if (IsOpen())
        return false;

    std::string path;
    try {
        path = m_resolver(m_deviceName);
    } catch (...) {
        path.clear(); // an unresolvable name fails like a missing device
    }
    {
        std::lock_guard<std::mutex> errorGuard(m_errorLock);
        m_devicePath = path;
    }

    int fd = -1;
    const bool virtualPort = path == kVirtualPortDevice;
    if (virtualPort) {
        // A pseudo-terminal pair of our own: the master is the line, the
        // slave is for the PG, reached through a published link. Nobody
        // else can open a master, so it needs no exclusive open.
        if (int err = tty::openVirtualPort(VirtualPortLinkPath(m_deviceName), m_virtual))
            return failOpen(-1, false, err, "INVALID_HANDLE_VALUE");
        fd = m_virtual.master;
        std::lock_guard<std::mutex> errorGuard(m_errorLock);
        m_pgDevicePath = m_virtual.linkPath;
    } else {
        if (int err = tty::openDevice(path, fd))
            return failOpen(fd, false, err, "INVALID_HANDLE_VALUE");
        if (int err = tty::checkCharDevice(fd))
            return failOpen(fd, false, err, "NOT IS FILE_TYPE_CHAR");
        // The advisory lock keeps out programs that lock too; TIOCEXCL keeps
        // out every other open of the tty (except by a privileged process).
        if (int err = tty::setExclusive(fd, true))
            return failOpen(fd, false, err, "INVALID_HANDLE_VALUE");
    }
    const bool exclusive = !virtualPort;
    // The kernel sizes the tty queues itself: inQueueSize and outQueueSize
    // size the staging buffers and the largest block Write takes.
    if (int err = tty::setNonBlocking(fd))
        return failOpen(fd, exclusive, err, "SetCommTimeouts()");
    // Only "a character was received" can be waited for on a tty.
    if (m_eventMask & ~kEventRxChar)
        return failOpen(fd, exclusive, EINVAL, "SetCommMask()");

    tty::LineSettings settings;
    settings.baudRate = m_baudRate;
    settings.parity = m_parity;
    settings.dataBits = m_dataBits;
    settings.stopBits = m_stopBits;
    settings.rtsControl = m_rtsControl;
    settings.dtrControl = m_dtrControl;
    settings.ctsFlow = m_ctsFlow;
    settings.dsrFlow = m_dsrFlow;
    settings.xonXoffOut = m_xonXoffOut;
    settings.xonXoffIn = m_xonXoffIn;
    tty::LineStep step = tty::LineStep::Read;
    if (int err = tty::configureLine(fd, settings, step))
        return failOpen(fd, exclusive, err,
                        step == tty::LineStep::Read ? "GetCommState()" : "SetCommState()");
    if (int err = tty::flush(fd, true, true))
        return failOpen(fd, exclusive, err, "PurgeComm()");

    // DTR up, RTS down, no break. A device that has modem lines and
    // refuses them is no usable serial line.
    int err = modemResult(tty::setDtr(fd, true));
    if (!err && ownsRts())
        err = modemResult(tty::setRts(fd, false));
    if (!err)
        err = modemResult(tty::clearBreak(fd));
    if (err)
        return failOpen(fd, exclusive, err, "SetCommState()");

    int signal = -1;
    if (tty::createSignal(signal))
        return failOpen(fd, exclusive, 0, nullptr);

    m_activeEventMask.store(m_eventMask);
    m_hungUp.store(false);
    m_closeSignal.store(signal);
    m_handle.store(fd);
    return true;
}

bool TKivCommPort::Close()
{
    std::lock_guard<std::mutex> guard(m_lock);
    const int fd = m_handle.load();
    if (fd < 0)
        return false;
    const int signal = m_closeSignal.load();

    // Raise the signal and take the handle away first, then let every
    // WaitEvents leave before the descriptors go: a waiter still polls them.
    tty::raiseSignal(signal);
    m_handle.store(-1);
    for (int waiters = m_waiters.load(); waiters != 0; waiters = m_waiters.load())
        m_waiters.wait(waiters);

    if (ownsRts())
        tty::setRts(fd, false);
    tty::setDtr(fd, false);
    tty::setExclusive(fd, false);
    releaseDevice(fd);
    m_closeSignal.store(-1);
    tty::closeFd(signal);
    m_hungUp.store(false);
    return true;
}

bool TKivCommPort::IsOpen() const
{
    return m_handle.load() >= 0;
}

bool TKivCommPort::HungUp() const
{
    return m_hungUp.load() && IsOpen();
}

uint32_t TKivCommPort::BytesWaiting()
{
    if (!IsOpen())
        return 0;
    std::lock_guard<std::mutex> guard(m_lock);
    const int fd = m_handle.load();
    uint32_t count = 0;
    if (fd < 0)
        return 0;
    if (int err = tty::bytesInQueue(fd, count)) {
        if (isHangUpError(err))
            m_hungUp.store(true);
        return 0;
    }
    return count;
}

uint32_t TKivCommPort::Read(uint8_t* dest, uint32_t destCapacity, uint32_t count)
{
    clearError();
    if (!IsOpen())
        return 0;
    std::lock_guard<std::mutex> guard(m_lock);
    const int fd = m_handle.load();
    if (fd < 0)
        return 0;
    std::memset(m_readBuffer.get(), 0, m_inQueueSize);

    // Never take from the driver more than can be delivered: what does not
    // fit into dest stays queued for the next read.
    uint32_t asked = count == 0 ? m_inQueueSize : std::min(count, m_inQueueSize);
    asked = dest ? std::min(asked, destCapacity) : 0;

    if (m_rtsToggle && ownsRts())
        tty::setRts(fd, false);
    if (asked == 0)
        return 0;

    // The read never waits (VMIN = VTIME = 0, non-blocking): it gives what
    // the input queue holds, possibly nothing. A failed attempt moves no
    // byte and is made once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        ssize_t n;
        do {
            n = ::read(fd, m_readBuffer.get(), asked);
        } while (n < 0 && errno == EINTR);
        if (n >= 0 || errno == EAGAIN) {
            const uint32_t got = n > 0 ? static_cast<uint32_t>(n) : 0;
            std::memcpy(dest, m_readBuffer.get(), got);
            return got;
        }
        if (isHangUpError(errno))
            m_hungUp.store(true);
        recordError(errno, "Error in Read()");
    }
    return 0;
}

TKivCommPort::WriteOutcome TKivCommPort::writeAttempt(int fd, uint32_t count)
{
    WriteOutcome outcome;
    const auto deadline = deadlineAfter(m_timeoutMs);
    while (outcome.written < count) {
        const ssize_t n =
            ::write(fd, m_writeBuffer.get() + outcome.written, count - outcome.written);
        if (n > 0) {
            outcome.written += static_cast<uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            if (isHangUpError(errno))
                m_hungUp.store(true);
            recordError(errno, "Error in Write()");
            return outcome;
        }
        // The output queue is full: wait until it takes more, or the deadline.
        pollfd p{fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, msUntil(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            recordError(errno, "Wait Failed in Write()");
            return outcome;
        }
        if (ready == 0) {
            recordError(ETIMEDOUT, "Wait Timeout in Write()");
            return outcome;
        }
        if ((p.revents & kPollTrouble) && !(p.revents & POLLOUT)) {
            recordError(EIO, "WaitForMultipleObjects in Write()");
            return outcome;
        }
    }
    outcome.ok = true;
    return outcome;
}

void TKivCommPort::waitUntilSent(int fd)
{
    // A half-duplex driver must keep RTS up until the bytes have left, so
    // wait (at most timeoutMs) for the output queue to run empty.
    const auto deadline = deadlineAfter(m_timeoutMs);
    uint32_t pending = 0;
    while (tty::bytesOutQueue(fd, pending) == 0 && pending > 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

uint32_t TKivCommPort::Write(const uint8_t* data, uint32_t count)
{
    clearError();
    if (!IsOpen())
        return 0;
    std::lock_guard<std::mutex> guard(m_lock);
    const int fd = m_handle.load();
    if (fd < 0)
        return 0;
    std::memset(m_writeBuffer.get(), 0, m_outQueueSize);

    if (count > m_outQueueSize) {
        recordError(1, "Error in WriteBufferSize");
        return 0;
    }
    if (count == 0)
        return 0;
    if (!data) {
        recordError(EFAULT, "Error in Write()");
        return 0;
    }
    std::memcpy(m_writeBuffer.get(), data, count);

    const bool toggle = m_rtsToggle && ownsRts();
    if (toggle)
        tty::setRts(fd, true);

    WriteOutcome outcome;
    for (int attempt = 0; attempt < 2; ++attempt) {
        outcome = writeAttempt(fd, count);
        if (outcome.ok || outcome.written > 0)
            break;
    }

    if (toggle) {
        waitUntilSent(fd);
        tty::setRts(fd, false);
    }

    // A block that went out in part: the text says so, lastError says why.
    if (outcome.written > 0 && outcome.written < count)
        setErrorText(lastError() == 0 ? "Write timed out. (overlapped)"
                                      : "Error writing data to port (overlapped)");
    return outcome.written;
}

bool TKivCommPort::Purge(bool receiveSide, bool transmitSide)
{
    if (!IsOpen())
        return false;
    std::lock_guard<std::mutex> guard(m_lock);
    const int fd = m_handle.load();
    if (fd < 0 || (!receiveSide && !transmitSide))
        return false;
    // What the virtual port has sent and the PG has not read waits in the
    // slave's input queue: that is its transmit side.
    if (transmitSide && m_virtual.slave >= 0 && m_virtual.master == fd)
        tty::flush(m_virtual.slave, true, false);
    return tty::flush(fd, receiveSide, transmitSide) == 0;
}

bool TKivCommPort::WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status)
{
    events = 0;
    status = PortStatus{};

    // Count this call before looking at the handle: Close takes the handle
    // away first and then waits for the count to drop, so a waiter either
    // sees the port closed or keeps its descriptors alive until it leaves.
    m_waiters.fetch_add(1);
    struct Leave
    {
        std::atomic<int>& waiters;
        ~Leave()
        {
            if (waiters.fetch_sub(1) == 1)
                waiters.notify_all();
        }
    } leave{m_waiters};

    const int fd = m_handle.load();
    if (fd < 0)
        return false;
    const int signal = m_closeSignal.load();
    const uint32_t mask = m_activeEventMask.load();
    if (!(mask & kEventRxChar))
        return false; // nothing to wait for: the wait cannot start

    const auto deadline = deadlineAfter(timeoutMs);
    bool received = false;
    for (;;) {
        pollfd p[2] = {{fd, POLLIN, 0}, {signal, POLLIN, 0}};
        const int ready = ::poll(p, 2, msUntil(deadline));
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            recordError(errno, "Wait Failed in WaitEvents()");
            break;
        }
        if (p[1].revents & POLLIN) {
            recordError(ECANCELED, "Close Comm WaitEvents()");
            break;
        }
        if (p[1].revents & kPollTrouble) {
            recordError(EBADF, "WaitForMultipleObjects in WaitEvents()");
            break;
        }
        if (ready == 0) {
            recordError(ETIMEDOUT, "Wait Timeout in WaitEvents()");
            break;
        }
        if (!(p[0].revents & kPollTrouble)) {
            if (p[0].revents & POLLIN) {
                received = true;
                break;
            }
            continue;
        }
        uint32_t queued = 0;
        if (tty::bytesInQueue(fd, queued) == 0 && queued > 0) {
            received = true; // bytes that came before the hang-up can still be read
            break;
        }
        // Hung up (the device went away, or a pty lost its other end): the
        // tty stays ready for ever and nothing more will come. Say so at
        // once; the caller closes the port rather than wait on it again.
        m_hungUp.store(true);
        recordError(EIO, "Wait Failed in WaitEvents()");
        break;
    }

    uint32_t count = 0;
    if (tty::bytesInQueue(fd, count) == 0)
        status.bytesInQueue = count;
    if (tty::bytesOutQueue(fd, count) == 0)
        status.bytesOutQueue = count;
    if (received)
        events = kEventRxChar;
    return received;
}

int32_t TKivCommPort::lastError() const
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    return m_lastError;
}

std::string TKivCommPort::lastErrorText() const
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    return m_lastErrorText;
}

std::string TKivCommPort::devicePath() const
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    return m_devicePath;
}

std::string TKivCommPort::pgDevicePath() const
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    return m_pgDevicePath.empty() ? m_devicePath : m_pgDevicePath;
}

void TKivCommPort::clearError()
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    m_lastError = 0;
    m_lastErrorText.clear();
}

void TKivCommPort::recordError(int32_t code, const char* text)
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    m_lastError = code;
    m_lastErrorText.assign(text, std::min(std::strlen(text), kMaxTextLength));
}

void TKivCommPort::setErrorText(const char* text)
{
    std::lock_guard<std::mutex> guard(m_errorLock);
    m_lastErrorText.assign(text, std::min(std::strlen(text), kMaxTextLength));
}
