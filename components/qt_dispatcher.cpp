// Rings the GUI event loop to serve the workers' queued calls.
#include "components/qt_dispatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

QtDispatcher::QtDispatcher(QObject* parent)
    : QObject(parent)
    , m_serveQueued(staticMetaObject.method(staticMetaObject.indexOfSlot("serveQueued()")))
{
    m_eventFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_eventFd >= 0) {
        m_notifier = new QSocketNotifier(static_cast<qintptr>(m_eventFd), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &QtDispatcher::serveQueued);
    }
}

QtDispatcher::~QtDispatcher()
{
    // The notifier must stop watching before the descriptor goes.
    delete m_notifier;
    if (m_eventFd >= 0)
        ::close(m_eventFd);
}

void QtDispatcher::CallQueued()
{
    if (m_eventFd < 0) {
        m_serveQueued.invoke(this, Qt::QueuedConnection);
        return;
    }
    const uint64_t one = 1;
    ssize_t written;
    do {
        written = ::write(m_eventFd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
    // EAGAIN: the counter is full, so the loop has been rung already.
}

void QtDispatcher::serveQueued()
{
    if (m_eventFd >= 0) {
        uint64_t count = 0;
        ssize_t got;
        do {
            got = ::read(m_eventFd, &count, sizeof count);
        } while (got < 0 && errno == EINTR);
        // EAGAIN: ServeWhile or an earlier ring served it; serve anyway.
    }
    // A ring that finds the queue already served is harmless.
    ServePending();
}
