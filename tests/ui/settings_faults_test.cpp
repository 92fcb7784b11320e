// A hand-edited settings file never keeps the program from starting: each
// bad value gives a clear message or its default, the window opens, Run
// opens what the good values say, and nothing wrong is written back.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "serial/kiv_comm_port.h"
#include "ui/main_window_harness.h"
#include "ui/window_placement.h"

namespace {

class SettingsFaults : public ::testing::Test
{
protected:
    void WriteFile(const QByteArray& text)
    {
        QFile file(harness.store().FilePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    QByteArray FileText()
    {
        QFile file(harness.store().FilePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Makes and shows the window, collecting what it tells the operator.
    TFormMain& Open()
    {
        TFormMain& w = harness.Create();
        w.SetWarningSink([this](const QString& text) { warnings << text; });
        w.SetOpenFailureSink([this](const std::string& reason) { failures.push_back(reason); });
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTest::qWait(50); // the start-up message comes from the event loop
        return w;
    }

    MainWindowHarness harness;
    QStringList warnings;
    std::vector<std::string> failures;
};

TEST_F(SettingsFaults, ValuesOfTheWrongTypeAreNamedAndTheWindowOpens)
{
    struct Case
    {
        const char* name;
        QByteArray file;
        const char* named;       // the value the message names, "" for none
        uint32_t baud;           // what Run then asks the port for
        QByteArray keptInFile;   // the bad text stays until the dialog fixes it
    };
    const Case cases[] = {
        {"a word", "[Software]\nORVANE\\Property\\CommPort=COM2\n", "CommPort", 9600,
         "CommPort=COM2"},
        {"a fraction", "[Software]\nORVANE\\Property\\BaudRate=9600.5\n", "BaudRate", 9600,
         "BaudRate=9600.5"},
        {"too big", "[Software]\nORVANE\\Property\\BaudRate=99999999999\n", "BaudRate", 9600,
         "BaudRate=99999999999"},
        {"binary", "[Software]\nORVANE\\Property\\Parity=@ByteArray(\\x1)\n", "Parity", 9600, ""},
        {"empty", "[Software]\nORVANE\\Property\\StopBits=\nORVANE\\Property\\BaudRate=6\n",
         "StopBits", 115200, ""},
        {"a list", "[Software]\nORVANE\\Property\\DataBits=1, 2\n", "DataBits", 9600, ""},
        {"out of range", "[Software]\nORVANE\\Property\\BaudRate=77\nORVANE\\Property\\CommPort=-4\n",
         "", 9600, "BaudRate=77"},
        {"missing key", "", "", 9600, ""},
        {"garbage lines", "\x01\x02\x03[[[\n===\n[Software\nnonsense", "", 9600, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(c.file);
        warnings.clear();
        failures.clear();
        harness.MapPort("COM1", "/dev/orvane-settings-test-none");
        TFormMain& w = Open();
        ASSERT_TRUE(w.isVisible());
        if (*c.named) {
            ASSERT_EQ(warnings.size(), 1);
            EXPECT_TRUE(warnings[0].contains(QStringLiteral("Invalid data type for '%1'").arg(c.named)))
                << warnings[0].toStdString();
            EXPECT_TRUE(warnings[0].contains(harness.store().FilePath())) << warnings[0].toStdString();
            EXPECT_TRUE(warnings[0].contains(QStringLiteral("Software\\ORVANE\\Property")));
        } else {
            EXPECT_TRUE(warnings.isEmpty()) << warnings.join('|').toStdString();
        }
        if (!c.keptInFile.isEmpty()) {
            EXPECT_TRUE(FileText().contains(c.keptInFile)) << FileText().toStdString();
        }
        // Run, where a bad value would abandon the command: only good
        // values reach the port.
        if (!*c.named) {
            w.action("EmulationRun")->trigger();
            ASSERT_EQ(failures.size(), 1u);
            EXPECT_EQ(w.port().deviceName(), "COM1");
            EXPECT_EQ(w.port().baudRate(), c.baud);
        }
        w.close();
        harness.Destroy();
    }
}

TEST_F(SettingsFaults, APlacementOfTheWrongSizeOpensTheDesignedWindow)
{
    for (const QByteArray& value : {QByteArray("@ByteArray(\\0\\0\\0\\0)"), QByteArray("44"),
                                   QByteArray("@ByteArray(") + QByteArray(60, 'x') + ")"}) {
        WriteFile("[SOFTWARE]\n" + ExeBaseName(QCoreApplication::applicationFilePath()).toUtf8() + "\\UI\\WindowPlacement=" +
                  value + "\n");
        TFormMain& w = Open();
        EXPECT_EQ(w.size(), QSize(794, 565)) << value.toStdString();
        w.close();
        harness.Destroy();
    }
}

TEST_F(SettingsFaults, AMappedPathThatIsNoSerialDeviceIsRefusedWithItsReason)
{
    struct Case
    {
        std::string device;
        const char* reason;
    };
    const std::string folder = QFileInfo(harness.store().FilePath()).path().toStdString();
    QFile regular(QString::fromStdString(folder + "/plain-file"));
    ASSERT_TRUE(regular.open(QIODevice::WriteOnly));
    regular.close();
    const Case cases[] = {
        {folder, "it is a directory, not a serial device"},
        {folder + "/plain-file", "it is not a serial device"},
        {"/dev/null", "it is not a serial device"},
        {"/dev/orvane-no-such-device", "no such device"},
    };
    for (const Case& c : cases) {
        harness.MapPort("COM1", c.device);
        failures.clear();
        TFormMain& w = Open();
        w.action("EmulationRun")->trigger();
        ASSERT_EQ(failures.size(), 1u) << c.device;
        EXPECT_EQ(failures[0], "COM1 (" + c.device + "): " + c.reason);
        EXPECT_FALSE(w.port().IsOpen());
        EXPECT_EQ(w.statusBar().PanelText(1), "OFF LINE");
        w.close();
        harness.Destroy();
    }
}

} // namespace
