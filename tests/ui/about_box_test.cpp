// TAboutBox: the version line read from the program file on every showing,
// the fixed texts and links, and closing with Enter and Escape.
#include "components/kiv_url_label.h"
#include "ui/about_box.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString versionLine(const TAboutBox& box)
{
    const auto* version = box.findChild<QLabel*>("Version");
    return version ? version->text() : QString("<no Version label>");
}

TEST(AboutBox, VersionLineIsReadOnEveryShowing)
{
    TAboutBox box;
    // This test program carries the program's record; named bare, it is
    // found in the program's own directory like the real program file.
    box.SetProgramFileName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    box.show();
    EXPECT_EQ(versionLine(box), "Version 1.3.0.4");
    box.hide();

    box.SetProgramFileName("/bin/true");
    box.show();
    EXPECT_EQ(versionLine(box), "Version ");
    box.hide();

    box.SetProgramFileName(QCoreApplication::applicationFilePath());
    box.show();
    EXPECT_EQ(versionLine(box), "Version 1.3.0.4");
}

TEST(AboutBox, MissingProgramFileLeavesVersionAlone)
{
    TAboutBox box;
    EXPECT_EQ(box.ProgramFileName(), "orvane");
    box.SetProgramFileName("orvane-renamed-away");
    box.show();
    EXPECT_EQ(versionLine(box), "Version ");
}

TEST(AboutBox, FixedTextsAndLinks)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "About...");
    EXPECT_EQ(box.size(), QSize(339, 267));
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(), "Orvane");
    EXPECT_EQ(box.findChild<QLabel*>("ProgramIcon")->pixmap().size(), QSize(32, 32));
    EXPECT_EQ(box.findChild<QLabel*>("Label1")->text(), "EMAIL:");
    EXPECT_EQ(box.findChild<QLabel*>("Label3")->text(), "WEB:");

    const auto* mail = box.findChild<TKivURLLabel*>("KivURLEmail");
    const auto* web = box.findChild<TKivURLLabel*>("KivURLWeb");
    ASSERT_NE(mail, nullptr);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(mail->GetURL(), "mailto:" + mail->text());
    EXPECT_TRUE(web->GetURL().startsWith("https://"));
    EXPECT_TRUE(web->GetURL().contains(web->text()));
    EXPECT_EQ(mail->width(), 189);
    EXPECT_EQ(web->width(), 189);
    EXPECT_FALSE(mail->toolTip().isEmpty());

    const auto* ok = box.findChild<QPushButton*>("OKButton");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_TRUE(ok->isDefault());
}

class AboutBoxClosing : public ::testing::TestWithParam<Qt::Key>
{};

TEST_P(AboutBoxClosing, KeyClosesWithOk)
{
    TAboutBox box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.setResult(-1);
    QTest::keyClick(&box, GetParam());
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Keys, AboutBoxClosing,
                         ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));

TEST(AboutBox, ClickOnTheMailLinkOpensTheMailTarget)
{
    QString opened;
    const TKivURLLabel::Opener previous =
        TKivURLLabel::SetOpener([&](const QString& target, QWidget*) { opened = target; });
    TAboutBox box;
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::mouseClick(box.findChild<TKivURLLabel*>("KivURLEmail"), Qt::LeftButton, {},
                      QPoint(3, 3));
    TKivURLLabel::SetOpener(previous);
    EXPECT_EQ(opened, "mailto:support@orvane.example");
}

} // namespace
