// SIGINT and SIGTERM turned into an event of the Qt event loop: a signal
// handler may do almost nothing, so it only writes a byte into a pipe that
// a socket notifier watches.
#pragma once

#include <QObject>

class QSocketNotifier;

class StopSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers (and ignores SIGPIPE, so that a reader of the
    // output going away does not end the program without cleaning up).
    explicit StopSignals(QObject* parent = nullptr);
    // Puts the previous handlers back.
    ~StopSignals() override;

    // False when the pipe or the handlers could not be set up.
    bool ok() const { return m_ok; }

signals:
    // On the thread that made this object, once per signal received.
    void stopRequested(int signal);

private:
    void readSignals();

    QSocketNotifier* m_notifier = nullptr;
    bool m_ok = false;
};
