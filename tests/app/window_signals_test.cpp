// The program with its window, ended by a signal as a logout or a script
// ends it: SIGTERM or SIGINT closes it as its window's close box would, so
// the virtual port's link goes away and --save-on-exit holds what the PG
// wrote.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <thread>

#include "core/image_snapshot.h"
#include "image_file/image_file.h"
#include "support/pg_device.h"
#include "support/pg_requests.h"
#include "support/program_process.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool AppearsWithin(const QString& path, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!QFileInfo(path).isSymLink()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class WindowSignals : public testing::TestWithParam<int>
{
};

TEST_P(WindowSignals, EndTheProgramAsClosingItsWindowDoes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir().mkpath(dir.filePath("run"));
    const QString link = dir.filePath("run/orvane/pty");
    ProgramProcess program(ORVANE_PROGRAM,
                           {"--port", "pty", "--run", "--save-on-exit",
                            dir.filePath("end.json").toStdString()},
                           {{"QT_QPA_PLATFORM", "offscreen"},
                            {"XDG_CONFIG_HOME", dir.filePath("config").toStdString()},
                            {"XDG_RUNTIME_DIR", dir.filePath("run").toStdString()}});
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(AppearsWithin(link, std::chrono::seconds(20))) << program.err();
    {
        PgDevice pg(link.toStdString(), 9600, 'E');
        ASSERT_TRUE(pg.ok()) << pg.error();
        EXPECT_TRUE(pg.play(pg::WriteMemory(0xEE05, Bytes{0x77}), 2000));
    }

    program.Signal(GetParam());
    EXPECT_EQ(program.Wait(10000), 0) << program.err();
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    QString error;
    const auto saved = ReadImageFile(dir.filePath("end.json"), error);
    ASSERT_TRUE(saved) << error.toStdString();
    EXPECT_EQ(saved->merkers[5], 0x77);
}

INSTANTIATE_TEST_SUITE_P(Signals, WindowSignals, testing::Values(SIGTERM, SIGINT),
                         [](const testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGTERM ? "Sigterm" : "Sigint");
                         });

} // namespace
