// The help viewer finds the help file beside the program and reports a
// missing one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTextBrowser>

#include "ui/help_window.h"

namespace {

TEST(HelpWindowTest, HelpFileLiesBesideTheProgram)
{
    EXPECT_EQ(HelpFilePath(), QCoreApplication::applicationDirPath() + QStringLiteral("/ORVANE.hlp"));
}

TEST(HelpWindowTest, AnInstalledProgramFindsItsHelpInTheDataFolder)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/orvane")));
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString installed = prefix.filePath(QStringLiteral("share/orvane/ORVANE.hlp"));
    // Nowhere yet: the place beside the program is named.
    EXPECT_EQ(HelpFilePath(bin), bin + QStringLiteral("/ORVANE.hlp"));
    QFile file(installed);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(HelpFilePath(bin), QFileInfo(installed).canonicalFilePath());
    // One beside the program wins.
    QFile beside(bin + QStringLiteral("/ORVANE.hlp"));
    ASSERT_TRUE(beside.open(QIODevice::WriteOnly));
    beside.close();
    EXPECT_EQ(HelpFilePath(bin), bin + QStringLiteral("/ORVANE.hlp"));
}

TEST(HelpWindowTest, ShowsTheContentsOfTheInstalledHelpFile)
{
    HelpWindow window;
    const QString error = window.ShowContents();
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(window.isVisible());
    const QString text = window.browser()->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Contents")));
    for (const char* topic : {"ON LINE", "OFF LINE", "Err: n", "WAIT", "Software\\ORVANE\\Ports",
                              "COM1=/dev/ttyUSB0", "Modify Value...", "BCD Value"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(topic))) << topic;

    // The contents page links to its topics within the document, as a click
    // on a link does.
    const int atContents = window.browser()->verticalScrollBar()->value();
    window.browser()->setSource(QUrl(QStringLiteral("#status")));
    EXPECT_GT(window.browser()->verticalScrollBar()->value(), atContents + 100);
}

TEST(HelpWindowTest, MissingFileGivesAMessageNamingIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(QStringLiteral("ORVANE.hlp"));
    HelpWindow window;
    const QString error = window.ShowContents(missing);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(missing));
    EXPECT_FALSE(window.isVisible());
    // A folder of that name is no help file either.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("ORVANE.hlp")));
    EXPECT_FALSE(window.ShowContents(missing).isEmpty());
}

TEST(HelpWindowTest, ShowsAnyHelpFileGiven)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("ORVANE.hlp"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><a name=\"contents\"></a><h1>Hello \xc3\xa9</h1></body></html>");
    file.close();
    HelpWindow window;
    EXPECT_TRUE(window.ShowContents(path).isEmpty());
    EXPECT_TRUE(window.browser()->toPlainText().contains(QString::fromUtf8("Hello \xc3\xa9")));
}

} // namespace
