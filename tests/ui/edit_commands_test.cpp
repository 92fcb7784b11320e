// Modify, Clear and Default on the memory pages, with the value editor
// driven modally as the operator drives it and the "Warning..." question
// answered by the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "components/kiv_grid.h"
#include "core/plc_image.h"
#include "ui/edit_commands.h"
#include "ui/form_value.h"
#include "ui/memory_views.h"

namespace {

using Page = MemoryViews::Page;

class EditCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pages.resize(794, 511);
        views->SetUpGrids();
        views->SetUpAddressFields();
        views->Edit1Change();
        views->RefreshViews();
        pages.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
        commands.SetQuestion([this](const QString& text) {
            questions.push_back(text);
            return answer;
        });
    }

    void showPage(Page page, int row)
    {
        pages.setCurrentIndex(page);
        if (TKivGrid* grid = views->grid(page))
            grid->SetRow(row);
    }

    // Runs Modify; while the value editor is open, drive acts in it. Returns
    // whether the editor was shown at all.
    bool modify(const std::function<void()>& drive)
    {
        bool shown = false;
        QTimer::singleShot(0, &valueEditor, [&] {
            if (QApplication::activeModalWidget() != &valueEditor)
                return;
            shown = true;
            EXPECT_TRUE(QTest::qWaitForWindowActive(&valueEditor));
            editorText = valueEditor.EditValore()->text();
            editorBits = valueEditor.bitWidth();
            for (int n = 1; n <= 16; ++n)
                editorBitEnabled[n - 1] = valueEditor.CheckBox(n)->isEnabled();
            drive();
        });
        // An editor that does not close must not hang the suite.
        QTimer::singleShot(10000, &valueEditor, [this] {
            if (valueEditor.isVisible())
                valueEditor.done(-1);
        });
        commands.EditModifyExecute();
        QCoreApplication::processEvents();
        return shown;
    }

    void typeValue(const QString& text)
    {
        QLineEdit* edit = valueEditor.EditValore();
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    void clickOk()
    {
        QTest::mouseClick(valueEditor.BtnOK(), Qt::LeftButton, {},
                          valueEditor.BtnOK()->rect().center());
    }

    PlcImage image;
    QTabWidget pages;
    MemoryViews* views = new MemoryViews(image, &pages);
    TFormValue valueEditor{&pages};
    EditCommands commands{image, *views, valueEditor, &pages};
    std::vector<QString> questions;
    bool answer = false;
    QString editorText;
    int editorBits = 0;
    std::array<bool, 16> editorBitEnabled{};
};

TEST_F(EditCommandsTest, ModifyOnTheDataBlockPageWritesTheChosenBlocksWord)
{
    image.WriteDbWord(5, 9, 17);
    views->edit(1)->setText("5");
    showPage(MemoryViews::DataBlockPage, 10);

    // The operator's keyboard path: the entry, Enter to the OK button, Enter.
    ASSERT_TRUE(modify([this] {
        typeValue("4660");
        QTest::keyClick(valueEditor.EditValore(), Qt::Key_Return);
        ASSERT_EQ(valueEditor.focusWidget(), valueEditor.BtnOK());
        QTest::keyClick(valueEditor.focusWidget(), Qt::Key_Return);
    }));
    EXPECT_EQ(editorText, "17");
    EXPECT_EQ(editorBits, 16);
    EXPECT_EQ(image.ReadDbWord(5, 9), 4660);
    EXPECT_EQ(image.ReadDbWord(5, 8), 0);
    EXPECT_EQ(image.ReadDbWord(5, 10), 0);
    EXPECT_EQ(image.ReadDbWord(1, 9), 0);
    views->RefreshViews();
    EXPECT_EQ(views->grid(MemoryViews::DataBlockPage)->GetCellText(1, 10), "4660");
    EXPECT_EQ(views->grid(MemoryViews::DataBlockPage)->GetCellText(2, 10), "1234");
}

TEST_F(EditCommandsTest, ModifyOnAByteAreaUsesAnEightBitEditor)
{
    image.WriteCell(PlcArea::MB, 255, 3);
    views->RefreshViews();
    showPage(MemoryViews::MerkerPage, 256);
    ASSERT_TRUE(modify([this] {
        typeValue("300");
        clickOk();
    }));
    EXPECT_EQ(editorText, "3");
    EXPECT_EQ(editorBits, 8);
    for (int bit = 0; bit < 16; ++bit)
        EXPECT_EQ(editorBitEnabled[bit], bit < 8) << bit;
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 255), 255);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 254), 0);

    // The next cell of a word area gets its 16 bits back.
    image.WriteCell(PlcArea::Z, 0, 1);
    showPage(MemoryViews::CounterPage, 1);
    ASSERT_TRUE(modify([this] {
        typeValue("65535");
        clickOk();
    }));
    EXPECT_EQ(editorBits, 16);
    EXPECT_EQ(image.ReadCell(PlcArea::Z, 0), 65535);
}

TEST_F(EditCommandsTest, CancellingTheEditorLeavesTheCell)
{
    const std::pair<const char*, std::function<void(TFormValue&)>> closers[] = {
        {"Cancel", [](TFormValue& d) {
             QTest::mouseClick(d.BtnCancel(), Qt::LeftButton, {}, d.BtnCancel()->rect().center());
         }},
        {"Escape", [](TFormValue& d) { QTest::keyClick(d.EditValore(), Qt::Key_Escape); }},
        {"close", [](TFormValue& d) { d.close(); }},
    };
    image.WriteCell(PlcArea::T, 4, 44);
    views->RefreshViews();
    showPage(MemoryViews::TimerPage, 5);
    for (const auto& [name, close] : closers) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(modify([&, close = close] {
            typeValue("999");
            close(valueEditor);
        }));
        EXPECT_EQ(image.ReadCell(PlcArea::T, 4), 44);
        EXPECT_FALSE(valueEditor.isVisible());
    }
}

TEST_F(EditCommandsTest, ModifyAndClearOnTheSystemPageDoNothing)
{
    answer = true;
    image.WriteCell(PlcArea::MB, 0, 5);
    image.WriteDbWord(1, 0, 5);
    showPage(MemoryViews::SystemPage, 0);
    EXPECT_FALSE(modify([] {}));
    commands.EditClearExecute();
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 0), 5);
    EXPECT_EQ(image.ReadDbWord(1, 0), 5);
}

TEST_F(EditCommandsTest, ClearOnTheDataBlockPageAsksAndClearsOnlyThatBlock)
{
    for (int db : {2, 3, 4})
        for (int w = 0; w < 128; ++w)
            image.WriteDbWord(db, w, db * 1000 + w);
    views->edit(1)->setText("3");
    views->edit(2)->setText("1000");
    views->edit(8)->setText("20");
    const DbDirectoryEntry before = image.DbEntry(3);
    ASSERT_EQ(before.start, 1000);
    showPage(MemoryViews::DataBlockPage, 1);

    answer = false;
    commands.EditClearExecute();
    ASSERT_EQ(questions, std::vector<QString>{"Clear all DB3 ?"});
    for (int w = 0; w < 128; ++w)
        ASSERT_EQ(image.ReadDbWord(3, w), 3000 + w) << w;

    answer = true;
    commands.EditClearExecute();
    EXPECT_EQ(questions.size(), 2u);
    for (int w = 0; w < 128; ++w) {
        ASSERT_EQ(image.ReadDbWord(3, w), 0) << w;
        ASSERT_EQ(image.ReadDbWord(2, w), 2000 + w) << w;
        ASSERT_EQ(image.ReadDbWord(4, w), 4000 + w) << w;
    }
    const DbDirectoryEntry after = image.DbEntry(3);
    EXPECT_EQ(after.start, before.start);
    EXPECT_EQ(after.exists, before.exists);
    EXPECT_EQ(after.length, before.length);
}

TEST_F(EditCommandsTest, ClearOnAnAreaPageAsksAndClearsTheWholeArea)
{
    struct Case
    {
        Page page;
        QString question;
        PlcArea area;
        int cells;
    };
    const Case cases[] = {
        {MemoryViews::TimerPage, "Clear all Timers?", PlcArea::T, 128},
        {MemoryViews::CounterPage, "Clear all Counters?", PlcArea::Z, 128},
        {MemoryViews::MerkerPage, "Clear all Merkers?", PlcArea::MB, 256},
        {MemoryViews::InputPage, "Clear all Inputs?", PlcArea::EB, 128},
        {MemoryViews::OutputPage, "Clear all Outputs?", PlcArea::AB, 128},
    };
    const PlcArea all[] = {PlcArea::T, PlcArea::Z, PlcArea::MB, PlcArea::EB, PlcArea::AB};
    auto fill = [&] {
        for (PlcArea area : all)
            for (int i = 0; i < (area == PlcArea::MB ? 256 : 128); ++i)
                image.WriteCell(area, i, 1 + i % 200);
        image.WriteDbWord(1, 0, 7);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question.toStdString());
        fill();
        showPage(c.page, 1);
        questions.clear();
        answer = false;
        commands.EditClearExecute();
        EXPECT_EQ(questions, std::vector<QString>{c.question});
        EXPECT_EQ(image.ReadCell(c.area, c.cells - 1), 1 + (c.cells - 1) % 200);

        answer = true;
        commands.EditClearExecute();
        for (int i = 0; i < c.cells; ++i)
            ASSERT_EQ(image.ReadCell(c.area, i), 0) << i;
        for (PlcArea other : all) {
            if (other != c.area) {
                EXPECT_EQ(image.ReadCell(other, 0), 1);
            }
        }
        EXPECT_EQ(image.ReadDbWord(1, 0), 7);
    }
}

TEST_F(EditCommandsTest, DefaultRestoresTheImageAndTheFieldsButNotTheState)
{
    views->edit(2)->setText("100");
    views->edit(8)->setText("5");
    views->comboBox(1)->setCurrentIndex(0);
    image.SetDbExists(1, false);
    for (int n = 3; n <= 7; ++n)
        views->edit(n)->setText(QString::number(n));
    image.WriteDbWord(1, 3, 33);
    image.WriteCell(PlcArea::MB, 200, 9);
    image.SetRunning(false);
    image.SetBatteryOk(false);
    views->RefreshViews();
    ASSERT_EQ(views->comboBox(2)->currentText(), "STOP");

    commands.EmulationDefaultExecute();
    EXPECT_FALSE(image.IsRunning());
    EXPECT_FALSE(image.IsBatteryOk());
    EXPECT_EQ(views->edit(1)->text(), "1");
    EXPECT_EQ(views->edit(2)->text(), "57226");
    EXPECT_EQ(views->comboBox(1)->currentText(), "Exist");
    EXPECT_EQ(views->edit(8)->text(), "128");
    const QStringList bases = {"60416", "60672", "60928", "61184", "61312"};
    for (int n = 3; n <= 7; ++n)
        EXPECT_EQ(views->edit(n)->text(), bases[n - 3]) << "Edit" << n;
    EXPECT_EQ(image.AreaBase(PlcArea::T), 60416);
    EXPECT_EQ(image.AreaBase(PlcArea::AB), 61312);
    EXPECT_EQ(image.DbEntry(1).start, 57226);
    EXPECT_TRUE(image.DbEntry(1).exists);
    EXPECT_EQ(image.ReadDbWord(1, 3), 0);
    EXPECT_EQ(image.ReadCell(PlcArea::MB, 200), 0);
    // The block's grid is rewritten at once, the others at the next refresh.
    EXPECT_EQ(views->grid(MemoryViews::DataBlockPage)->GetCellText(1, 4), "0");
    views->RefreshViews();
    EXPECT_EQ(views->grid(MemoryViews::MerkerPage)->GetCellText(1, 201), "0");
    EXPECT_EQ(views->comboBox(2)->currentText(), "STOP");
}

} // namespace
