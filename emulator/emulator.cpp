// Wiring of the emulated controller. Order matters: the port and the link
// settings exist before the runner, and the worker is stopped before any
// object it uses goes away.
#include "emulator/emulator.h"

#include "components/kiv_thread_control.h"
#include "components/qt_dispatcher.h"
#include "core/emulation_runner.h"
#include "core/exchange_queue.h"
#include "core/plc_image.h"
#include "emulator/request_log.h"
#include "serial/comm_port_line.h"
#include "serial/device_names.h"
#include "serial/kiv_comm_port.h"
#include "serial/port_mapping.h"
#include "serial/settings_store.h"
#include "serial/virtual_port.h"

Emulator::Emulator(SettingsStore& store, RunnerHost& host)
    : m_store(store), m_image(std::make_unique<PlcImage>()),
      m_port(std::make_unique<TKivCommPort>()),
      m_portLine(std::make_unique<CommPortLine>(*m_port)),
      m_exchanges(std::make_unique<ExchangeQueue>()),
      m_dispatcher(std::make_unique<QtDispatcher>()),
      m_thread(std::make_unique<TKivThreadControl>(*m_dispatcher))
{
    m_port->SetDeviceResolver([this](const std::string& name) {
        return ResolvePortDevice(m_store, name, DefaultDevicePath);
    });
    LoadLinkSettings();

    TKivThreadControl* thread = m_thread.get();
    m_runner = std::make_unique<EmulationRunner>(
        *m_image, *m_portLine, host, [this] { return PortParamsForRun(); },
        [thread] { return thread->Terminated(); },
        [thread](const std::function<void()>& call) { thread->SynchronizeMethod(call); },
        kDefaultReceiveTimeoutMs);
    m_runner->SetRequestObserver([](const RequestRecord& record) { LogRequest(record); });
    ExchangeQueue* exchanges = m_exchanges.get();
    m_runner->SetExchangeObserver(
        [exchanges](const ExchangeRecord& record) { exchanges->Push(record); });

    m_thread->SetOnExecute([this](TKivThreadControl*) { m_runner->ThreadControlExecute(); });
    m_thread->SetLoopExecute(true);
    m_thread->SetCreateSuspended(false);
    // No pause between poll steps: an idle step waits on the line (or, with
    // the port closed, rests) by itself, and a PG whose next request is
    // already waiting is served at once.
    m_thread->SetTimeSleep(0);
}

Emulator::~Emulator()
{
    StopWorker();
    m_port->Close();
}

void Emulator::LoadLinkSettings()
{
    m_problems.clear();
    ::LoadLinkSettings(m_store, m_linkSettings, &m_problems);
}

PortParams Emulator::PortParamsForRun()
{
    if (m_defaultsForBadSettings)
        LoadLinkSettings();
    else
        ::LoadLinkSettings(m_store, m_linkSettings);
    PortParams params = ToPortParams(m_linkSettings);
    if (m_overrides.deviceName)
        params.deviceName = *m_overrides.deviceName;
    if (m_overrides.baudRate)
        params.baudRate = *m_overrides.baudRate;
    if (m_overrides.parity)
        params.parity = *m_overrides.parity;
    if (m_overrides.dataBits)
        params.dataBits = *m_overrides.dataBits;
    if (m_overrides.stopBits)
        params.stopBits = *m_overrides.stopBits;
    return params;
}

void Emulator::StartWorker()
{
    m_thread->Create();
}

void Emulator::StopWorker()
{
    if (!m_thread->Created())
        return;
    m_runner->Wake();
    m_thread->Destroy();
}

void Emulator::Run()
{
    m_runner->EmulationRunExecute();
}

void Emulator::Stop()
{
    m_runner->EmulationStopExecute();
}

bool Emulator::IsOpen() const
{
    return m_port->IsOpen();
}

bool Emulator::InForce() const
{
    return m_runner->InForce();
}

std::string Emulator::statusText() const
{
    return m_runner->statusText();
}

const ActivityFlags& Emulator::activity() const
{
    return m_runner->activity();
}

std::string Emulator::RunDeviceName() const
{
    return m_overrides.deviceName ? *m_overrides.deviceName
                                  : ToPortParams(m_linkSettings).deviceName;
}

std::string Emulator::PgDevicePath() const
{
    if (m_port->IsOpen())
        return m_port->pgDevicePath();
    // Not open yet: where the next Run will put it.
    const std::string name = RunDeviceName();
    const std::string path = ResolvePortDevice(m_store, name, DefaultDevicePath);
    return path == kVirtualPortDevice ? VirtualPortLinkPath(name) : path;
}

bool Emulator::UsesVirtualPort() const
{
    if (m_port->IsOpen())
        return m_port->devicePath() == kVirtualPortDevice;
    return ResolvePortDevice(m_store, RunDeviceName(), DefaultDevicePath) == kVirtualPortDevice;
}
