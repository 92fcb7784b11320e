// The emulated controller as one object: the memory image, the serial port
// and its link settings, the runner that serves the PG and the worker
// thread that runs it. The main window and the unattended mode both hold
// one and only show it, so a PG is served by the same code in both.
//
// Everything here is called on the thread that made the Emulator, which
// must run a Qt event loop: the worker's synchronous calls (the hand-off,
// the link status, the lamps) are served there, and the host's calls come
// there.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/port_params.h"
#include "serial/link_settings.h"

class CommPortLine;
class EmulationRunner;
class ExchangeQueue;
class PlcImage;
class QtDispatcher;
class RunnerHost;
class SettingsStore;
class TKivCommPort;
class TKivThreadControl;
struct ActivityFlags;

// Line settings given for one run (on the command line): each one set
// replaces the stored value when Run opens the port, and none is stored.
struct PortOverrides
{
    // "COM3", a device path, or "pty" for a virtual port.
    std::optional<std::string> deviceName;
    std::optional<uint32_t> baudRate;
    std::optional<uint8_t> parity;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::optional<uint8_t> dataBits; // 5 to 8
    std::optional<uint8_t> stopBits; // 0 one, 2 two

    bool empty() const
    {
        return !deviceName && !baudRate && !parity && !dataBits && !stopBits;
    }
};

class Emulator
{
  public:
    // store holds the link settings and the port mapping; host shows the
    // link status, the lamps and open failures. Both must outlive it. The
    // stored link settings are loaded at once: problems() tells what was
    // wrong with them.
    Emulator(SettingsStore& store, RunnerHost& host);
    // Stops the worker and closes the port.
    ~Emulator();

    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    void SetOverrides(const PortOverrides& overrides) { m_overrides = overrides; }
    const PortOverrides& overrides() const { return m_overrides; }

    // The stored link settings, reloaded; a value of the wrong type takes
    // its default and is named in problems() until the next load.
    void LoadLinkSettings();
    const LinkSettings& linkSettings() const { return m_linkSettings; }
    const std::vector<std::string>& problems() const { return m_problems; }
    // What Run opens: the stored settings, reloaded, with the overrides put
    // over them. A stored value of the wrong type throws SettingsError,
    // which abandons the Run, unless defaults for bad settings are on: then
    // it takes its default and is named in problems().
    PortParams PortParamsForRun();
    // For the unattended mode, where no settings dialog can put a bad value
    // right: Run goes on with the default.
    void SetDefaultsForBadSettings(bool on) { m_defaultsForBadSettings = on; }

    // The worker: started when the window is shown (or the unattended mode
    // starts), stopped when it closes. Stopping serves the worker's
    // synchronous calls while it waits.
    void StartWorker();
    void StopWorker();

    // The Run and Stop commands.
    void Run();
    void Stop();

    bool IsOpen() const;
    // Run is in force: the port is open, or it hung up and is being reopened.
    bool InForce() const;
    // The link status text last computed by the worker.
    std::string statusText() const;
    const ActivityFlags& activity() const;
    // What became of every transaction served, oldest first; read by one
    // reader on this thread.
    ExchangeQueue& exchanges() { return *m_exchanges; }
    // The device a PG must open to reach this port: the virtual port's
    // published link, or the device the port resolves to.
    std::string PgDevicePath() const;
    // The port Run opens (or has opened) is the built-in virtual port.
    bool UsesVirtualPort() const;

    PlcImage& image() { return *m_image; }
    TKivCommPort& port() { return *m_port; }
    EmulationRunner& runner() { return *m_runner; }
    TKivThreadControl& thread() { return *m_thread; }

  private:
    // The device name Run uses: the override, else the stored port.
    std::string RunDeviceName() const;

    SettingsStore& m_store;
    LinkSettings m_linkSettings;
    std::vector<std::string> m_problems;
    PortOverrides m_overrides;
    bool m_defaultsForBadSettings = false;
    std::unique_ptr<PlcImage> m_image;
    std::unique_ptr<TKivCommPort> m_port;
    std::unique_ptr<CommPortLine> m_portLine;
    std::unique_ptr<ExchangeQueue> m_exchanges;
    std::unique_ptr<QtDispatcher> m_dispatcher;
    std::unique_ptr<TKivThreadControl> m_thread;
    std::unique_ptr<EmulationRunner> m_runner;
};
