#include "ui/orvane_application.h"

#include <QMessageBox>
#include <exception>

namespace {
OrvaneApplication::ErrorSink g_errorSink = nullptr;
} // namespace

OrvaneApplication::OrvaneApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Orvane"));
    setApplicationDisplayName(QStringLiteral("Orvane"));
    setOrganizationName(QStringLiteral("ORVANE"));
}

bool OrvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return false;
}

void OrvaneApplication::SetErrorSink(ErrorSink sink)
{
    g_errorSink = sink;
}

void OrvaneApplication::ShowError(const QString& message)
{
    if (g_errorSink) {
        g_errorSink(message);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationDisplayName(),
                          message);
}
