// Queue of synchronous calls from workers, served on the user-interface thread.
#include "components/plain_dispatcher.h"

#include <chrono>

namespace {
// ServeWhile re-asks its predicate at least this often, so one that no Wake
// covers cannot leave the user-interface thread waiting for ever.
constexpr auto kRecheckInterval = std::chrono::milliseconds(10);
} // namespace

PlainDispatcher::PlainDispatcher()
    : m_uiThread(std::this_thread::get_id())
{
}

PlainDispatcher::~PlainDispatcher() = default;

bool PlainDispatcher::IsUiThread() const
{
    return std::this_thread::get_id() == m_uiThread;
}

void PlainDispatcher::RunSync(std::function<void()> call)
{
    if (!call)
        return;
    if (IsUiThread()) {
        call();
        return;
    }
    Pending pending;
    pending.call = std::move(call);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(&pending);
    }
    m_changed.notify_all();
    CallQueued();
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return pending.done; });
    }
    if (pending.error)
        std::rethrow_exception(pending.error);
}

int PlainDispatcher::ServePending()
{
    int served = 0;
    for (;;) {
        Pending* pending = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                return served;
            pending = m_queue.front();
            m_queue.pop_front();
        }
        try {
            pending->call();
        } catch (...) {
            pending->error = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            pending->done = true; // the worker may free pending from here on
        }
        m_changed.notify_all();
        ++served;
    }
}

void PlainDispatcher::ServeWhile(const std::function<bool()>& keepWaiting)
{
    while (keepWaiting()) {
        if (ServePending() > 0)
            continue;
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, kRecheckInterval, [&] { return m_woken || !m_queue.empty(); });
        m_woken = false;
    }
}

void PlainDispatcher::Wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_changed.notify_all();
}
