// TKivThreadControl: a non-visual component that owns one worker thread and
// calls its handlers from it: OnInitialize once, OnExecute once or in a loop
// with a pause after each step, OnTerminate when the loop has ended. Calls
// onto the user-interface thread go through a UiDispatcher.
#pragma once

#include "components/kiv_thread.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class UiDispatcher;

class TKivThreadControl
{
public:
    using TNotifyEvent = std::function<void(TKivThreadControl* sender)>;
    using Method = std::function<void()>;

    // dispatcher serves SynchronizeMethod and must outlive the component.
    explicit TKivThreadControl(UiDispatcher& dispatcher);
    // Destroy, then the rest. A derived class that overrides the Thread*
    // operations must call Destroy in its own destructor.
    virtual ~TKivThreadControl();

    TKivThreadControl(const TKivThreadControl&) = delete;
    TKivThreadControl& operator=(const TKivThreadControl&) = delete;

    // Events: the worker reads them, so set them while no thread exists.
    const TNotifyEvent& OnExecute() const { return m_onExecute; }
    void SetOnExecute(TNotifyEvent handler) { m_onExecute = std::move(handler); }
    const TNotifyEvent& OnInitialize() const { return m_onInitialize; }
    void SetOnInitialize(TNotifyEvent handler) { m_onInitialize = std::move(handler); }
    const TNotifyEvent& OnTerminate() const { return m_onTerminate; }
    void SetOnTerminate(TNotifyEvent handler) { m_onTerminate = std::move(handler); }

    // Properties. LoopExecute and CreateSuspended count from the next Create,
    // Synchronize from the next event, AutoCreate at Loaded.
    bool LoopExecute() const { return m_loopExecute; }
    void SetLoopExecute(bool value) { m_loopExecute = value; }
    TThreadPriority Priority() const { return m_priority; }
    // Applied at once to an existing thread; a value outside tpIdle ..
    // tpTimeCritical is ignored.
    void SetPriority(TThreadPriority value);
    bool CreateSuspended() const { return m_createSuspended; }
    void SetCreateSuspended(bool value) { m_createSuspended = value; }
    bool Synchronize() const { return m_synchronize; }
    void SetSynchronize(bool value) { m_synchronize = value; }
    int32_t TimeSleep() const { return m_timeSleep; }
    // Throws std::invalid_argument "Invalid TimeSleep, value mast be >= 0"
    // for a negative value and keeps the old one; otherwise the running
    // thread uses the new value from its next pause.
    void SetTimeSleep(int32_t value);
    bool AutoCreate() const { return m_autoCreate; }
    void SetAutoCreate(bool value) { m_autoCreate = value; }

    // User-interface thread. Create stops an existing thread first (as
    // Destroy) and answers false only if no thread could be made; called on
    // the worker itself it does nothing and answers false.
    bool Create();
    // Stops the thread and waits for it, serving SynchronizeMethod calls
    // meanwhile; false without a thread. Called on the worker itself it can
    // only ask the thread to stop, and answers false.
    bool Destroy();
    bool Created() const { return m_thread != nullptr; }
    // Safe on the worker thread. False without a thread.
    bool Terminated() const;
    bool Suspended() const;
    // Suspend takes effect at the next step boundary. Nothing without a thread.
    void Suspend();
    void Resume();

    // Worker thread: runs method on the user-interface thread and returns
    // when it has run (rethrowing what it threw). On the user-interface
    // thread it runs method directly. Nothing without a thread.
    void SynchronizeMethod(const Method& method);

    // Called by the thread: the matching Thread* operation, on the
    // user-interface thread when Synchronize is set. Nothing without a thread.
    void Execute();
    void InitExecute();
    void EndExecute();

    // After the properties are set up: Create when AutoCreate is set.
    virtual void Loaded();

    // The thread object, null while none exists.
    TKivThread* Thread() const { return m_thread.get(); }

protected:
    // Fire OnExecute, OnInitialize, OnTerminate with this component as sender.
    virtual void ThreadExecute();
    virtual void ThreadInitialize();
    virtual void ThreadTerminate();

private:
    void dispatch(void (TKivThreadControl::*operation)());

    UiDispatcher& m_dispatcher;
    TNotifyEvent m_onExecute;
    TNotifyEvent m_onInitialize;
    TNotifyEvent m_onTerminate;
    bool m_loopExecute = false;
    TThreadPriority m_priority = tpNormal;
    bool m_createSuspended = true;
    std::atomic<bool> m_synchronize{false};
    int32_t m_timeSleep = 0;
    bool m_autoCreate = false;
    std::unique_ptr<TKivThread> m_thread;
};
