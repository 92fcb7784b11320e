// The self-pipe behind StopSignals.
#include "unattended/stop_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
struct sigaction g_previousInt{};
struct sigaction g_previousTerm{};
struct sigaction g_previousPipe{};

void OnSignal(int signal)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a stop request: nothing is lost.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action{};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction ignore{};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    m_ok = sigaction(SIGINT, &action, &g_previousInt) == 0 &&
           sigaction(SIGTERM, &action, &g_previousTerm) == 0 &&
           sigaction(SIGPIPE, &ignore, &g_previousPipe) == 0;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignals);
}

StopSignals::~StopSignals()
{
    if (g_pipe[0] < 0)
        return;
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
    sigaction(SIGPIPE, &g_previousPipe, nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::readSignals()
{
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        emit stopRequested(byte);
}
