// The value editor as the operator uses it: typing, bit clicks, Enter and
// Escape, for word and byte cells.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ui/form_value.h"

namespace {

class FormValueTest : public ::testing::Test
{
protected:
    // The caller's protocol, then the showing (non-modal, to drive it here).
    void Open(int bitWidth, const QString& value)
    {
        m_dialog.SetBitWidth(bitWidth);
        m_dialog.EditValore()->setText(value);
        m_dialog.show();
        m_dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
    }

    // Runs the dialog modally; during exec, act drives it.
    int ExecWith(const std::function<void()>& act)
    {
        QTimer::singleShot(0, &m_dialog, act);
        // A dialog that fails to close must not hang the suite.
        QTimer::singleShot(10000, &m_dialog, [this] { m_dialog.done(-1); });
        return m_dialog.exec();
    }

    QLineEdit* edit() const { return m_dialog.EditValore(); }
    QString text() const { return m_dialog.EditValore()->text(); }

    // Bit n - 1 of the checked boxes, as a value.
    int checkedBits() const
    {
        int value = 0;
        for (int n = 1; n <= 16; ++n)
            if (m_dialog.CheckBox(n)->isChecked())
                value |= 1 << (n - 1);
        return value;
    }

    void clickBit(int bit)
    {
        QCheckBox* box = m_dialog.CheckBox(bit + 1);
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    }

    TFormValue m_dialog;
};

TEST_F(FormValueTest, WordCellShowsItsValueAndBits)
{
    Open(16, QStringLiteral("4660"));
    EXPECT_EQ(text(), QStringLiteral("4660"));
    EXPECT_EQ(checkedBits(), (1 << 2) | (1 << 4) | (1 << 5) | (1 << 9) | (1 << 12));
    for (int n = 1; n <= 16; ++n)
        EXPECT_TRUE(m_dialog.CheckBox(n)->isEnabled()) << n;
    EXPECT_EQ(edit()->maxLength(), 5);
    EXPECT_EQ(m_dialog.focusWidget(), edit());
    EXPECT_EQ(edit()->selectedText(), QStringLiteral("4660"));
}

TEST_F(FormValueTest, ByteCellGreysTheUpperBitsAndClampsTo255)
{
    Open(8, QStringLiteral("17"));
    EXPECT_EQ(edit()->maxLength(), 3);
    for (int n = 9; n <= 16; ++n) {
        EXPECT_FALSE(m_dialog.CheckBox(n)->isEnabled()) << n;
        EXPECT_FALSE(m_dialog.CheckBox(n)->isChecked()) << n;
        EXPECT_TRUE(m_dialog.CheckBox(n)->isVisible()) << n;
    }
    QTest::keyClicks(edit(), QStringLiteral("300"));
    EXPECT_EQ(text(), QStringLiteral("255"));
    EXPECT_EQ(checkedBits(), 0xFF);
}

TEST_F(FormValueTest, WordCellClampsTo65535)
{
    Open(16, QStringLiteral("1"));
    QTest::keyClicks(edit(), QStringLiteral("70000"));
    EXPECT_EQ(text(), QStringLiteral("65535"));
    EXPECT_EQ(checkedBits(), 0xFFFF);
}

TEST_F(FormValueTest, ClickedBitsMakeTheValue)
{
    Open(16, QStringLiteral("0"));
    clickBit(0);
    clickBit(2);
    EXPECT_EQ(text(), QStringLiteral("5"));
    clickBit(15);
    EXPECT_EQ(text(), QStringLiteral("32773"));
    EXPECT_EQ(checkedBits(), 32773);
    clickBit(0);
    EXPECT_EQ(text(), QStringLiteral("32772"));
}

TEST_F(FormValueTest, CheckBoxSetByTheProgramLeavesTheText)
{
    Open(16, QStringLiteral("5"));
    m_dialog.CheckBox(4)->setChecked(true);
    EXPECT_EQ(text(), QStringLiteral("5"));
    // Not even a click counts unless it gave the box the focus.
    m_dialog.CheckBox(5)->click();
    EXPECT_EQ(text(), QStringLiteral("5"));
}

struct TypingCase
{
    const char* name;
    const char* start;
    std::function<void(QLineEdit*)> type;
    const char* result;
    int bits;
};

TEST_F(FormValueTest, TypingKeepsTheTextInRange)
{
    const TypingCase cases[] = {
        {"delete all", "4660",
         [](QLineEdit* e) { QTest::keyClick(e, Qt::Key_Backspace); }, "0", 0},
        {"minus over selection", "4660",
         [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("-")); }, "0", 0},
        {"letters refused", "4660",
         [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("1a2Bz3")); }, "123", 123},
        {"full stop kept", "4660",
         [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("12.5")); }, "12.5", 12},
        {"leading zero", "4660",
         [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("0")); }, "0", 0},
        {"five nines", "0",
         [](QLineEdit* e) { QTest::keyClicks(e, QStringLiteral("99999")); }, "65535", 0xFFFF},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open(16, QString::fromLatin1(c.start));
        edit()->selectAll();
        c.type(edit());
        EXPECT_EQ(text(), QString::fromLatin1(c.result));
        EXPECT_EQ(checkedBits(), c.bits);
        m_dialog.hide();
    }
}

TEST_F(FormValueTest, EnterMovesToOkAndASecondEnterAccepts)
{
    bool stillOpenAfterFirstEnter = false;
    QWidget* focusAfterFirstEnter = nullptr;
    m_dialog.SetBitWidth(16);
    m_dialog.EditValore()->setText(QStringLiteral("12"));
    const int result = ExecWith([&] {
        QTest::keyClicks(edit(), QStringLiteral("345"));
        QTest::keyClick(edit(), Qt::Key_Return);
        stillOpenAfterFirstEnter = m_dialog.isVisible();
        focusAfterFirstEnter = m_dialog.focusWidget();
        QTest::keyClick(m_dialog.focusWidget(), Qt::Key_Return);
    });
    EXPECT_TRUE(stillOpenAfterFirstEnter);
    EXPECT_EQ(focusAfterFirstEnter, m_dialog.BtnOK());
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(text(), QStringLiteral("345"));
}

TEST_F(FormValueTest, EnterOnCancelCancels)
{
    m_dialog.EditValore()->setText(QStringLiteral("12"));
    const int result = ExecWith([&] {
        QTest::keyClick(edit(), Qt::Key_Tab);  // wraps round to BtnOK
        QTest::keyClick(m_dialog.focusWidget(), Qt::Key_Tab);
        QTest::keyClick(m_dialog.focusWidget(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(FormValueTest, EscapeCancels)
{
    m_dialog.EditValore()->setText(QStringLiteral("12"));
    const int result = ExecWith([&] {
        QTest::keyClicks(edit(), QStringLiteral("99"));
        QTest::keyClick(edit(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST_F(FormValueTest, TabVisitsOkCancelAndTheFieldOnly)
{
    Open(16, QStringLiteral("1"));
    QWidget* visited[3] = {};
    for (QWidget*& w : visited) {
        QTest::keyClick(m_dialog.focusWidget(), Qt::Key_Tab);
        w = m_dialog.focusWidget();
    }
    EXPECT_EQ(visited[0], m_dialog.BtnOK());
    EXPECT_EQ(visited[1], m_dialog.BtnCancel());
    EXPECT_EQ(visited[2], edit());
    EXPECT_FALSE(m_dialog.BtnOK()->isDefault());
    EXPECT_FALSE(m_dialog.BtnCancel()->isDefault());
}

TEST_F(FormValueTest, WordValueAfterAByteCellIsNotCut)
{
    Open(8, QStringLiteral("200"));
    m_dialog.hide();
    m_dialog.SetBitWidth(16);
    m_dialog.EditValore()->setText(QStringLiteral("4660"));
    EXPECT_EQ(text(), QStringLiteral("4660"));
    EXPECT_EQ(checkedBits(), 4660);
}

TEST_F(FormValueTest, LayoutRunsBitsRightToLeft)
{
    EXPECT_EQ(m_dialog.windowTitle(), QStringLiteral("Modify Value..."));
    EXPECT_EQ(m_dialog.size(), QSize(277, 113));
    EXPECT_EQ(m_dialog.bitWidth(), 16);
    const struct
    {
        int n;
        int left;
    } columns[] = {{1, 256}, {8, 144}, {9, 120}, {16, 8}};
    for (const auto& c : columns) {
        EXPECT_EQ(m_dialog.CheckBox(c.n)->geometry(), QRect(c.left, 56, 13, 13)) << c.n;
        EXPECT_EQ(m_dialog.Label(c.n)->geometry(), QRect(c.left, 40, 13, 13)) << c.n;
        EXPECT_EQ(m_dialog.Label(c.n)->text(), QString::number(c.n - 1));
    }
    EXPECT_EQ(m_dialog.BtnOK()->geometry(), QRect(8, 80, 85, 25));
    EXPECT_EQ(m_dialog.BtnCancel()->geometry(), QRect(184, 80, 85, 25));
}

} // namespace
