// The link settings dialog, offscreen, driven with Qt Test's input.
#include "ui/form_config.h"

#include "serial/settings_keys.h"

#include "fakes/memory_settings_store.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

namespace keys = settings_keys;

class FormConfigTest : public ::testing::Test
{
protected:
    QComboBox* list(const char* name) { return dialog.findChild<QComboBox*>(name); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }
    QLabel* label(const char* name) { return dialog.findChild<QLabel*>(name); }
    MemorySettingsStore::Values& stored() { return store.values(keys::kLinkSettings); }
    int32_t storedInt(const char* name) { return std::get<int32_t>(stored().at(name)); }
    std::vector<int32_t> storedFive()
    {
        return {storedInt(keys::kCommPort), storedInt(keys::kBaudRate), storedInt(keys::kParity),
                storedInt(keys::kDataBits), storedInt(keys::kStopBits)};
    }
    void storeFive(int32_t port, int32_t baud, int32_t parity, int32_t data, int32_t stop)
    {
        stored() = {{keys::kCommPort, port}, {keys::kBaudRate, baud}, {keys::kParity, parity},
                    {keys::kDataBits, data}, {keys::kStopBits, stop}};
    }
    void showDialog()
    {
        dialog.FormShow();
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void press(const char* listName, Qt::Key key, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(list(listName), key);
    }

    MemorySettingsStore store;
    TFormConfig dialog{store};
};

TEST_F(FormConfigTest, CaptionsListsAndLayout)
{
    EXPECT_EQ(dialog.windowTitle(), "Configure...");
    EXPECT_EQ(dialog.size(), QSize(365, 94));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_EQ(dialog.font().pointSize(), 8);
    EXPECT_EQ(button("Button1")->text(), "&Ok");
    EXPECT_EQ(button("Button2")->text(), "Cancel");

    struct Pair
    {
        const char* label;
        const char* text;
        const char* list;
    };
    const Pair pairs[] = {{"Label3", "Comm port:", "cboCommPort"}, {"Label1", "Baud rate:", "cboBaudRate"},
                          {"Label2", "Parity:", "cboParity"}, {"Label4", "Data bits:", "cboDataBits"},
                          {"Label5", "Stop bits:", "cboStopBits"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.list);
        QLabel* text = label(pair.label);
        QComboBox* box = list(pair.list);
        ASSERT_TRUE(text && box);
        EXPECT_EQ(text->text(), pair.text);
        EXPECT_TRUE(text->alignment() & Qt::AlignRight);
        EXPECT_LE(text->geometry().right(), box->geometry().left());
        EXPECT_GE(text->geometry().right(), box->geometry().left() - 12);
        EXPECT_EQ(text->geometry().top(), box->geometry().top());
        EXPECT_FALSE(box->isEditable());
        EXPECT_TRUE(dialog.rect().contains(box->geometry()));
    }
    const int firstRow = list("cboCommPort")->y();
    EXPECT_EQ(list("cboBaudRate")->y(), firstRow);
    EXPECT_LT(list("cboCommPort")->width(), list("cboBaudRate")->width());
    const int secondRow = list("cboParity")->y();
    EXPECT_GT(secondRow, firstRow);
    EXPECT_EQ(list("cboDataBits")->y(), secondRow);
    EXPECT_EQ(list("cboStopBits")->y(), secondRow);
    EXPECT_LT(list("cboParity")->x(), list("cboDataBits")->x());
    EXPECT_LT(list("cboDataBits")->x(), list("cboStopBits")->x());
    const QRect ok = button("Button1")->geometry();
    const QRect cancel = button("Button2")->geometry();
    EXPECT_GT(ok.top(), list("cboStopBits")->geometry().bottom());
    EXPECT_EQ(ok.top(), cancel.top());
    EXPECT_LT(ok.right(), cancel.left());
    EXPECT_GT(ok.left(), dialog.width() / 2);
    EXPECT_TRUE(dialog.rect().contains(cancel));
}

TEST_F(FormConfigTest, FirstShowWritesDefaultsAndSelectsThem)
{
    dialog.FormShow();
    EXPECT_EQ(storedFive(), (std::vector<int32_t>{0, 2, 1, 1, 0}));
    EXPECT_EQ(list("cboCommPort")->count(), 255);
    EXPECT_EQ(list("cboCommPort")->itemText(254), "COM255");
    EXPECT_EQ(list("cboBaudRate")->count(), 7);
    EXPECT_EQ(list("cboCommPort")->currentText(), "COM1");
    EXPECT_EQ(list("cboBaudRate")->currentText(), "9600");
    EXPECT_EQ(list("cboParity")->currentText(), "Even");
    EXPECT_EQ(list("cboDataBits")->currentText(), "8");
    EXPECT_EQ(list("cboStopBits")->currentText(), "1");

    dialog.FormShow(); // filled afresh, not appended to
    EXPECT_EQ(list("cboCommPort")->count(), 255);
    EXPECT_EQ(list("cboStopBits")->count(), 2);
}

TEST_F(FormConfigTest, ChoicesAndOkStoreTheirIndices)
{
    showDialog();
    press("cboCommPort", Qt::Key_Down, 2);
    press("cboBaudRate", Qt::Key_Down);
    press("cboParity", Qt::Key_Down);
    press("cboDataBits", Qt::Key_Up);
    press("cboStopBits", Qt::Key_Down);
    EXPECT_EQ(list("cboCommPort")->currentText(), "COM3");
    EXPECT_EQ(list("cboBaudRate")->currentText(), "19200");
    EXPECT_EQ(list("cboParity")->currentText(), "Odd");
    EXPECT_EQ(list("cboDataBits")->currentText(), "7");
    EXPECT_EQ(list("cboStopBits")->currentText(), "2");

    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(storedFive(), (std::vector<int32_t>{2, 3, 2, 0, 1}));
    EXPECT_EQ(dialog.Settings(), (LinkSettings{2, 3, 2, 0, 1}));
}

TEST_F(FormConfigTest, CancelAndEscapeStoreNothing)
{
    storeFive(4, 5, 0, 0, 1);
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        showDialog();
        const int writes = store.writes;
        press("cboCommPort", Qt::Key_Down);
        press("cboParity", Qt::Key_Down);
        if (escape)
            QTest::keyClick(list("cboParity"), Qt::Key_Escape);
        else
            QTest::mouseClick(button("Button2"), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(store.writes, writes);
        EXPECT_EQ(storedFive(), (std::vector<int32_t>{4, 5, 0, 0, 1}));
        EXPECT_EQ(dialog.Settings(), (LinkSettings{4, 5, 0, 0, 1}));

        dialog.FormShow();
        EXPECT_EQ(list("cboCommPort")->currentIndex(), 4);
        EXPECT_EQ(list("cboParity")->currentIndex(), 0);
    }
}

TEST_F(FormConfigTest, StoredIndexOutsideItsListSelectsNothingAndOkStoresMinusOne)
{
    storeFive(300, 7, -1, 1, INT32_MAX);
    showDialog();
    EXPECT_EQ(list("cboCommPort")->currentIndex(), -1);
    EXPECT_EQ(list("cboBaudRate")->currentIndex(), -1);
    EXPECT_EQ(list("cboParity")->currentIndex(), -1);
    EXPECT_EQ(list("cboDataBits")->currentIndex(), 1);
    EXPECT_EQ(list("cboStopBits")->currentIndex(), -1);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(storedFive(), (std::vector<int32_t>{-1, -1, -1, 1, -1}));
}

TEST_F(FormConfigTest, TabOrderFollowsTheLists)
{
    showDialog();
    list("cboCommPort")->setFocus();
    const char* order[] = {"cboBaudRate", "cboParity", "cboDataBits", "cboStopBits", "Button1", "Button2",
                           "cboCommPort"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(QApplication::focusWidget());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), next);
    }
}

TEST_F(FormConfigTest, WrongTypeInTheStoreShowsTheDefaultAndOkStoresAGoodValue)
{
    storeFive(1, 2, 1, 0, 0);
    stored()[keys::kDataBits] = std::string("8");
    showDialog();
    EXPECT_EQ(list("cboDataBits")->currentText(), "8"); // the default, index 1
    EXPECT_EQ(list("cboBaudRate")->currentText(), "9600");
    EXPECT_EQ(std::get<std::string>(stored()[keys::kDataBits]), "8");
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(std::get<int32_t>(stored()[keys::kDataBits]), 1);
}

TEST_F(FormConfigTest, UnopenableStoreShowsTheCopyAndOkStoresNothing)
{
    store.unavailable = true;
    showDialog();
    EXPECT_EQ(list("cboBaudRate")->currentText(), "9600");
    press("cboBaudRate", Qt::Key_Down);
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(store.writes, 0);
    EXPECT_EQ(dialog.Settings(), LinkSettings{});
}

TEST_F(FormConfigTest, ShowModalReturnsTheResultAndReportsAFailedWrite)
{
    QTimer::singleShot(0, &dialog, [&] {
        press("cboStopBits", Qt::Key_Down);
        QTest::mouseClick(button("Button1"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(storedInt(keys::kStopBits), 1);

    store.failWrites = true;
    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(button("Button1"), Qt::LeftButton); });
    EXPECT_THROW(dialog.ShowModal(), SettingsError);
    EXPECT_FALSE(dialog.isVisible());

    store.failWrites = false;
    QTimer::singleShot(0, &dialog, [&] { QTest::mouseClick(button("Button2"), Qt::LeftButton); });
    EXPECT_EQ(dialog.ShowModal(), QDialog::Rejected);
}

} // namespace
