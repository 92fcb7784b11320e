// The seven memory pages as the operator sees and types into them: the four
// notations of a cell, the clamping and key filter of the number fields, the
// directory and base writes, the selectors following the image, and the
// refresh leaving an unchanged image alone.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "components/kiv_grid.h"
#include "core/plc_image.h"
#include "ui/memory_views.h"
#include "ui/up_down_buttons.h"

namespace {

using Page = MemoryViews::Page;

// Counts paints of one widget.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class MemoryViewsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pages.resize(794, 511);
        // What the window's showing does.
        views->SetUpGrids();
        views->SetUpAddressFields();
        views->Edit1Change();
        pages.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
    }

    QString cell(Page page, int col, int row) const { return views->grid(page)->GetCellText(col, row); }
    QStringList values(Page page, int row) const
    {
        return {cell(page, 1, row), cell(page, 2, row), cell(page, 3, row), cell(page, 4, row)};
    }

    // Replaces the field's text by typing.
    void type(int field, const QString& keys)
    {
        QLineEdit* edit = views->edit(field);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, keys);
    }

    PlcImage image;
    QTabWidget pages;
    MemoryViews* views = new MemoryViews(image, &pages);
};

struct NotationCase
{
    Page page;
    int cell;
    int32_t value;
    QStringList shown; // DEC, HEX, BCD, BIN
};

const NotationCase kNotations[] = {
    {MemoryViews::DataBlockPage, 0, 0x1234, {"4660", "1234", "1234", "00010010 00110100"}},
    {MemoryViews::DataBlockPage, 127, 0xFFFF, {"65535", "FFFF", "----", "11111111 11111111"}},
    {MemoryViews::DataBlockPage, 9, 0x12AB, {"4779", "12AB", "----", "00010010 10101011"}},
    {MemoryViews::TimerPage, 5, 0x0099, {"153", "0099", "0099", "00000000 10011001"}},
    {MemoryViews::CounterPage, 127, 0x9A00, {"39424", "9A00", "----", "10011010 00000000"}},
    {MemoryViews::MerkerPage, 255, 0x05, {"5", "05", "05", "00000101"}},
    {MemoryViews::InputPage, 3, 0x45, {"69", "45", "45", "01000101"}},
    {MemoryViews::InputPage, 4, 0xA5, {"165", "A5", "--", "10100101"}},
    {MemoryViews::OutputPage, 0, 0xFF, {"255", "FF", "--", "11111111"}},
};

TEST_F(MemoryViewsTest, CellsShowTheirValueInFourNotations)
{
    for (const NotationCase& c : kNotations) {
        if (c.page == MemoryViews::DataBlockPage)
            image.WriteDbWord(1, c.cell, c.value);
        else
            image.WriteCell(MemoryViews::areaOf(c.page), c.cell, c.value);
    }
    views->RefreshViews();
    for (const NotationCase& c : kNotations) {
        SCOPED_TRACE(testing::Message() << "page " << c.page << " cell " << c.cell);
        EXPECT_EQ(values(c.page, c.cell + 1), c.shown);
        EXPECT_EQ(cell(c.page, 0, c.cell + 1), QString::number(c.cell));
    }
}

TEST_F(MemoryViewsTest, FirstRefreshFillsEveryRowOfEveryGrid)
{
    const QStringList word = {"0", "0000", "0000", "00000000 00000000"};
    const QStringList byte = {"0", "00", "00", "00000000"};
    views->RefreshViews();
    for (int p = MemoryViews::DataBlockPage; p <= MemoryViews::OutputPage; ++p) {
        const Page page = static_cast<Page>(p);
        const TKivGrid* grid = views->grid(page);
        const int cells = page == MemoryViews::MerkerPage ? 256 : 128;
        ASSERT_EQ(grid->GetRowCount(), cells + 1);
        const bool isWord = PlcImage::IsWordArea(MemoryViews::areaOf(page));
        for (int r = 1; r <= cells; ++r) {
            ASSERT_EQ(values(page, r), isWord ? word : byte) << "page " << p << " row " << r;
            ASSERT_EQ(cell(page, 0, r), QString::number(r - 1)) << "page " << p << " row " << r;
        }
    }
    EXPECT_EQ(cell(MemoryViews::DataBlockPage, 0, 0), "DWord");
    EXPECT_EQ(cell(MemoryViews::MerkerPage, 0, 0), "Merker");
    EXPECT_EQ(cell(MemoryViews::OutputPage, 4, 0), "BIN Value");
}

TEST_F(MemoryViewsTest, DbNumberIsClampedAndShowsItsBlock)
{
    image.WriteDbWord(127, 5, 77);
    image.WriteDbWord(2, 0, 22);
    image.SetDbExists(127, false);
    image.SetDbLength(127, 40);

    type(1, "0");
    EXPECT_EQ(views->edit(1)->text(), "1");
    EXPECT_EQ(views->edit(2)->text(), QString::number(PlcImage::DefaultDbStart(1)));

    type(1, "200");
    EXPECT_EQ(views->edit(1)->text(), "127");
    EXPECT_EQ(views->edit(2)->text(), QString::number(PlcImage::DefaultDbStart(127)));
    EXPECT_EQ(views->comboBox(1)->currentText(), "Not Exist");
    EXPECT_EQ(views->edit(8)->text(), "40");
    EXPECT_EQ(cell(MemoryViews::DataBlockPage, 1, 6), "77");
    // Showing the block writes nothing into its directory entry.
    EXPECT_EQ(image.DbEntry(127).start, PlcImage::DefaultDbStart(127));
    EXPECT_EQ(image.DbEntry(127).length, 40);
    EXPECT_FALSE(image.DbEntry(127).exists);

    views->edit(1)->clear();
    EXPECT_EQ(views->edit(1)->text(), "1");
    EXPECT_EQ(views->comboBox(1)->currentText(), "Exist");
    EXPECT_EQ(views->edit(8)->text(), "128");

    // The arrow keys and the buttons step within 1 to 127.
    QTest::keyClick(views->edit(1), Qt::Key_Up);
    EXPECT_EQ(views->edit(1)->text(), "2");
    EXPECT_EQ(cell(MemoryViews::DataBlockPage, 1, 1), "22");
    QTest::keyClick(views->edit(1), Qt::Key_Down);
    QTest::keyClick(views->edit(1), Qt::Key_Down);
    EXPECT_EQ(views->edit(1)->text(), "1");
    type(1, "126");
    QToolButton* up = views->upDown()->upButton();
    QTest::mouseClick(up, Qt::LeftButton, {}, up->rect().center());
    QTest::mouseClick(up, Qt::LeftButton, {}, up->rect().center());
    EXPECT_EQ(views->edit(1)->text(), "127");
}

struct ClampCase
{
    int field;
    QString typed;
    QString shown;
    int32_t stored;
};

// Reads what the field stands for in the image (the DB fields for DB 1).
int32_t Stored(const PlcImage& image, int field)
{
    switch (field) {
    case 2: return image.DbEntry(1).start;
    case 8: return image.DbEntry(1).length;
    case 3: return image.AreaBase(PlcArea::T);
    case 4: return image.AreaBase(PlcArea::Z);
    case 5: return image.AreaBase(PlcArea::MB);
    case 6: return image.AreaBase(PlcArea::EB);
    case 7: return image.AreaBase(PlcArea::AB);
    }
    return -1;
}

TEST_F(MemoryViewsTest, AddressAndWordsFieldsAreClampedAsTyped)
{
    const ClampCase cases[] = {
        {2, "70000", "65535", 65535}, {2, "0", "1", 1},     {2, "4096", "4096", 4096},
        {8, "0", "1", 1},             {8, "200", "128", 128}, {8, "10", "10", 10},
        {3, "70000", "65535", 65535}, {3, "0", "1", 1},     {4, "99999", "65535", 65535},
        {5, "0", "1", 1},             {6, "70000", "65535", 65535}, {7, "0", "1", 1},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "Edit" << c.field << " " << c.typed.toStdString());
        type(c.field, c.typed);
        EXPECT_EQ(views->edit(c.field)->text(), c.shown);
        EXPECT_EQ(Stored(image, c.field), c.stored);
    }
}

TEST_F(MemoryViewsTest, EveryDigitTypedIsStoredAtOnce)
{
    for (int field : {2, 3, 4, 5, 6, 7}) {
        SCOPED_TRACE(testing::Message() << "Edit" << field);
        views->edit(field)->setFocus();
        views->edit(field)->selectAll();
        std::vector<int32_t> seen;
        for (QChar digit : QStringLiteral("4096")) {
            QTest::keyClick(views->edit(field), digit.toLatin1());
            seen.push_back(Stored(image, field));
        }
        EXPECT_EQ(seen, (std::vector<int32_t>{4, 40, 409, 4096}));
    }
}

TEST_F(MemoryViewsTest, NumberFieldsTakeOnlyDigitsAndTheFullStop)
{
    // The DB number last: the directory fields below write DB 1.
    for (int field : {2, 3, 4, 5, 6, 7, 8, 1}) {
        SCOPED_TRACE(testing::Message() << "Edit" << field);
        QLineEdit* edit = views->edit(field);
        type(field, "3");
        QTest::keyClicks(edit, "aZ- +,x");
        EXPECT_EQ(edit->text(), "3");
        QTest::keyClick(edit, '.');
        EXPECT_EQ(edit->text(), "3.");
        // The full stop ends the number.
        QTest::keyClick(edit, '5');
        EXPECT_EQ(edit->text(), "3.5");
        if (field != 1) {
            EXPECT_EQ(Stored(image, field), 3);
        }
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text(), "3.");
    }
    EXPECT_EQ(views->dbNumber(), 3);
}

TEST_F(MemoryViewsTest, DirectoryFieldsWriteTheShownBlock)
{
    type(1, "4");
    type(2, "1000");
    type(8, "10");
    QComboBox* state = views->comboBox(1);
    state->setFocus();
    QTest::keyClick(state, Qt::Key_Up);
    EXPECT_EQ(state->currentText(), "Not Exist");
    const DbDirectoryEntry entry = image.DbEntry(4);
    EXPECT_EQ(entry.start, 1000);
    EXPECT_EQ(entry.length, 10);
    EXPECT_FALSE(entry.exists);
    EXPECT_EQ(image.DbEntry(3).start, PlcImage::DefaultDbStart(3));
    EXPECT_EQ(image.DbEntry(5).start, PlcImage::DefaultDbStart(5));

    // A block that does not exist, and is short, still shows all 128 words.
    image.WriteDbWord(4, 127, 9);
    views->RefreshViews();
    EXPECT_EQ(cell(MemoryViews::DataBlockPage, 1, 128), "9");

    QTest::keyClick(state, Qt::Key_Down);
    EXPECT_TRUE(image.DbEntry(4).exists);
}

TEST_F(MemoryViewsTest, MovingTheTimerBaseKeepsTheRows)
{
    image.WriteCell(PlcArea::T, 0, 11);
    image.WriteCell(PlcArea::T, 127, 22);
    views->RefreshViews();
    pages.setCurrentIndex(MemoryViews::TimerPage);
    type(3, "1234");
    ASSERT_EQ(image.AreaBase(PlcArea::T), 1234);
    views->RefreshViews();
    for (int r = 1; r <= 128; ++r)
        ASSERT_EQ(cell(MemoryViews::TimerPage, 0, r), QString::number(r - 1)) << r;
    EXPECT_EQ(cell(MemoryViews::TimerPage, 1, 1), "11");
    EXPECT_EQ(cell(MemoryViews::TimerPage, 1, 128), "22");
}

TEST_F(MemoryViewsTest, SelectorsFollowTheImageAndWriteTheOperatorsChoice)
{
    QComboBox* plc = views->comboBox(2);
    QComboBox* battery = views->comboBox(3);
    EXPECT_EQ(plc->currentText(), "RUN");
    EXPECT_EQ(battery->currentText(), "OK");

    // The PG writes STOP and a battery fault.
    image.ApplyStatusByte(0x40);
    views->RefreshViews();
    EXPECT_EQ(plc->currentText(), "STOP");
    EXPECT_EQ(battery->currentText(), "FAULT");
    // Following the image is no choice of the operator's.
    EXPECT_FALSE(image.IsRunning());
    EXPECT_FALSE(image.IsBatteryOk());

    image.ApplyStatusByte(0x08);
    views->RefreshViews();
    EXPECT_EQ(plc->currentText(), "RUN");
    EXPECT_EQ(battery->currentText(), "OK");

    // A dropped-down list is left to the operator.
    pages.setCurrentIndex(MemoryViews::SystemPage);
    plc->showPopup();
    ASSERT_TRUE(plc->view()->isVisible());
    image.SetRunning(false);
    views->RefreshViews();
    EXPECT_EQ(plc->currentText(), "RUN");
    plc->hidePopup();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !plc->view()->isVisible(); }));
    views->RefreshViews();
    EXPECT_EQ(plc->currentText(), "STOP");

    plc->setFocus();
    QTest::keyClick(plc, Qt::Key_Up);
    EXPECT_TRUE(image.IsRunning());
    battery->setFocus();
    QTest::keyClick(battery, Qt::Key_Down);
    EXPECT_FALSE(image.IsBatteryOk());
    QTest::keyClick(battery, Qt::Key_Up);
    EXPECT_TRUE(image.IsBatteryOk());
}

TEST_F(MemoryViewsTest, RefreshOfAnIdleImageRepaintsNothing)
{
    views->RefreshViews();
    for (int p = MemoryViews::DataBlockPage; p <= MemoryViews::OutputPage; ++p) {
        const Page page = static_cast<Page>(p);
        SCOPED_TRACE(testing::Message() << "page " << p);
        pages.setCurrentIndex(page);
        QWidget* viewport = views->grid(page)->viewport();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&pages));
        PaintCounter counter;
        viewport->installEventFilter(&counter);
        QTest::qWait(30);
        counter.paints = 0;

        for (int i = 0; i < 3; ++i)
            views->RefreshViews();
        QTest::qWait(30);
        EXPECT_EQ(counter.paints, 0);

        // A changed cell is repainted: the count above can see a write.
        if (page == MemoryViews::DataBlockPage)
            image.WriteDbWord(1, 0, 1 + p);
        else
            image.WriteCell(MemoryViews::areaOf(page), 0, 1 + p);
        views->RefreshViews();
        EXPECT_TRUE(QTest::qWaitFor([&] { return counter.paints > 0; }, 1000));
        viewport->removeEventFilter(&counter);
    }
}

} // namespace
