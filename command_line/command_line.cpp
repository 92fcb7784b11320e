// Options through QCommandLineParser; every value is checked here, so that
// what reaches the emulator is in range and a mistake is one plain line.
#include "command_line/command_line.h"

#include <QCommandLineParser>

namespace {

const QString kPort = QStringLiteral("port");
const QString kBaud = QStringLiteral("baud");
const QString kParity = QStringLiteral("parity");
const QString kDataBits = QStringLiteral("data-bits");
const QString kStopBits = QStringLiteral("stop-bits");
const QString kImage = QStringLiteral("image");
const QString kRun = QStringLiteral("run");
const QString kHeadless = QStringLiteral("headless");
const QString kSaveOnExit = QStringLiteral("save-on-exit");

constexpr int kMaxPathLength = 255;

bool IsComName(const QString& name)
{
    if (!name.startsWith(QLatin1String("COM")) || name.size() < 4 || name.size() > 6 ||
        name.at(3) == QLatin1Char('0'))
        return false;
    bool ok = false;
    const int number = name.mid(3).toInt(&ok, 10);
    return ok && number >= 1 && number <= 255 && name.mid(3) == QString::number(number);
}

bool IsUsablePath(const QString& path)
{
    if (!path.startsWith(QLatin1Char('/')) || path.toUtf8().size() > kMaxPathLength)
        return false;
    for (const QChar c : path)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    return true;
}

// An integer from first to last, written in decimal.
std::optional<long> Integer(const QString& text, long first, long last)
{
    bool ok = false;
    const long value = text.toLong(&ok, 10);
    if (!ok || value < first || value > last || text.trimmed() != text)
        return std::nullopt;
    return value;
}

CommandLineResult Failure(const QString& text)
{
    CommandLineResult result;
    result.action = CommandLineResult::Action::Fail;
    result.text = text;
    return result;
}

} // namespace

CommandLineResult ParseCommandLine(const QStringList& arguments, const QString& version)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Orvane stands in for a programmable logic controller on a serial line "
                       "and serves a PG's AS511 requests from its memory image."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOptions({
        {kPort,
         QStringLiteral("The port to serve: COM1 to COM255 (through the port mapping), a device "
                        "path, or pty for a virtual port."),
         QStringLiteral("COMn|PATH|pty")},
        {kBaud, QStringLiteral("Bits per second, 110 to 921600."), QStringLiteral("N")},
        {kParity, QStringLiteral("Parity: none, odd, even, mark or space."),
         QStringLiteral("PARITY")},
        {kDataBits, QStringLiteral("Data bits, 5 to 8."), QStringLiteral("N")},
        {kStopBits, QStringLiteral("Stop bits, 1 or 2."), QStringLiteral("N")},
        {kImage, QStringLiteral("Start from the memory image in FILE."), QStringLiteral("FILE")},
        {kRun, QStringLiteral("Run at start.")},
        {kHeadless,
         QStringLiteral("Serve without a window or display (implies --run): each served "
                        "request on standard output, the link status on standard error; "
                        "SIGINT or SIGTERM ends it.")},
        {kSaveOnExit, QStringLiteral("Write the memory image to FILE when the program ends."),
         QStringLiteral("FILE")},
    });

    const QString program = arguments.isEmpty() ? QStringLiteral("orvane") : arguments.first();
    if (!parser.parse(arguments.isEmpty() ? QStringList{program} : arguments))
        return Failure(parser.errorText() + QStringLiteral(" (try --help)"));

    CommandLineResult result;
    if (parser.isSet(help)) {
        result.action = CommandLineResult::Action::ShowHelp;
        // Without an application object the parser cannot know the program's name.
        result.text = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("orvane"));
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = CommandLineResult::Action::ShowVersion;
        result.text = QStringLiteral("orvane %1\n").arg(version.isEmpty() ? QStringLiteral("(unknown version)") : version);
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return Failure(QStringLiteral("unexpected argument '%1' (try --help)")
                           .arg(parser.positionalArguments().first()));
    // A value given twice is a mistake rather than a choice of the last.
    for (const QString& name : {kPort, kBaud, kParity, kDataBits, kStopBits, kImage, kSaveOnExit})
        if (parser.values(name).size() > 1)
            return Failure(QStringLiteral("--%1 given more than once").arg(name));

    CommandLineOptions& options = result.options;
    PortOverrides& overrides = options.overrides;
    if (parser.isSet(kPort)) {
        const QString port = parser.value(kPort);
        if (!IsComName(port) && !IsUsablePath(port) && port != QLatin1String("pty"))
            return Failure(QStringLiteral("--port: '%1' is not COM1 to COM255, an absolute device "
                                          "path or pty")
                               .arg(port));
        overrides.deviceName = port.toStdString();
    }
    if (parser.isSet(kBaud)) {
        const auto baud = Integer(parser.value(kBaud), 110, 921600);
        if (!baud)
            return Failure(QStringLiteral("--baud: '%1' is not a rate from 110 to 921600")
                               .arg(parser.value(kBaud)));
        overrides.baudRate = static_cast<uint32_t>(*baud);
    }
    if (parser.isSet(kParity)) {
        static const QStringList kNames = {QStringLiteral("none"), QStringLiteral("odd"),
                                           QStringLiteral("even"), QStringLiteral("mark"),
                                           QStringLiteral("space")};
        const qsizetype code = kNames.indexOf(parser.value(kParity).toLower());
        if (code < 0)
            return Failure(QStringLiteral("--parity: '%1' is not none, odd, even, mark or space")
                               .arg(parser.value(kParity)));
        overrides.parity = static_cast<uint8_t>(code);
    }
    if (parser.isSet(kDataBits)) {
        const auto bits = Integer(parser.value(kDataBits), 5, 8);
        if (!bits)
            return Failure(QStringLiteral("--data-bits: '%1' is not 5, 6, 7 or 8")
                               .arg(parser.value(kDataBits)));
        overrides.dataBits = static_cast<uint8_t>(*bits);
    }
    if (parser.isSet(kStopBits)) {
        const auto bits = Integer(parser.value(kStopBits), 1, 2);
        if (!bits)
            return Failure(
                QStringLiteral("--stop-bits: '%1' is not 1 or 2").arg(parser.value(kStopBits)));
        overrides.stopBits = static_cast<uint8_t>(*bits == 1 ? 0 : 2);
    }
    for (const QString& name : {kImage, kSaveOnExit}) {
        if (parser.isSet(name) && parser.value(name).isEmpty())
            return Failure(QStringLiteral("--%1: a file name is needed").arg(name));
    }
    options.imageFile = parser.value(kImage);
    options.saveOnExit = parser.value(kSaveOnExit);
    options.headless = parser.isSet(kHeadless);
    options.run = parser.isSet(kRun) || options.headless;
    return result;
}
