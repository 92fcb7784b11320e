// The command line as a table: what each good set of options asks for, and
// the one-line message of each mistake.
#include <gtest/gtest.h>

#include "command_line/command_line.h"

namespace {

using Action = CommandLineResult::Action;

CommandLineResult Parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("orvane"));
    return ParseCommandLine(arguments, QStringLiteral("1.3.0.4"));
}

TEST(CommandLineTest, GoodOptions)
{
    struct Case
    {
        QStringList arguments;
        PortOverrides overrides;
        bool run;
        bool headless;
    };
    PortOverrides everything;
    everything.deviceName = "COM3";
    everything.baudRate = 19200;
    everything.parity = 1;
    everything.dataBits = 7;
    everything.stopBits = 2;
    PortOverrides path;
    path.deviceName = "/dev/ttyUSB0";
    PortOverrides pty;
    pty.deviceName = "pty";
    pty.parity = 4;
    pty.stopBits = 0;
    PortOverrides mark;
    mark.parity = 3;
    mark.dataBits = 5;
    mark.baudRate = 110;
    PortOverrides fastest;
    fastest.baudRate = 921600;
    fastest.parity = 0;
    fastest.dataBits = 8;
    const Case cases[] = {
        {{}, {}, false, false},
        {{"--run"}, {}, true, false},
        {{"--headless"}, {}, true, true},
        {{"--port", "COM3", "--baud", "19200", "--parity", "odd", "--data-bits", "7",
          "--stop-bits", "2"},
         everything, false, false},
        {{"--port=/dev/ttyUSB0", "--run"}, path, true, false},
        {{"--headless", "--port", "pty", "--parity", "SPACE", "--stop-bits", "1"}, pty, true, true},
        {{"--parity", "mark", "--data-bits", "5", "--baud", "110"}, mark, false, false},
        {{"--baud", "921600", "--parity", "none", "--data-bits", "8"}, fastest, false, false},
    };
    for (const Case& c : cases) {
        const CommandLineResult result = Parse(c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        ASSERT_EQ(result.action, Action::Start) << result.text.toStdString();
        const PortOverrides& got = result.options.overrides;
        EXPECT_EQ(got.deviceName, c.overrides.deviceName);
        EXPECT_EQ(got.baudRate, c.overrides.baudRate);
        EXPECT_EQ(got.parity, c.overrides.parity);
        EXPECT_EQ(got.dataBits, c.overrides.dataBits);
        EXPECT_EQ(got.stopBits, c.overrides.stopBits);
        EXPECT_EQ(result.options.run, c.run);
        EXPECT_EQ(result.options.headless, c.headless);
    }

    const CommandLineResult files =
        Parse({"--image", "start.json", "--save-on-exit", "/tmp/end.json", "--headless"});
    ASSERT_EQ(files.action, Action::Start);
    EXPECT_EQ(files.options.imageFile, "start.json");
    EXPECT_EQ(files.options.saveOnExit, "/tmp/end.json");
}

TEST(CommandLineTest, HelpAndVersion)
{
    const CommandLineResult help = Parse({"--help"});
    EXPECT_EQ(help.action, Action::ShowHelp);
    for (const char* part : {"Usage: orvane", "--port", "--baud", "--parity", "--data-bits",
                             "--stop-bits", "--image", "--run", "--headless", "--save-on-exit"})
        EXPECT_TRUE(help.text.contains(QLatin1String(part))) << part;

    const CommandLineResult version = Parse({"--version"});
    EXPECT_EQ(version.action, Action::ShowVersion);
    EXPECT_EQ(version.text, "orvane 1.3.0.4\n");
}

TEST(CommandLineTest, MistakesGiveOneLine)
{
    struct Case
    {
        QStringList arguments;
        const char* message;
    };
    const Case cases[] = {
        {{"--colour"}, "Unknown option 'colour'. (try --help)"},
        {{"--port"}, "Missing value after '--port'. (try --help)"},
        {{"--port", "COM0"}, "--port: 'COM0' is not COM1 to COM255, an absolute device path or pty"},
        {{"--port", "COM256"}, "--port: 'COM256' is not COM1 to COM255, an absolute device path or pty"},
        {{"--port", "com1"}, "--port: 'com1' is not COM1 to COM255, an absolute device path or pty"},
        {{"--port", "ttyUSB0"}, "--port: 'ttyUSB0' is not COM1 to COM255, an absolute device path or pty"},
        {{"--port", "/dev/tty\x01"}, "is not COM1 to COM255"},
        {{"--port", "/" + QString(300, 'a')}, "is not COM1 to COM255"},
        {{"--baud", "100"}, "--baud: '100' is not a rate from 110 to 921600"},
        {{"--baud", "1000000"}, "--baud: '1000000' is not a rate from 110 to 921600"},
        {{"--baud", "9600x"}, "--baud: '9600x' is not a rate from 110 to 921600"},
        {{"--baud", "-9600"}, "--baud: '-9600' is not a rate from 110 to 921600"},
        {{"--baud", ""}, "--baud: '' is not a rate from 110 to 921600"},
        {{"--parity", "e"}, "--parity: 'e' is not none, odd, even, mark or space"},
        {{"--data-bits", "4"}, "--data-bits: '4' is not 5, 6, 7 or 8"},
        {{"--data-bits", "9"}, "--data-bits: '9' is not 5, 6, 7 or 8"},
        {{"--stop-bits", "1.5"}, "--stop-bits: '1.5' is not 1 or 2"},
        {{"--stop-bits", "0"}, "--stop-bits: '0' is not 1 or 2"},
        {{"--image", ""}, "--image: a file name is needed"},
        {{"--save-on-exit="}, "--save-on-exit: a file name is needed"},
        {{"--baud", "9600", "--baud", "19200"}, "--baud given more than once"},
        {{"COM1"}, "unexpected argument 'COM1' (try --help)"},
    };
    for (const Case& c : cases) {
        const CommandLineResult result = Parse(c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(result.action, Action::Fail);
        EXPECT_TRUE(result.text.contains(QLatin1String(c.message))) << result.text.toStdString();
        EXPECT_FALSE(result.text.contains('\n'));
    }
}

} // namespace
