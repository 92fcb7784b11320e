// The unattended mode: the emulated controller served without any window,
// under a plain Qt Core event loop. Each served request is one line on
// standard output (the text of the request log), every change of the link
// status one line on standard error; SIGINT or SIGTERM ends it cleanly,
// with the port closed, the worker joined and, if asked for, the image
// written to a file.
#pragma once

#include <QString>
#include <cstdio>
#include <optional>
#include <string>

#include "core/image_snapshot.h"
#include "core/runner_host.h"
#include "emulator/emulator.h"

class SettingsStore;

class HeadlessSession : public RunnerHost
{
public:
    struct Setup
    {
        PortOverrides overrides;
        // The image to start from; the defaults when empty.
        std::optional<ImageSnapshot> image;
        // Where to write the image at the end; nowhere when empty.
        QString saveOnExit;
    };

    // out and err are where the lines go (standard output and error).
    HeadlessSession(SettingsStore& store, Setup setup, std::FILE* out, std::FILE* err);

    // Runs until a stop signal (or until Quit); needs a QCoreApplication.
    // 0 after a clean end; kPortExitCode when the port cannot be opened,
    // kSaveExitCode when the image could not be written at the end.
    int Exec();

    Emulator& emulator() { return m_emulator; }

    // RunnerHost, on the event loop's thread.
    void SetLinkStatusText(const std::string& text) override;
    void RepaintLamps() override {}
    void ShowOpenFailure(const std::string& reason) override;

private:
    void PrintServedRequests();
    void Line(std::FILE* to, const QString& text);

    Setup m_setup;
    std::FILE* m_out;
    std::FILE* m_err;
    Emulator m_emulator;
    std::string m_openFailure;
    std::string m_shownStatus;
};
