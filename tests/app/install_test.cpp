// The program as a user installs it: `cmake --install` into a temporary
// DESTDIR puts the program, its help file, a desktop entry and an icon where
// a Linux desktop finds them, and the installed program runs; the Debian
// package made by CPack depends on the Qt 6 runtime packages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/program_process.h"

namespace {

TEST(InstallTest, TheInstalledProgramRunsAndFindsWhatItNeeds)
{
    QTemporaryDir destdir;
    ASSERT_TRUE(destdir.isValid());
    ProgramProcess install(ORVANE_CMAKE, {"--install", ORVANE_BUILD_DIR, "--prefix", "/usr"},
                           {{"DESTDIR", destdir.path().toStdString()}});
    ASSERT_EQ(install.Wait(120000), 0) << install.out() << install.err();

    const QString usr = destdir.filePath(QStringLiteral("usr"));
    for (const char* file : {"bin/orvane", "share/orvane/ORVANE.hlp",
                             "share/applications/orvane.desktop",
                             "share/icons/hicolor/scalable/apps/orvane.svg"})
        EXPECT_TRUE(QFile::exists(usr + '/' + file)) << file;

    QFile desktop(usr + QStringLiteral("/share/applications/orvane.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    const QByteArray entry = desktop.readAll();
    for (const char* line : {"[Desktop Entry]", "Exec=orvane", "Icon=orvane", "Type=Application"})
        EXPECT_TRUE(entry.contains(line)) << line;

    // No display at all: --version needs none.
    ProgramProcess version((usr + QStringLiteral("/bin/orvane")).toStdString(), {"--version"},
                           {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(version.Wait(20000), 0) << version.err();
    EXPECT_EQ(version.out(), "orvane " ORVANE_VERSION "\n");
}

TEST(InstallTest, TheDebianPackageDependsOnTheQtRuntime)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    ProgramProcess pack(ORVANE_CPACK,
                        {"-G", "DEB", "--config", ORVANE_BUILD_DIR "/CPackConfig.cmake", "-B",
                         work.path().toStdString()});
    ASSERT_EQ(pack.Wait(300000), 0) << pack.out() << pack.err();
    const QStringList debs = QDir(work.path()).entryList({QStringLiteral("*.deb")});
    ASSERT_EQ(debs.size(), 1) << pack.out();
    ProgramProcess fields("/usr/bin/dpkg-deb",
                          {"-f", work.filePath(debs.first()).toStdString(), "Package", "Depends"});
    ASSERT_EQ(fields.Wait(20000), 0) << fields.err();
    EXPECT_NE(fields.out().find("Package: orvane"), std::string::npos) << fields.out();
    for (const char* package : {"libqt6core6", "libqt6gui6", "libqt6widgets6"})
        EXPECT_NE(fields.out().find(package), std::string::npos) << fields.out();
    ProgramProcess contents("/usr/bin/dpkg-deb",
                            {"-c", work.filePath(debs.first()).toStdString()});
    ASSERT_EQ(contents.Wait(20000), 0);
    for (const char* file : {"./usr/bin/orvane", "./usr/share/orvane/ORVANE.hlp",
                             "./usr/share/applications/orvane.desktop"})
        EXPECT_NE(contents.out().find(file), std::string::npos) << file;
}

} // namespace
