// The worker thread component: properties, thread lifecycle and the dispatch
// of its events onto the worker or the user-interface thread.
#include "components/kiv_thread_control.h"

#include "components/ui_dispatcher.h"

#include <new>
#include <stdexcept>
#include <system_error>

TKivThreadControl::TKivThreadControl(UiDispatcher& dispatcher)
    : m_dispatcher(dispatcher)
{
}

TKivThreadControl::~TKivThreadControl()
{
    Destroy();
}

void TKivThreadControl::SetPriority(TThreadPriority value)
{
    if (value < tpIdle || value > tpTimeCritical)
        return;
    m_priority = value;
    if (m_thread)
        m_thread->SetPriority(value);
}

void TKivThreadControl::SetTimeSleep(int32_t value)
{
    if (value < 0)
        throw std::invalid_argument("Invalid TimeSleep, value mast be >= 0");
    m_timeSleep = value;
    if (m_thread)
        m_thread->SetPause(value);
}

bool TKivThreadControl::Create()
{
    if (m_thread && m_thread->IsCurrent())
        return false;
    Destroy();
    try {
        auto thread = std::make_unique<TKivThread>(m_createSuspended, [this] { Execute(); }, m_loopExecute);
        thread->SetPriority(m_priority);
        thread->SetPause(m_timeSleep);
        thread->SetStartCallback([this] { InitExecute(); });
        thread->SetEndCallback([this] { EndExecute(); });
        thread->SetFinishedNotify([&dispatcher = m_dispatcher] { dispatcher.Wake(); });
        // Held before it runs, so that the first event already finds it.
        m_thread = std::move(thread);
        m_thread->Start();
    } catch (const std::system_error&) {
        m_thread.reset();
        return false;
    } catch (const std::bad_alloc&) {
        m_thread.reset();
        return false;
    }
    return true;
}

bool TKivThreadControl::Destroy()
{
    if (!m_thread)
        return false;
    m_thread->Terminate();
    if (m_thread->IsCurrent())
        return false;
    m_thread->Resume();
    if (m_dispatcher.IsUiThread())
        m_dispatcher.ServeWhile([this] { return !m_thread->Finished(); });
    m_thread->Join();
    m_thread.reset();
    return true;
}

bool TKivThreadControl::Terminated() const
{
    return m_thread && m_thread->Terminated();
}

bool TKivThreadControl::Suspended() const
{
    return m_thread && m_thread->Suspended();
}

void TKivThreadControl::Suspend()
{
    if (m_thread)
        m_thread->Suspend();
}

void TKivThreadControl::Resume()
{
    if (m_thread)
        m_thread->Resume();
}

void TKivThreadControl::SynchronizeMethod(const Method& method)
{
    if (!m_thread || !method)
        return;
    m_dispatcher.RunSync(method);
}

void TKivThreadControl::dispatch(void (TKivThreadControl::*operation)())
{
    if (!m_thread)
        return;
    if (m_synchronize)
        SynchronizeMethod([this, operation] { (this->*operation)(); });
    else
        (this->*operation)();
}

void TKivThreadControl::Execute()
{
    dispatch(&TKivThreadControl::ThreadExecute);
}

void TKivThreadControl::InitExecute()
{
    dispatch(&TKivThreadControl::ThreadInitialize);
}

void TKivThreadControl::EndExecute()
{
    dispatch(&TKivThreadControl::ThreadTerminate);
}

void TKivThreadControl::Loaded()
{
    if (m_autoCreate)
        Create();
}

void TKivThreadControl::ThreadExecute()
{
    if (m_onExecute)
        m_onExecute(this);
}

void TKivThreadControl::ThreadInitialize()
{
    if (m_onInitialize)
        m_onInitialize(this);
}

void TKivThreadControl::ThreadTerminate()
{
    if (m_onTerminate)
        m_onTerminate(this);
}
