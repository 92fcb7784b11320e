// How a worker thread gets a call run on the user-interface thread and waits
// for it, and how the user-interface thread keeps serving such calls while it
// waits for a worker to end.
#pragma once

#include <functional>

class UiDispatcher
{
public:
    virtual ~UiDispatcher() = default;

    // Runs call on the user-interface thread and returns once it has run. An
    // exception that escapes call is caught there and rethrown here. Called on
    // the user-interface thread itself, it runs call directly.
    virtual void RunSync(std::function<void()> call) = 0;

    // True on the thread whose calls this dispatcher serves.
    virtual bool IsUiThread() const = 0;

    // Called on the user-interface thread: serves the calls handed over by
    // RunSync until keepWaiting answers false. keepWaiting is asked again
    // after every served call, after every Wake and at least every few
    // milliseconds, so a predicate that Wake does not cover still ends it.
    virtual void ServeWhile(const std::function<bool()>& keepWaiting) = 0;

    // Safe from any thread: makes a running ServeWhile ask its predicate now.
    virtual void Wake() = 0;
};
