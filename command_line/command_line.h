// The program's command line: which port and line settings to serve for
// this run, an image file to start from, Run at start, and the unattended
// mode. Parsed without an application object, so that --help, --version
// and a wrong option never need a display.
#pragma once

#include <QString>
#include <QStringList>

#include "emulator/emulator.h"

struct CommandLineOptions
{
    // Line settings for this run only; none is stored.
    PortOverrides overrides;
    // --image: the memory image file loaded at start; empty for none.
    QString imageFile;
    // --save-on-exit: where the image is written when the program ends.
    QString saveOnExit;
    // --run: Run at start (implied by --headless).
    bool run = false;
    // --headless: serve without any window or display.
    bool headless = false;
};

struct CommandLineResult
{
    enum class Action
    {
        Start,       // go on with options
        ShowHelp,    // print text on standard output, exit 0
        ShowVersion, // likewise
        Fail,        // print text (one line) on standard error, exit kUsageExitCode
    };
    Action action = Action::Start;
    CommandLineOptions options;
    QString text;
};

// Exit codes of the program besides 0.
inline constexpr int kUsageExitCode = 1;
inline constexpr int kImageFileExitCode = 2;
inline constexpr int kPortExitCode = 3;
inline constexpr int kSaveExitCode = 4;

// arguments as the program got them, the program's name first. version is
// what --version prints after the program's name.
CommandLineResult ParseCommandLine(const QStringList& arguments, const QString& version);
