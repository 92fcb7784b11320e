// The program's dispatcher: a worker's synchronous call is queued and a
// queued call into the GUI thread's event loop serves it; while the GUI
// thread waits for a worker (TKivThreadControl::Destroy) it serves the queue
// itself, without running other events.
#pragma once

#include "components/plain_dispatcher.h"

#include <QObject>

class QtDispatcher : public QObject, public PlainDispatcher
{
public:
    // Make it on the GUI thread; it serves that thread's event loop.
    explicit QtDispatcher(QObject* parent = nullptr);

protected:
    void CallQueued() override;
};
