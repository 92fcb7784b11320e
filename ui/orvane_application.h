// The application object: an error that escapes an operator's command is
// shown in the standard error box and the program goes on.
#pragma once

#include <QApplication>

class OrvaneApplication : public QApplication
{
public:
    OrvaneApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an escaped error; tests replace it to see what would be shown.
    static void ShowError(const QString& message);
    using ErrorSink = void (*)(const QString& message);
    static void SetErrorSink(ErrorSink sink);
};
