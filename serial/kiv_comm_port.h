// TKivCommPort: one serial device with blocking-with-time-out operations
// (open with a fixed line configuration, read what has arrived, write a
// block, wait for a received character, purge, close). It never throws and
// never shows a message: failures give 0 or false and leave the errno value
// and a text naming the failed step in lastError()/lastErrorText().
//
// Threads: the user-interface thread configures, opens and closes the port;
// the worker thread reads, writes and waits while it is open. IsOpen and
// WaitEvents take no lock, so Close can end a worker's WaitEvents at once;
// every other operation holds the port's lock for its whole run (a Close
// issued during a Read or Write waits until that transfer has finished).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/line.h"
#include "serial/device_names.h"
#include "serial/virtual_port.h"

class TKivCommPort
{
  public:
    static constexpr uint32_t kMinBaudRate = 110;
    static constexpr uint32_t kMaxBaudRate = 921600;
    static constexpr uint32_t kMaxQueueSize = 32768;
    static constexpr size_t kMaxTextLength = 255;

    TKivCommPort();
    // Closes the port.
    ~TKivCommPort();
    TKivCommPort(const TKivCommPort&) = delete;
    TKivCommPort& operator=(const TKivCommPort&) = delete;

    // Refused while open (false, nothing stored). Stores deviceName (cut to
    // 255 characters), then checks and stores in turn baudRate (110 to
    // 921600), parity (0 none, 1 odd, 2 even, 3 mark, 4 space), dataBits
    // (4 to 8), stopBits (0 one, 1 one and a half, 2 two) and flowControl
    // (0 none, 1 full hardware, 2 XON/XOFF, 3 RTS/CTS, 4 DTR/DSR), stopping
    // at the first value out of range; rtsToggle is stored in any case.
    // True when every value was accepted.
    bool SetParams(const std::string& deviceName, uint32_t baudRate, uint8_t parity,
                   uint8_t dataBits, uint8_t stopBits, int32_t flowControl, bool rtsToggle);
    // Refused while open. Stores eventMask and timeoutMs; the queue sizes
    // (and the staging buffers) change only when both lie in 1..32768,
    // which is the result.
    bool SetBuffers(uint32_t eventMask, uint32_t timeoutMs, uint32_t inQueueSize,
                    uint32_t outQueueSize);
    // Where Open looks up the path for deviceName; an empty resolver puts
    // DefaultDevicePath back. Refused while open.
    bool SetDeviceResolver(DeviceResolver resolver);

    // Opens the resolved path exclusively and configures it as a raw line.
    // False when already open, or when a step fails (the port stays closed).
    bool Open();
    // False when not open. Ends a WaitEvents on another thread, lowers RTS
    // and DTR and releases the device.
    bool Close();
    bool IsOpen() const;
    // True once the open port has hung up: its other end or the device
    // itself went away. WaitEvents then answers false at once and nothing
    // more arrives; the port stays open (and this true) until Close.
    bool HungUp() const;
    // Bytes in the input queue; 0 when closed or when the query fails.
    uint32_t BytesWaiting();
    // Delivers at most count bytes (0: as many as inQueueSize) and never
    // more than destCapacity; bytes beyond that stay queued. Never waits.
    uint32_t Read(uint8_t* dest, uint32_t destCapacity, uint32_t count);
    // Writes count bytes (at most outQueueSize), waiting at most timeoutMs
    // per attempt for the line to take them. Returns the bytes written.
    uint32_t Write(const uint8_t* data, uint32_t count);
    // Discards received and/or unsent bytes. False when closed, when neither
    // side is asked for, or when the purge fails.
    bool Purge(bool receiveSide, bool transmitSide);
    // Waits at most timeoutMs for a received character (eventMask bit 0).
    // True with kEventRxChar in events when one is waiting; false at once
    // when the port is closed, also while this waits, and when the line has
    // hung up (see HungUp).
    bool WaitEvents(uint32_t& events, uint32_t timeoutMs, PortStatus& status);

    int32_t lastError() const;
    std::string lastErrorText() const;
    // The path the last Open resolved deviceName to (empty before any);
    // "pty" for the virtual port.
    std::string devicePath() const;
    // What a PG opens to reach the port: while a virtual port is open, its
    // published link; otherwise devicePath().
    std::string pgDevicePath() const;

    // The stored settings; read them on the thread that configures the port.
    const std::string& deviceName() const { return m_deviceName; }
    uint32_t baudRate() const { return m_baudRate; }
    uint8_t parity() const { return m_parity; }
    uint8_t dataBits() const { return m_dataBits; }
    uint8_t stopBits() const { return m_stopBits; }
    int32_t flowControl() const { return m_flowControl; }
    bool rtsToggle() const { return m_rtsToggle; }
    int32_t rtsControl() const { return m_rtsControl; }
    int32_t dtrControl() const { return m_dtrControl; }
    bool ctsFlow() const { return m_ctsFlow; }
    bool dsrFlow() const { return m_dsrFlow; }
    bool xonXoffOut() const { return m_xonXoffOut; }
    bool xonXoffIn() const { return m_xonXoffIn; }
    uint32_t eventMask() const { return m_eventMask; }
    uint32_t outQueueSize() const { return m_outQueueSize; }
    uint32_t inQueueSize() const { return m_inQueueSize; }
    uint32_t timeoutMs() const { return m_timeoutMs; }

  private:
    struct WriteOutcome;

    void clearError();
    void recordError(int32_t code, const char* text);
    void setErrorText(const char* text);
    bool failOpen(int fd, bool exclusive, int err, const char* text);
    void releaseDevice(int fd);
    WriteOutcome writeAttempt(int fd, uint32_t count);
    void waitUntilSent(int fd);
    bool ownsRts() const { return m_rtsControl != 2; }

    // Serialises every operation but IsOpen and WaitEvents.
    std::mutex m_lock;
    // Guards only the diagnostic record, which WaitEvents writes too; never
    // held across a wait.
    mutable std::mutex m_errorLock;
    int32_t m_lastError = 0;
    std::string m_lastErrorText;
    // The open tty, -1 when closed.
    std::atomic<int> m_handle{-1};
    // eventfd raised by Close, -1 when closed.
    std::atomic<int> m_closeSignal{-1};

    std::string m_deviceName = "COM1";
    uint32_t m_baudRate = 9600;
    uint8_t m_parity = 0;
    uint8_t m_dataBits = 8;
    uint8_t m_stopBits = 0;
    int32_t m_flowControl = 0;
    bool m_rtsToggle = false;
    int32_t m_rtsControl = 1;
    int32_t m_dtrControl = 1;
    bool m_ctsFlow = false;
    bool m_dsrFlow = false;
    bool m_xonXoffOut = false;
    bool m_xonXoffIn = false;
    uint32_t m_eventMask = 0;
    uint32_t m_outQueueSize = 2048;
    uint32_t m_inQueueSize = 1024;
    uint32_t m_timeoutMs = 1000;
    std::unique_ptr<uint8_t[]> m_writeBuffer;
    std::unique_ptr<uint8_t[]> m_readBuffer;

    DeviceResolver m_resolver = DefaultDevicePath;
    std::string m_devicePath;   // guarded by m_errorLock, like the diagnostic record
    std::string m_pgDevicePath; // likewise
    // The pseudo-terminal pair while the virtual port is open (under m_lock).
    tty::VirtualPort m_virtual;
    // eventMask as Open found it, for WaitEvents, which runs without the lock.
    std::atomic<uint32_t> m_activeEventMask{0};
    // WaitEvents calls under way; Close releases the tty only at 0.
    std::atomic<int> m_waiters{0};
    // Set by whichever operation finds the line hung up; cleared by Open and Close.
    std::atomic<bool> m_hungUp{false};
};
