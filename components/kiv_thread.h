// The worker thread of TKivThreadControl: a std::thread with a terminate
// flag, suspension at step boundaries, a priority and a pause, running the
// component's start callback, its step callback (once or in a loop) and its
// end callback.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

// In this order, numbered 0 to 6.
enum TThreadPriority : int { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TKivThread
{
public:
    using Method = std::function<void()>;

    // Makes the thread object; the operating-system thread starts in Start,
    // paused there when createSuspended is set. Priority normal, no pause.
    TKivThread(bool createSuspended, Method step, bool loop);
    // Stops the thread (without serving synchronous calls) if it still runs.
    // A derived class must stop it in its own destructor.
    virtual ~TKivThread();

    TKivThread(const TKivThread&) = delete;
    TKivThread& operator=(const TKivThread&) = delete;

    // Set before Start.
    void SetStartCallback(Method callback);
    void SetEndCallback(Method callback);
    // Called on the worker as its very last act, after Finished turned true.
    void SetFinishedNotify(Method notify);

    // Launches the thread; throws std::system_error when it cannot be made.
    void Start();
    // Waits for the thread's end. Does nothing on the worker itself.
    void Join();

    // Any thread.
    void Terminate();
    bool Terminated() const;
    // Suspension takes effect at the next step boundary (or before the body
    // begins); a pause already begun runs on.
    void Suspend();
    void Resume();
    bool Suspended() const;
    bool Finished() const;
    bool IsCurrent() const;

    TThreadPriority Priority() const;
    // Applied to the running thread at once.
    void SetPriority(TThreadPriority priority);
    int32_t Pause() const;
    // Read before each pause; a negative value counts as 0.
    void SetPause(int32_t ms);

    // An exception that escaped the start or end callback and ended the body.
    std::exception_ptr FatalException() const;

protected:
    // The thread body: start callback, the steps, end callback.
    virtual void Execute();
    // One step: the step callback; whatever it throws is discarded.
    virtual void ExecuteStep();

private:
    void run();
    bool waitWhileSuspended();
    void pause();
    void attachPriority();
    void detachPriority();
    void applyPriority();

    const bool m_loop;
    const Method m_step;
    Method m_start;
    Method m_end;
    Method m_finishedNotify;
    std::atomic<int32_t> m_pause{0};
    std::atomic<TThreadPriority> m_priority{tpNormal};

    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_suspended{false};
    std::atomic<bool> m_finished{false};
    mutable std::mutex m_stateMutex;
    std::condition_variable m_stateChanged;

    // The kernel thread id, non-zero only while the worker lives; guarded so
    // that no priority change can reach a recycled id.
    std::mutex m_priorityMutex;
    int m_tid = 0;
    int m_baseNice = 0;

    std::exception_ptr m_fatal;
    // Set by the worker itself: the std::thread below is still being
    // assigned when the worker begins.
    std::atomic<std::thread::id> m_workerId{};
    std::thread m_thread;
};
