// Program entry: the command line first (help, version and mistakes need
// no display), then an image file to start from, then either the unattended
// mode under a Qt Core event loop or the application with the main window
// and its dialogs. An error that escapes start-up is shown and ends the
// program. Both modes end cleanly on SIGINT and SIGTERM.
#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <optional>

#include "command_line/command_line.h"
#include "core/image_snapshot.h"
#include "core/plc_image.h"
#include "emulator/emulator.h"
#include "image_file/image_file.h"
#include "ui/about_box.h"
#include "ui/form_config.h"
#include "ui/form_main.h"
#include "ui/form_value.h"
#include "ui/ini_settings_store.h"
#include "ui/orvane_application.h"
#include "ui/version_info.h"
#include "unattended/headless_session.h"
#include "unattended/stop_signals.h"

namespace {

void Print(std::FILE* to, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    if (!bytes.endsWith('\n'))
        std::fputc('\n', to);
}

QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The program file's own version record, found without an application object.
QString ProgramVersion()
{
    return VersionInfoString(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(),
                             QStringLiteral("FileVersion"));
}

int RunWindow(int argc, char** argv, const CommandLineOptions& options,
              const std::optional<ImageSnapshot>& image)
{
    OrvaneApplication app(argc, argv);
    try {
        IniSettingsStore store;
        TFormMain formMain(store);
        TFormValue formValue(&formMain);
        TAboutBox aboutBox(&formMain);
        TFormConfig formConfig(store, &formMain);
        formMain.SetDialogs(&formValue, &aboutBox, &formConfig);
        formMain.emulator().SetOverrides(options.overrides);
        if (image)
            ApplyImage(formMain.image(), *image);
        formMain.show();
        // SIGTERM (a logout, a script, kill) or ^C in the starting shell
        // ends the program as closing its window does: the port closed, a
        // virtual port's link removed, the placement and --save-on-exit
        // written. Every other window goes with it.
        StopSignals stops;
        QObject::connect(&stops, &StopSignals::stopRequested, &app, [] {
            QApplication::closeAllWindows();
            QCoreApplication::quit();
        });
        if (options.run)
            QTimer::singleShot(0, &formMain, [&formMain] { formMain.action("EmulationRun")->trigger(); });
        const int code = app.exec();
        if (!options.saveOnExit.isEmpty()) {
            QString error;
            if (!WriteImageFile(options.saveOnExit, CaptureImage(formMain.image()), error)) {
                Print(stderr, QStringLiteral("orvane: %1").arg(error));
                return kSaveExitCode;
            }
        }
        return code;
    } catch (const std::exception& e) {
        OrvaneApplication::ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        OrvaneApplication::ShowError(QStringLiteral("Unknown error"));
    }
    return 1;
}

int RunHeadless(int argc, char** argv, const CommandLineOptions& options,
                const std::optional<ImageSnapshot>& image)
{
    // No widget, no display, no platform plugin.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
    QCoreApplication::setOrganizationName(QStringLiteral("ORVANE"));
    try {
        IniSettingsStore store;
        HeadlessSession::Setup setup;
        setup.overrides = options.overrides;
        setup.image = image;
        setup.saveOnExit = options.saveOnExit;
        HeadlessSession session(store, std::move(setup), stdout, stderr);
        return session.Exec();
    } catch (const std::exception& e) {
        Print(stderr, QStringLiteral("orvane: %1").arg(QString::fromUtf8(e.what())));
    }
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const CommandLineResult parsed = ParseCommandLine(Arguments(argc, argv), ProgramVersion());
    switch (parsed.action) {
    case CommandLineResult::Action::ShowHelp:
    case CommandLineResult::Action::ShowVersion:
        Print(stdout, parsed.text);
        return 0;
    case CommandLineResult::Action::Fail:
        Print(stderr, QStringLiteral("orvane: %1").arg(parsed.text));
        return kUsageExitCode;
    case CommandLineResult::Action::Start:
        break;
    }
    const CommandLineOptions& options = parsed.options;

    std::optional<ImageSnapshot> image;
    if (!options.imageFile.isEmpty()) {
        QString error;
        image = ReadImageFile(options.imageFile, error);
        if (!image) {
            // Errors of the file itself name it already; those of its contents do not.
            if (!error.contains(options.imageFile))
                error = options.imageFile + QStringLiteral(": ") + error;
            Print(stderr, QStringLiteral("orvane: %1").arg(error));
            return kImageFileExitCode;
        }
    }
    return options.headless ? RunHeadless(argc, argv, options, image)
                            : RunWindow(argc, argv, options, image);
}
