// The unattended mode's event loop: a timer hands the served requests to
// standard output, a signal notifier ends the loop.
#include "unattended/headless_session.h"

#include <QCoreApplication>
#include <QTimer>

#include "command_line/command_line.h"
#include "core/emulation_runner.h"
#include "core/exchange_queue.h"
#include "core/plc_image.h"
#include "core/transaction_result.h"
#include "emulator/request_log.h"
#include "image_file/image_file.h"
#include "unattended/stop_signals.h"

namespace {
// How often the served requests are written out; the queue holds far more
// than a PG can ask for in this time.
constexpr int kPrintIntervalMs = 100;
} // namespace

HeadlessSession::HeadlessSession(SettingsStore& store, Setup setup, std::FILE* out,
                                 std::FILE* err)
    : m_setup(std::move(setup)), m_out(out), m_err(err), m_emulator(store, *this)
{
    m_emulator.SetOverrides(m_setup.overrides);
    m_emulator.SetDefaultsForBadSettings(true);
    if (m_setup.image)
        ApplyImage(m_emulator.image(), *m_setup.image);
}

void HeadlessSession::Line(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    std::fputc('\n', to);
    std::fflush(to);
}

void HeadlessSession::SetLinkStatusText(const std::string& text)
{
    // Stop and the worker's last step may both report the same closing.
    if (text == m_shownStatus)
        return;
    m_shownStatus = text;
    Line(m_err, QStringLiteral("orvane: link %1").arg(QString::fromStdString(text)));
}

void HeadlessSession::ShowOpenFailure(const std::string& reason)
{
    m_openFailure = reason;
}

void HeadlessSession::PrintServedRequests()
{
    ExchangeQueue& exchanges = m_emulator.exchanges();
    const uint64_t droppedBefore = exchanges.dropped();
    ExchangeRecord record;
    QByteArray lines;
    while (exchanges.Pop(record)) {
        if (record.hasRequest)
            lines += RequestLogLine(record.request).toLocal8Bit() + '\n';
    }
    if (!lines.isEmpty()) {
        std::fwrite(lines.constData(), 1, static_cast<size_t>(lines.size()), m_out);
        std::fflush(m_out);
    }
    if (exchanges.dropped() != droppedBefore)
        Line(m_err, QStringLiteral("orvane: %1 requests not logged (output too slow)")
                        .arg(exchanges.dropped() - droppedBefore));
}

int HeadlessSession::Exec()
{
    for (const std::string& problem : m_emulator.problems())
        Line(m_err, QStringLiteral("orvane: %1; using the default")
                        .arg(QString::fromStdString(problem)));

    StopSignals stops;
    if (!stops.ok())
        Line(m_err, QStringLiteral("orvane: cannot watch for SIGINT and SIGTERM"));
    QObject::connect(&stops, &StopSignals::stopRequested, QCoreApplication::instance(),
                     [](int) { QCoreApplication::quit(); });

    m_emulator.StartWorker();
    try {
        m_emulator.Run();
    } catch (const std::exception& error) {
        m_openFailure = error.what();
    }
    if (!m_emulator.IsOpen()) {
        m_emulator.StopWorker();
        Line(m_err, QStringLiteral("orvane: Unable to open comm port! %1")
                        .arg(QString::fromStdString(m_openFailure)));
        return kPortExitCode;
    }
    Line(m_err, QStringLiteral("orvane: PG device %1")
                    .arg(QString::fromStdString(m_emulator.PgDevicePath())));

    QTimer printer;
    printer.setInterval(kPrintIntervalMs);
    QObject::connect(&printer, &QTimer::timeout, [this] { PrintServedRequests(); });
    printer.start();
    QCoreApplication::exec();
    printer.stop();

    m_emulator.Stop();
    m_emulator.StopWorker();
    // The worker's last step may have reported the transaction that Stop
    // cut short; the session ends with the port closed, and says so last.
    SetLinkStatusText(LinkStatusText(result::kPortClosed));
    PrintServedRequests();

    if (!m_setup.saveOnExit.isEmpty()) {
        QString error;
        if (!WriteImageFile(m_setup.saveOnExit, CaptureImage(m_emulator.image()), error)) {
            Line(m_err, QStringLiteral("orvane: %1").arg(error));
            return kSaveExitCode;
        }
    }
    return 0;
}
