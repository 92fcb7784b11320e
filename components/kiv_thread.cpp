// The worker thread's body and its thread facility on std::thread and POSIX.
#include "components/kiv_thread.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Linux threads of the normal policy differ only by their nice value, so the
// seven levels become steps from the nice the thread was born with. Raising a
// thread above that (and, unprivileged, going back up after lowering) needs
// CAP_SYS_NICE; without it the level is kept as a property and the thread
// stays where it is.
constexpr int kNiceOffset[] = {
    19,  // tpIdle: the lowest nice there is
    10,  // tpLowest
    5,   // tpLower
    0,   // tpNormal
    -5,  // tpHigher
    -10, // tpHighest
    -20, // tpTimeCritical: the highest nice there is
};
constexpr int kNiceMin = -20;
constexpr int kNiceMax = 19;

int currentTid()
{
    return static_cast<int>(::gettid());
}

} // namespace

TKivThread::TKivThread(bool createSuspended, Method step, bool loop)
    : m_loop(loop)
    , m_step(std::move(step))
    , m_suspended(createSuspended)
{
}

TKivThread::~TKivThread()
{
    if (!m_thread.joinable())
        return;
    if (IsCurrent()) {
        // Freed from inside its own body: nothing can wait for it here.
        m_thread.detach();
        return;
    }
    Terminate();
    Resume();
    m_thread.join();
}

void TKivThread::SetStartCallback(Method callback)
{
    m_start = std::move(callback);
}

void TKivThread::SetEndCallback(Method callback)
{
    m_end = std::move(callback);
}

void TKivThread::SetFinishedNotify(Method notify)
{
    m_finishedNotify = std::move(notify);
}

void TKivThread::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread(&TKivThread::run, this);
}

void TKivThread::Join()
{
    if (m_thread.joinable() && !IsCurrent())
        m_thread.join();
}

void TKivThread::Terminate()
{
    {
        std::lock_guard lock(m_stateMutex);
        m_terminated = true;
    }
    m_stateChanged.notify_all();
}

bool TKivThread::Terminated() const
{
    return m_terminated;
}

void TKivThread::Suspend()
{
    std::lock_guard lock(m_stateMutex);
    m_suspended = true;
}

void TKivThread::Resume()
{
    {
        std::lock_guard lock(m_stateMutex);
        m_suspended = false;
    }
    m_stateChanged.notify_all();
}

bool TKivThread::Suspended() const
{
    return m_suspended;
}

bool TKivThread::Finished() const
{
    return m_finished;
}

bool TKivThread::IsCurrent() const
{
    return std::this_thread::get_id() == m_workerId.load();
}

TThreadPriority TKivThread::Priority() const
{
    return m_priority;
}

void TKivThread::SetPriority(TThreadPriority priority)
{
    if (priority < tpIdle || priority > tpTimeCritical)
        return;
    std::lock_guard lock(m_priorityMutex);
    m_priority = priority;
    applyPriority();
}

int32_t TKivThread::Pause() const
{
    return m_pause;
}

void TKivThread::SetPause(int32_t ms)
{
    m_pause = std::max<int32_t>(ms, 0);
}

std::exception_ptr TKivThread::FatalException() const
{
    return m_fatal;
}

void TKivThread::run()
{
    m_workerId = std::this_thread::get_id();
    attachPriority();
    // Told to stop before the body began (created paused and never resumed,
    // say): no event at all.
    if (waitWhileSuspended()) {
        try {
            Execute();
        } catch (...) {
            m_fatal = std::current_exception();
        }
    }
    detachPriority();
    m_finished = true;
    if (m_finishedNotify)
        m_finishedNotify();
}

void TKivThread::Execute()
{
    if (m_start)
        m_start();
    while (!Terminated()) {
        if (!waitWhileSuspended())
            break;
        ExecuteStep();
        if (!m_loop)
            break;
        pause();
    }
    if (m_end)
        m_end();
}

void TKivThread::ExecuteStep()
{
    try {
        if (m_step)
            m_step();
    } catch (...) {
        // A faulty step must not end the loop.
    }
}

bool TKivThread::waitWhileSuspended()
{
    std::unique_lock lock(m_stateMutex);
    m_stateChanged.wait(lock, [&] { return !m_suspended || m_terminated; });
    return !m_terminated;
}

void TKivThread::pause()
{
    const int32_t ms = m_pause;
    if (ms <= 0)
        return;
    // Sleeps like a plain sleep, but a terminate request ends it early so
    // that a long pause cannot hold up Destroy.
    std::unique_lock lock(m_stateMutex);
    m_stateChanged.wait_for(lock, std::chrono::milliseconds(ms), [&] { return bool(m_terminated); });
}

void TKivThread::attachPriority()
{
    std::lock_guard lock(m_priorityMutex);
    m_tid = currentTid();
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(m_tid));
    m_baseNice = (nice == -1 && errno != 0) ? 0 : nice;
    applyPriority();
}

void TKivThread::detachPriority()
{
    std::lock_guard lock(m_priorityMutex);
    m_tid = 0;
}

void TKivThread::applyPriority()
{
    if (m_tid == 0)
        return;
    const int nice = std::clamp(m_baseNice + kNiceOffset[m_priority.load()], kNiceMin, kNiceMax);
    errno = 0;
    const int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(m_tid));
    if (current == nice && errno == 0)
        return;
    // Fails with EPERM or EACCES when the user may not raise the thread: the
    // level then stays a wish and the thread keeps its nice value.
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(m_tid), nice);
}
