// The INI settings store on files in a temporary directory, including files
// edited by hand with values of the wrong type.
#include "ui/ini_settings_store.h"

#include "serial/link_settings.h"
#include "serial/settings_keys.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace keys = settings_keys;

class IniSettingsStoreTest : public ::testing::Test
{
protected:
    QString path(const QString& name = "settings.ini") const { return dir.filePath(name); }

    void writeFile(const QByteArray& text, const QString& name = "settings.ini")
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text), text.size());
    }

    // What a fresh reader of the file finds, past any cache of this process.
    QString fileText(const QString& name = "settings.ini") const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir dir;
};

TEST_F(IniSettingsStoreTest, IntegersRoundTripUnderNestedGroups)
{
    IniSettingsStore store(path());
    {
        auto key = store.OpenKey(keys::kLinkSettings, true);
        ASSERT_TRUE(key);
        key->WriteInteger(keys::kCommPort, 2);
        key->WriteInteger(keys::kBaudRate, INT32_MIN);
        key->WriteInteger(keys::kParity, INT32_MAX);
        EXPECT_TRUE(key->ValueExists(keys::kCommPort));
        EXPECT_FALSE(key->ValueExists(keys::kStopBits));
        EXPECT_EQ(key->ReadInteger(keys::kBaudRate), INT32_MIN);
    }
    const QString text = fileText();
    EXPECT_TRUE(text.contains("[Software]")) << text.toStdString();
    EXPECT_TRUE(text.contains("ORVANE\\Property\\CommPort=2")) << text.toStdString();

    IniSettingsStore again(path());
    auto key = again.OpenKey(keys::kLinkSettings, false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadInteger(keys::kCommPort), 2);
    EXPECT_EQ(key->ReadInteger(keys::kParity), INT32_MAX);
}

struct TypedCase
{
    const char* stored;
    bool integer;
    int32_t value;
};

// Values as a person or another program may leave them in the file.
TEST_F(IniSettingsStoreTest, OnlyDecimalTextsInInt32RangeAreIntegers)
{
    const TypedCase cases[] = {
        {"0", true, 0},
        {"-1", true, -1},
        {" 17 ", true, 17}, // blanks around a value are no part of it in INI
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"abc", false, 0},
        {"1.5", false, 0},
        {"99999999999", false, 0},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"+5", false, 0},
        {"0x10", false, 0},
        {"5abc", false, 0},
        {"true", false, 0},
        {"", false, 0},
        {"1, 2", false, 0},
        {"@ByteArray(AQID)", false, 0},
        {"@Invalid()", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        const QString name = QString("case%1.ini").arg(&c - cases);
        writeFile(QByteArray("[Software]\nORVANE\\Property\\CommPort=") + c.stored + "\n", name);
        IniSettingsStore store(path(name));
        auto key = store.OpenKey(keys::kLinkSettings, false);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key->ValueExists(keys::kCommPort));
        if (c.integer) {
            EXPECT_EQ(key->ReadInteger(keys::kCommPort), c.value);
        } else {
            try {
                key->ReadInteger(keys::kCommPort);
                ADD_FAILURE() << "read as integer";
            } catch (const SettingsError& error) {
                EXPECT_STREQ(error.what(), "Invalid data type for 'CommPort'");
            }
        }
    }
}

TEST_F(IniSettingsStoreTest, MissingIntegerIsAnError)
{
    IniSettingsStore store(path());
    auto key = store.OpenKey(keys::kLinkSettings, true);
    ASSERT_TRUE(key);
    EXPECT_THROW(key->ReadInteger(keys::kStopBits), SettingsError);
}

TEST_F(IniSettingsStoreTest, BinaryAndTextKeepTheirTypes)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<uint8_t>(i));
    {
        IniSettingsStore store(path());
        auto key = store.OpenKey("SOFTWARE\\orvane\\UI", true);
        ASSERT_TRUE(key);
        key->WriteBinary(keys::kWindowPlacement, bytes);
        key->WriteBinary("Empty", {});
        key->WriteInteger("Number", 5);
        EXPECT_EQ(key->ReadBinary(keys::kWindowPlacement), bytes);
        EXPECT_FALSE(key->ReadText(keys::kWindowPlacement));
        EXPECT_FALSE(key->ReadBinary("Number"));
        EXPECT_FALSE(key->ReadBinary("Missing"));
    }
    IniSettingsStore again(path());
    auto key = again.OpenKey("SOFTWARE\\orvane\\UI", false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadBinary(keys::kWindowPlacement), bytes);
    EXPECT_EQ(key->ReadBinary("Empty"), std::vector<uint8_t>{});
    EXPECT_THROW(key->ReadInteger(keys::kWindowPlacement), SettingsError);
}

TEST_F(IniSettingsStoreTest, TextsWrittenByHand)
{
    writeFile("[Software]\nORVANE\\Ports\\COM1=/dev/ttyUSB0\nORVANE\\Ports\\COM2=\"/dev/a,b\"\n"
              "ORVANE\\Ports\\COM3=/dev/a,b\nORVANE\\Ports\\COM4=@ByteArray(/dev/x)\n");
    IniSettingsStore store(path());
    auto key = store.OpenKey(keys::kPorts, false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadText("COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(key->ReadText("COM2"), "/dev/a,b");
    EXPECT_FALSE(key->ReadText("COM3")); // an INI list, not a text
    EXPECT_FALSE(key->ReadText("COM4"));
    EXPECT_FALSE(key->ReadText("COM5"));
}

TEST_F(IniSettingsStoreTest, TextsWrittenAndDeleted)
{
    IniSettingsStore store(path());
    store.OpenKey(keys::kLinkSettings, true)->WriteInteger(keys::kCommPort, 1);
    {
        auto key = store.OpenKey(keys::kPorts, true);
        ASSERT_TRUE(key);
        key->WriteText("COM1", "/dev/serial/by-id/usb-Maker_Cable_A1-if00-port0");
        key->WriteText("COM2", "pty");
        key->WriteText("COM3", "@/dev/a,b"); // what INI would read as a list or a type tag
        key->WriteText("COM4", "5");
    }
    {
        IniSettingsStore again(path());
        auto key = again.OpenKey(keys::kPorts, false);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->ReadText("COM1"), "/dev/serial/by-id/usb-Maker_Cable_A1-if00-port0");
        EXPECT_EQ(key->ReadText("COM3"), "@/dev/a,b");
        EXPECT_EQ(key->ReadText("COM4"), "5");
        key->DeleteValue("COM1");
        key->DeleteValue("COM9"); // missing: nothing to do
        key->DeleteValue("");     // no name: the rest of the key stays
        EXPECT_FALSE(key->ValueExists("COM1"));
        EXPECT_EQ(key->ReadText("COM2"), "pty");
    }
    QString text = fileText();
    EXPECT_FALSE(text.contains("COM1")) << text.toStdString();
    EXPECT_TRUE(text.contains("ORVANE\\Ports\\COM2=pty")) << text.toStdString();

    auto key = store.OpenKey(keys::kPorts, false);
    ASSERT_TRUE(key);
    for (const char* name : {"COM2", "COM3", "COM4"})
        key->DeleteValue(name);
    EXPECT_FALSE(store.OpenKey(keys::kPorts, false));
    text = fileText();
    EXPECT_FALSE(text.contains("Ports")) << text.toStdString();
    EXPECT_TRUE(text.contains("ORVANE\\Property\\CommPort=1")) << text.toStdString();

    // The last value of the file's only section takes the section along.
    store.OpenKey(keys::kLinkSettings, false)->DeleteValue(keys::kCommPort);
    text = fileText();
    EXPECT_FALSE(text.contains("[Software]")) << text.toStdString();
}

TEST_F(IniSettingsStoreTest, KeysExistOnlyWithContentAndUnusableFilesOpenNothing)
{
    IniSettingsStore store(path());
    EXPECT_FALSE(store.OpenKey(keys::kPorts, false));
    EXPECT_TRUE(store.OpenKey(keys::kPorts, true));
    store.OpenKey(keys::kLinkSettings, true)->WriteInteger(keys::kCommPort, 1);
    EXPECT_TRUE(store.OpenKey(keys::kLinkSettings, false));
    EXPECT_TRUE(store.OpenKey("Software\\ORVANE", false));
    EXPECT_FALSE(store.OpenKey(keys::kPorts, false));

    // A directory where the file should be cannot be read.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    IniSettingsStore folder(path("folder.ini"));
    EXPECT_FALSE(folder.OpenKey(keys::kLinkSettings, true));
    EXPECT_FALSE(folder.OpenKey(keys::kLinkSettings, false));

    // A file where its folder should be leaves nowhere to write.
    writeFile("", "plain");
    IniSettingsStore nowhere(path("plain/settings.ini"));
    EXPECT_FALSE(nowhere.OpenKey(keys::kLinkSettings, true));
    LinkSettings settings{3, 4, 0, 0, 1};
    EXPECT_FALSE(LoadLinkSettings(nowhere, settings));
    EXPECT_EQ(settings, (LinkSettings{3, 4, 0, 0, 1}));
}

TEST_F(IniSettingsStoreTest, FailedWriteIsReported)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    IniSettingsStore store(path("sub/settings.ini"));
    auto key = store.OpenKey(keys::kLinkSettings, true);
    ASSERT_TRUE(key);
    ASSERT_TRUE(QDir(path("sub")).removeRecursively());
    writeFile("", "sub"); // the folder is now a file
    EXPECT_THROW(key->WriteInteger(keys::kCommPort, 1), SettingsError);
    EXPECT_THROW(key->WriteText(keys::kCommPort, "/dev/ttyS0"), SettingsError);
    EXPECT_THROW(key->DeleteValue(keys::kCommPort), SettingsError);
}

TEST_F(IniSettingsStoreTest, LinkSettingsThroughTheFile)
{
    writeFile("[Software]\nORVANE\\Property\\BaudRate=6\n");
    IniSettingsStore store(path());
    LinkSettings settings;
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_EQ(settings, (LinkSettings{0, 6, 1, 1, 0}));
    const QString text = fileText();
    for (const char* line : {"ORVANE\\Property\\CommPort=0", "ORVANE\\Property\\BaudRate=6",
                             "ORVANE\\Property\\Parity=1", "ORVANE\\Property\\DataBits=1",
                             "ORVANE\\Property\\StopBits=0"})
        EXPECT_TRUE(text.contains(line)) << line << "\n" << text.toStdString();

    writeFile("[Software]\nORVANE\\Property\\CommPort=2\nORVANE\\Property\\BaudRate=fast\n", "typo.ini");
    IniSettingsStore typo(path("typo.ini"));
    try {
        LoadLinkSettings(typo, settings);
        FAIL() << "no error";
    } catch (const SettingsError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Invalid data type for 'BaudRate' (key Software\\ORVANE\\Property in " +
                      path("typo.ini").toStdString() + ")");
    }
    EXPECT_EQ(settings.CommPort, 2);
}

// Each test runs in a process of its own, so the user-scope path is looked up
// here for the first time and follows XDG_CONFIG_HOME.
TEST_F(IniSettingsStoreTest, PerUserFileLiesUnderXdgConfigHome)
{
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1), 0);
    IniSettingsStore store;
    EXPECT_EQ(store.FilePath(), dir.filePath("ORVANE/orvane.ini"));
    LinkSettings settings;
    ASSERT_TRUE(LoadLinkSettings(store, settings));
    EXPECT_TRUE(QFile::exists(dir.filePath("ORVANE/orvane.ini")));
}

} // namespace
