// The real program in its unattended mode, started as a script would start
// it, with no display at all: a PG on a pty reads what the image file holds
// and writes new values, SIGTERM ends it, and the image it saves holds the
// writes. Also its exit codes for the mistakes a script can make.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>

#include "core/image_snapshot.h"
#include "core/plc_image.h"
#include "image_file/image_file.h"
#include "support/pg_device.h"
#include "support/pg_requests.h"
#include "support/program_process.h"
#include "support/pty_pair.h"

namespace {

using Bytes = std::vector<uint8_t>;

class Headless : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    std::string path(const char* name) const { return m_dir.filePath(name).toStdString(); }

    // A run with nothing of the test's display or settings: only what a
    // build server would have.
    std::map<std::string, std::string> Environment() const
    {
        return {{"DISPLAY", ""},
                {"WAYLAND_DISPLAY", ""},
                {"QT_QPA_PLATFORM", ""},
                {"XDG_CONFIG_HOME", path("config")},
                {"XDG_RUNTIME_DIR", path("run")}};
    }

    std::unique_ptr<ProgramProcess> Start(const std::vector<std::string>& arguments)
    {
        QDir().mkpath(m_dir.filePath("run"));
        return std::make_unique<ProgramProcess>(ORVANE_PROGRAM, arguments, Environment());
    }

    void WriteImage(const char* name, const ImageSnapshot& image)
    {
        QString error;
        ASSERT_TRUE(WriteImageFile(m_dir.filePath(name), image, error)) << error.toStdString();
    }

    QTemporaryDir m_dir;
};

TEST_F(Headless, ServesTheImageFileAndSavesWhatThePgWrote)
{
    ImageSnapshot start = CaptureImage(PlcImage());
    start.dbWords[5][3] = 0x1234;
    start.merkers[7] = 0x56;
    start.running = false;
    WriteImage("start.json", start);
    PtyPair pty;
    ASSERT_TRUE(pty.ok());

    auto program = Start({"--headless", "--port", pty.slavePath(), "--image", path("start.json"),
                          "--save-on-exit", path("end.json")});
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(program->WaitForError("PG device " + pty.slavePath() + "\n", 10000))
        << program->err();
    EXPECT_NE(program->err().find("link ON LINE"), std::string::npos);

    EXPECT_TRUE(pty.play(pg::ReadMemory(0xDB90, 0xDB91, Bytes{0x12, 0x34}), 2000));
    EXPECT_TRUE(pty.play(pg::ReadMemory(0xEE07, 0xEE07, Bytes{0x56}), 2000));
    EXPECT_TRUE(pty.play(pg::ReadMemory(0xEA0C, 0xEA0C, Bytes{0x48}), 2000)); // STOP, battery OK
    EXPECT_TRUE(pty.play(pg::WriteMemory(0xEE08, Bytes{0x99}), 2000));
    EXPECT_TRUE(pty.play(pg::WriteMemory(0xEC04, Bytes{0x01, 0x02}), 2000));

    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(10000), 0) << program->err();
    const std::string& out = program->out();
    for (const char* line : {"Block Read  (DB 5, DW 3): 4660\n", "Block Read  (MB 7): 86\n",
                             "Block Read  (System): 72\n", "Block Write (MB 8): 153\n",
                             "Block Write (T 2): 258\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
    // The last link status it reports is the closed port, whatever the
    // worker's last step saw.
    const std::string& err = program->err();
    const size_t lastLink = err.rfind("orvane: link ");
    ASSERT_NE(lastLink, std::string::npos) << err;
    EXPECT_EQ(err.substr(lastLink, err.find('\n', lastLink) - lastLink), "orvane: link OFF LINE")
        << err;

    QString error;
    const auto saved = ReadImageFile(m_dir.filePath("end.json"), error);
    ASSERT_TRUE(saved) << error.toStdString();
    ImageSnapshot expected = start;
    expected.merkers[8] = 0x99;
    expected.timers[2] = 0x0102;
    EXPECT_TRUE(*saved == expected);
}

TEST_F(Headless, AVirtualPortServesAPgThatComesAndGoesAndIsGoneAtExit)
{
    auto program = Start({"--headless", "--port", "pty"});
    const std::string link = path("run") + "/orvane/pty";
    ASSERT_TRUE(program->WaitForError("PG device " + link + "\n", 10000)) << program->err();
    for (const char parity : {'E', 'N', 'O'}) {
        PgDevice pg(link, parity == 'N' ? 9600 : 19200, parity);
        ASSERT_TRUE(pg.ok()) << pg.error();
        EXPECT_TRUE(pg.play(pg::WriteMemory(0xEE20, Bytes{static_cast<uint8_t>(parity)}), 2000));
        EXPECT_TRUE(pg.play(pg::ReadMemory(0xEE20, 0xEE20, Bytes{static_cast<uint8_t>(parity)}), 2000));
    }
    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(10000), 0) << program->err();
    EXPECT_EQ(std::count(program->out().begin(), program->out().end(), '\n'), 6);
    EXPECT_FALSE(QFileInfo(QString::fromStdString(link)).isSymLink());
}

TEST_F(Headless, SigintEndsItCleanlyToo)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    auto program = Start({"--headless", "--port", pty.slavePath()});
    ASSERT_TRUE(program->WaitForError("link ON LINE", 10000)) << program->err();
    program->Signal(SIGINT);
    EXPECT_EQ(program->Wait(10000), 0) << program->err();
}

TEST_F(Headless, MistakesEndWithAMessageAndAnExitCode)
{
    QFile bad(m_dir.filePath("bad.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"format\": \"orvane-memory-image\", \"version\": 1, ");
    bad.close();
    struct Case
    {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"--headless", "--baud", "12"}, 1, "orvane: --baud: '12' is not a rate from 110 to 921600"},
        {{"--headless", "--no-such-option"}, 1, "Unknown option 'no-such-option'"},
        {{"--headless", "--image", path("bad.json")}, 2, "orvane: " + path("bad.json") + ": "},
        {{"--headless", "--image", path("missing.json")}, 2, path("missing.json")},
        {{"--headless", "--port", "/dev/orvane-no-such-device"}, 3,
         "orvane: Unable to open comm port! /dev/orvane-no-such-device: no such device"},
        {{"--headless", "--port", "/dev/null"}, 3, "/dev/null: it is not a serial device"},
        {{"--headless", "--port", path("")}, 3, "it is a directory"},
    };
    for (const Case& c : cases) {
        auto program = Start(c.arguments);
        const int code = program->Wait(10000);
        EXPECT_EQ(code, c.exitCode) << c.message << "\n" << program->err();
        EXPECT_NE(program->err().find(c.message), std::string::npos) << program->err();
        EXPECT_EQ(program->out(), "");
    }
}

TEST_F(Headless, HelpAndVersionNeedNothing)
{
    auto version = Start({"--version"});
    EXPECT_EQ(version->Wait(10000), 0);
    EXPECT_EQ(version->out().rfind("orvane 1.", 0), 0u) << version->out();
    auto help = Start({"--help"});
    EXPECT_EQ(help->Wait(10000), 0);
    EXPECT_NE(help->out().find("--headless"), std::string::npos);
}

} // namespace
