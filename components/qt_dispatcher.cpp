// Nudges the GUI event loop to serve the workers' queued calls.
#include "components/qt_dispatcher.h"

#include <QMetaObject>

QtDispatcher::QtDispatcher(QObject* parent)
    : QObject(parent)
{
}

void QtDispatcher::CallQueued()
{
    // A nudge that finds the queue already served (by ServeWhile) is harmless.
    QMetaObject::invokeMethod(this, [this] { ServePending(); }, Qt::QueuedConnection);
}
