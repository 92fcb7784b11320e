// The program's dispatcher: a worker's synchronous call is queued and the
// worker rings an event descriptor that the GUI thread's event loop watches;
// its handler serves the queue. While the GUI thread waits for a worker
// (TKivThreadControl::Destroy) it serves the queue itself, without running
// other events. Only the kernel's descriptor crosses threads, so no Qt
// object is shared with the worker.
#pragma once

#include "components/plain_dispatcher.h"

#include <QMetaMethod>
#include <QObject>

class QSocketNotifier;

class QtDispatcher : public QObject, public PlainDispatcher
{
    Q_OBJECT

public:
    // Make it on the GUI thread; it serves that thread's event loop. Every
    // worker that uses it must have ended before it is destroyed.
    explicit QtDispatcher(QObject* parent = nullptr);
    ~QtDispatcher() override;

protected:
    void CallQueued() override;

private slots:
    void serveQueued();

private:
    int m_eventFd = -1;
    QSocketNotifier* m_notifier = nullptr;
    // Without an event descriptor: a queued slot call instead.
    QMetaMethod m_serveQueued;
};
