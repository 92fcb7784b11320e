// A dispatcher without a toolkit: calls handed over by workers wait in a
// queue until the user-interface thread (the one that made the dispatcher)
// serves them in ServeWhile or ServePending. Tests use it as it stands; the
// Qt dispatcher adds a nudge into the GUI event loop.
#pragma once

#include "components/ui_dispatcher.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

class PlainDispatcher : public UiDispatcher
{
public:
    // The calling thread becomes the user-interface thread.
    PlainDispatcher();
    // Every worker that uses the dispatcher must have ended before.
    ~PlainDispatcher() override;

    PlainDispatcher(const PlainDispatcher&) = delete;
    PlainDispatcher& operator=(const PlainDispatcher&) = delete;

    void RunSync(std::function<void()> call) override;
    bool IsUiThread() const override;
    void ServeWhile(const std::function<bool()>& keepWaiting) override;
    void Wake() override;

    // User-interface thread: runs the calls queued so far; returns how many.
    int ServePending();

protected:
    // Told, on the worker's thread, that a call has been queued; the Qt
    // dispatcher posts a ServePending into the GUI event loop from here.
    virtual void CallQueued() {}

private:
    struct Pending
    {
        std::function<void()> call;
        std::exception_ptr error;
        bool done = false;
    };

    std::thread::id m_uiThread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Pending*> m_queue;
    bool m_woken = false;
};
