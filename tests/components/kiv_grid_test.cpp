// The cell-property grid's store, accessors, properties, events and column fit.
#include "grid_test_support.h"

#include "components/grid_inplace_edit.h"
#include "components/kiv_grid.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace gridtest;

namespace {

class StoreGrid : public TKivGrid
{
public:
    using TKivGrid::ModifyColCount;
    using TKivGrid::ModifyRowCount;
};

void expectFreshCell(const TKivGrid& g, int col, int row, TColor back, TColor fore)
{
    SCOPED_TRACE(testing::Message() << "cell " << col << "," << row);
    const TKivCellProperty p = g.GetCellProperty(col, row);
    EXPECT_EQ(p.Text, QString());
    EXPECT_EQ(p.Mask, QString());
    EXPECT_EQ(p.Limit, 0);
    EXPECT_EQ(p.BackColor, back);
    EXPECT_EQ(p.ForeColor, fore);
    EXPECT_EQ(p.Alignment, gcaCenter);
    EXPECT_EQ(p.Style, gcsText);
    EXPECT_EQ(p.Tag, QString());
    ASSERT_NE(p.Bitmap, nullptr);
    EXPECT_TRUE(p.Bitmap->isNull());
}

}  // namespace

TEST(KivGridConstruction, DefaultsOfANewGrid)
{
    TKivGrid g;
    EXPECT_EQ(g.GetColCount(), 5);
    EXPECT_EQ(g.GetRowCount(), 5);
    EXPECT_EQ(g.GetFixedRows(), 1);
    EXPECT_EQ(g.GetFixedCols(), 0);
    EXPECT_EQ(g.GetDefaultColWidth(), 64);
    EXPECT_EQ(g.GetDefaultRowHeight(), 20);
    EXPECT_EQ(g.GetColor(), clBtnFace);
    EXPECT_FALSE(g.GetDefaultDrawing());
    EXPECT_EQ(g.GetOptions(),
              TGridOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine));
    EXPECT_EQ(g.GetBorderStyle(), gbsSingle);
    EXPECT_EQ(g.GetFocusColor(), clNavy);
    EXPECT_EQ(g.GetSelectColor(), clRed);
    EXPECT_EQ(g.GetFocusStyle(), gfsSolid);
    EXPECT_EQ(g.GetSelectStyle(), gssNone);
    EXPECT_EQ(g.GetDefaultCellColor(), clWhite);
    EXPECT_EQ(g.GetErrorText(), QString());
    EXPECT_FALSE(g.GetAutoSizeCol());
    EXPECT_EQ(g.GetFocusFont().color, clWhite);
    EXPECT_FALSE(g.GetFocusFont().font.bold());
    EXPECT_TRUE(g.GetFixedFont().font.bold());
    EXPECT_EQ(g.GetFixedFont().font.pointSize(), 8);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
            expectFreshCell(g, c, r, clWhite, g.GetFont().color);
}

TEST(KivGridStore, RowCountGrowsAndShrinksKeepingContents)
{
    TKivGrid g;
    for (int r = 0; r < 5; ++r)
        g.SetCellText(4, r, QString::number(r));
    g.SetRowCount(129);
    EXPECT_EQ(g.GetRowCount(), 129);
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(g.GetCellText(4, r), QString::number(r));
    expectFreshCell(g, 4, 128, clWhite, g.GetFont().color);
    g.SetCellText(0, 100, "dropped");
    g.SetRowCount(3);
    EXPECT_EQ(g.GetCellText(4, 2), "2");
    EXPECT_EQ(g.GetCellText(4, 3), "");  // outside the store now
    g.SetRowCount(129);
    EXPECT_EQ(g.GetCellText(4, 3), "");
    EXPECT_EQ(g.GetCellText(0, 100), "");  // a new cell, not the old contents
}

TEST(KivGridStore, ColCountAddsAndDropsCellsAtTheEndOfEveryRow)
{
    TKivGrid g;
    g.SetCellText(1, 2, "kept");
    g.SetCellText(4, 2, "dropped");
    g.SetColCount(2);
    EXPECT_EQ(g.GetColCount(), 2);
    EXPECT_EQ(g.GetCellText(1, 2), "kept");
    EXPECT_EQ(g.GetCellText(4, 2), "");
    g.SetColCount(7);
    EXPECT_EQ(g.GetCellText(1, 2), "kept");
    EXPECT_EQ(g.GetCellText(4, 2), "");
    g.SetCellText(6, 4, "new");
    EXPECT_EQ(g.GetCellText(6, 4), "new");
}

TEST(KivGridStore, StoreFollowsTheBaseGridsCorrections)
{
    TKivGrid g;
    g.SetRowCount(0);  // the base grid keeps at least one row, and no more fixed rows than that
    EXPECT_EQ(g.GetRowCount(), 1);
    EXPECT_EQ(g.GetFixedRows(), 0);
    g.SetCellText(0, 0, "only");
    EXPECT_EQ(g.GetCellText(0, 0), "only");
    EXPECT_EQ(g.GetCellText(0, 1), "");
    g.SetColCount(-3);
    EXPECT_EQ(g.GetColCount(), 1);
    EXPECT_EQ(g.GetCellText(0, 0), "only");
    EXPECT_EQ(g.GetCellText(1, 0), "");
}

TEST(KivGridStore, NegativeCountsAreIgnoredByTheStore)
{
    StoreGrid g;
    g.SetCellText(2, 2, "x");
    g.ModifyRowCount(-1);
    g.ModifyColCount(-1);
    EXPECT_EQ(g.GetCellText(2, 2), "x");
    g.ModifyRowCount(0);  // the store may be emptied independently of the base grid
    EXPECT_EQ(g.GetCellText(2, 2), "");
    EXPECT_EQ(g.GetCellProperty(0, 0).Text, "NULL");
}

TEST(KivGridStore, NewCellsTakeTheColoursOfTheMomentTheyAreMade)
{
    TKivGrid g;
    g.SetDefaultCellColor(clYellow);
    KivFont f = g.GetFont();
    f.color = clGreen;
    g.SetFont(f);
    EXPECT_EQ(g.GetCellBackColor(1, 1), clWhite);
    EXPECT_EQ(g.GetCellForeColor(1, 1), clWindowText);
    EXPECT_EQ(g.GetCellForeColor(1, 99), clGreen);  // outside the store: the current font colour
    g.SetRowCount(6);
    g.SetColCount(6);
    EXPECT_EQ(g.GetCellBackColor(0, 5), clYellow);
    EXPECT_EQ(g.GetCellForeColor(0, 5), clGreen);
    EXPECT_EQ(g.GetCellBackColor(5, 0), clYellow);
}

TEST(KivGridAccessors, EveryFieldRoundTrips)
{
    TKivGrid g;
    g.SetCellText(1, 2, "t");
    g.SetCellMask(1, 2, "999");
    g.SetCellLimit(1, 2, 7);
    g.SetCellBackColor(1, 2, clAqua);
    g.SetCellForeColor(1, 2, clMaroon);
    g.SetCellAlignment(1, 2, gcaRightCenter);
    g.SetCellStyle(1, 2, gcsBitmap);
    g.SetCellTag(1, 2, "tag");
    QImage pic(3, 2, QImage::Format_RGB32);
    pic.fill(Qt::blue);
    g.SetCellBitmap(1, 2, pic);
    const TKivCellProperty p = g.GetCellProperty(1, 2);
    EXPECT_EQ(p.Text, "t");
    EXPECT_EQ(p.Mask, "999");
    EXPECT_EQ(p.Limit, 7);
    EXPECT_EQ(p.BackColor, clAqua);
    EXPECT_EQ(p.ForeColor, clMaroon);
    EXPECT_EQ(p.Alignment, gcaRightCenter);
    EXPECT_EQ(p.Style, gcsBitmap);
    EXPECT_EQ(p.Tag, "tag");
    EXPECT_EQ(p.Bitmap, g.GetCellBitmap(1, 2));
    EXPECT_EQ(*g.GetCellBitmap(1, 2), pic);
    EXPECT_NE(g.GetCellBitmap(1, 2), &pic);  // a copy of the picture, in the cell's own object
    EXPECT_NE(g.GetCellBitmap(1, 2), g.GetCellBitmap(2, 1));
}

TEST(KivGridAccessors, CellsOutsideTheStoreAnswerDefaultsAndIgnoreSetters)
{
    TKivGrid g;
    g.SetRowCount(4);
    const int row = g.GetRowCount();
    KivFont f = g.GetFont();
    f.color = clPurple;
    g.SetFont(f);
    g.SetColor(clTeal);
    const struct
    {
        int col;
        int row;
    } outside[] = {{0, row}, {5, 0}, {1000, 1000}};
    for (const auto& o : outside) {
        SCOPED_TRACE(testing::Message() << o.col << "," << o.row);
        g.SetCellText(o.col, o.row, "x");
        g.SetCellMask(o.col, o.row, "x");
        g.SetCellLimit(o.col, o.row, 3);
        g.SetCellBackColor(o.col, o.row, clBlue);
        g.SetCellForeColor(o.col, o.row, clBlue);
        g.SetCellAlignment(o.col, o.row, gcaTopLeft);
        g.SetCellStyle(o.col, o.row, gcsBitmap);
        g.SetCellTag(o.col, o.row, "x");
        g.SetCellBitmap(o.col, o.row, QImage(2, 2, QImage::Format_RGB32));
        g.SetCellProperty(o.col, o.row, TKivCellProperty{});
        EXPECT_EQ(g.GetCellText(o.col, o.row), "");
        EXPECT_EQ(g.GetCellMask(o.col, o.row), "");
        EXPECT_EQ(g.GetCellLimit(o.col, o.row), 0);
        EXPECT_EQ(g.GetCellBackColor(o.col, o.row), clTeal);
        EXPECT_EQ(g.GetCellForeColor(o.col, o.row), clPurple);
        EXPECT_EQ(g.GetCellAlignment(o.col, o.row), gcaCenter);
        EXPECT_EQ(g.GetCellStyle(o.col, o.row), gcsText);
        EXPECT_EQ(g.GetCellTag(o.col, o.row), "");
        EXPECT_EQ(g.GetCellBitmap(o.col, o.row), nullptr);
        const TKivCellProperty p = g.GetCellProperty(o.col, o.row);
        EXPECT_EQ(p.Text, "NULL");
        EXPECT_EQ(p.Mask, "");
        EXPECT_EQ(p.Limit, 0);
        EXPECT_EQ(p.BackColor, clRed);
        EXPECT_EQ(p.ForeColor, clWhite);
        EXPECT_EQ(p.Alignment, gcaCenter);
        EXPECT_EQ(p.Style, gcsText);
        EXPECT_EQ(p.Tag, "");
        ASSERT_NE(p.Bitmap, nullptr);
        EXPECT_TRUE(p.Bitmap->isNull());
    }
    // The null record itself is never changed through a copy.
    TKivCellProperty copy = g.GetCellProperty(0, row);
    copy.Text = "changed";
    EXPECT_EQ(g.GetCellProperty(0, row).Text, "NULL");
}

TEST(KivGridAccessors, SetCellPropertyCopiesAForeignPictureAndKeepsTheCellsOwn)
{
    TKivGrid g;
    QImage* own = g.GetCellBitmap(2, 3);
    ASSERT_NE(own, nullptr);
    {
        QImage foreign(4, 4, QImage::Format_RGB32);
        foreign.fill(Qt::green);
        TKivCellProperty p;
        p.Text = "pic";
        p.BackColor = clLime;
        p.Style = gcsBitmap;
        p.Bitmap = &foreign;
        g.SetCellProperty(2, 3, p);
        EXPECT_EQ(g.GetCellBitmap(2, 3), own);
        EXPECT_EQ(*own, foreign);
    }  // the caller's picture is gone; the cell's copy stays valid
    EXPECT_EQ(own->size(), QSize(4, 4));
    EXPECT_EQ(g.GetCellText(2, 3), "pic");
    EXPECT_EQ(g.GetCellBackColor(2, 3), clLime);

    // A record read from the cell and written back changes nothing.
    TKivCellProperty same = g.GetCellProperty(2, 3);
    same.Tag = "t";
    g.SetCellProperty(2, 3, same);
    EXPECT_EQ(g.GetCellBitmap(2, 3), own);
    EXPECT_EQ(own->size(), QSize(4, 4));
    EXPECT_EQ(g.GetCellTag(2, 3), "t");

    // A record without a picture leaves the cell without one.
    same.Bitmap = nullptr;
    g.SetCellProperty(2, 3, same);
    EXPECT_EQ(g.GetCellBitmap(2, 3), own);
    EXPECT_TRUE(own->isNull());
}

TEST(KivGridProperties, DefaultCellColorLeavesExistingCellsAlone)
{
    TKivGrid g;
    g.SetDefaultCellColor(clFuchsia);
    EXPECT_EQ(g.GetDefaultCellColor(), clFuchsia);
    EXPECT_EQ(g.GetCellBackColor(0, 0), clWhite);
}

TEST(KivGridProperties, BorderStyleSetsTheFrame)
{
    TKivGrid g;
    g.SetBorderStyle(gbsNone);
    EXPECT_EQ(g.GetBorderStyle(), gbsNone);
    EXPECT_EQ(g.TKivCustomGrid::GetBorderStyle(), bsNone);
    EXPECT_EQ(g.frameWidth(), 0);
    g.SetBorderStyle(gbsSingle);
    EXPECT_EQ(g.TKivCustomGrid::GetBorderStyle(), bsSingle);
    EXPECT_GT(g.frameWidth(), 0);
}

TEST(KivGridCellPropEvent, FiresOnlyWithAHandler)
{
    TKivGrid g;
    g.CellPropEvent(1, 1, nullptr);  // no handler: nothing happens
    TKivCellProperty rec;
    std::vector<int> seen;
    g.OnCellProperty = [&](TKivGrid* sender, int c, int r, TKivCellProperty* p) {
        EXPECT_EQ(sender, &g);
        EXPECT_EQ(p, &rec);
        seen = {c, r};
    };
    g.CellPropEvent(3, 4, &rec);
    EXPECT_EQ(seen, (std::vector<int>{3, 4}));
}

// ---- input events -----------------------------------------------------------

class KivGridInput : public testing::Test
{
protected:
    void SetUp() override
    {
        setUpLikeMainWindow(grid, 20);
        grid.resize(480, 300);
        ASSERT_TRUE(showFocused(grid));
        grid.OnCellKeyPress = [this](TKivGrid* s, int c, int r, QChar& k) {
            EXPECT_EQ(s, &grid);
            log.push_back(QString("cellkey %1 %2 %3").arg(c).arg(r).arg(k.unicode()));
        };
        grid.OnKeyPress = [this](TKivGrid* s, QChar& k) {
            EXPECT_EQ(s, &grid);
            log.push_back(QString("key %1").arg(k.unicode()));
        };
        grid.OnCellClick = [this](TKivGrid*, int c, int r) {
            log.push_back(QString("cellclick %1 %2").arg(c).arg(r));
        };
        grid.OnClick = [this](TKivGrid*) { log.push_back("click"); };
        grid.OnCellDblClick = [this](TKivGrid*, int c, int r) {
            log.push_back(QString("celldbl %1 %2").arg(c).arg(r));
        };
        grid.OnDblClick = [this](TKivGrid*) { log.push_back("dbl"); };
    }

    QPoint centre(int col, int row) const { return grid.CellRect(col, row).center(); }

    TKivGrid grid;
    QStringList log;
};

TEST_F(KivGridInput, EnterWithoutEditingReachesBothKeyEventsAndStartsNoEditor)
{
    grid.SetRow(4);
    log.clear();
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(log, QStringList({"cellkey 0 4 13", "key 13"}));
    EXPECT_FALSE(grid.GetEditorMode());
    log.clear();
    QTest::keyClick(&grid, Qt::Key_A);
    QTest::keyClick(&grid, Qt::Key_Escape);
    EXPECT_EQ(log, QStringList({"cellkey 0 4 97", "key 97", "cellkey 0 4 27", "key 27"}));
}

TEST_F(KivGridInput, AKeyChangedByTheCellHandlerReachesOnKeyPressChanged)
{
    grid.OnCellKeyPress = [](TKivGrid*, int, int, QChar& k) { k = QChar(u'z'); };
    QTest::keyClick(&grid, Qt::Key_B);
    EXPECT_EQ(log, QStringList({"key 122"}));
}

TEST_F(KivGridInput, MouseClickSelectsTheRowAndReportsTheCellUnderThePointer)
{
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(2, 5));
    EXPECT_EQ(grid.GetRow(), 5);
    EXPECT_EQ(log, QStringList({"cellclick 2 5", "click"}));
    log.clear();
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, centre(3, 6));
    EXPECT_EQ(grid.GetRow(), 6);
    EXPECT_TRUE(log.contains("celldbl 3 6"));
    EXPECT_EQ(log.back(), "dbl");
}

TEST_F(KivGridInput, KeyboardMovesReportTheCellUnderThePointerNotTheNewCurrentCell)
{
    QTest::mouseMove(grid.viewport(), centre(1, 3));
    QTest::qWait(20);
    grid.SetRow(2);
    log.clear();
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(grid.GetRow(), 3);
    EXPECT_EQ(log, QStringList({"cellclick 1 3", "click"}));
    log.clear();
    // Right of the last column, inside the viewport: no cell.
    const QPoint noCell(grid.viewport()->width() - 1, 100);
    ASSERT_EQ(grid.MouseCoord(noCell.x(), noCell.y()).X, -1);
    QTest::mouseMove(grid.viewport(), noCell);
    QTest::qWait(20);
    QTest::keyClick(&grid, Qt::Key_Down);
    EXPECT_EQ(log, QStringList({"cellclick -1 -1", "click"}));
}

TEST_F(KivGridInput, ClickOnAHeaderCellNeitherMovesNorClicks)
{
    grid.SetRow(7);
    log.clear();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, centre(1, 0));
    EXPECT_EQ(grid.GetRow(), 7);
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(KivGridInput, EnterTogglesTheEditorWithEditingAndTheTextIsStored)
{
    grid.SetOptions(grid.GetOptions() | goEditing);
    grid.SetRow(2);
    grid.SetCellText(0, 2, "old");
    grid.SetCellLimit(0, 2, 4);
    QTest::keyClick(&grid, Qt::Key_Return);
    ASSERT_TRUE(grid.GetEditorMode());
    GridInplaceEdit* ed = grid.InplaceEditor();
    ASSERT_NE(ed, nullptr);
    EXPECT_TRUE(ed->isVisible());
    EXPECT_EQ(ed->text(), "old");
    EXPECT_EQ(ed->maxLength(), 4);
    QTest::keyClicks(ed, "hello");  // all selected: replaced, cut at the limit of 4
    EXPECT_EQ(grid.GetCellText(0, 2), "hell");
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_FALSE(grid.GetEditorMode());
    EXPECT_FALSE(ed->isVisible());
    EXPECT_EQ(grid.GetCellText(0, 2), "hell");
    EXPECT_TRUE(log.contains("key 13"));
    // Escape ends editing too, and the key still reaches the handlers.
    QTest::keyClick(&grid, Qt::Key_Return);
    ASSERT_TRUE(grid.GetEditorMode());
    log.clear();
    QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);
    EXPECT_FALSE(grid.GetEditorMode());
    EXPECT_EQ(log, QStringList({"cellkey 0 2 27", "key 27"}));
}

TEST_F(KivGridInput, DisabledGridDoesNotStartTheEditor)
{
    grid.SetOptions(grid.GetOptions() | goEditing);
    grid.setEnabled(false);
    grid.SetEditorMode(true);
    EXPECT_FALSE(grid.GetEditorMode());
}

// ---- column fit ---------------------------------------------------------------

TEST(KivGridAutoSize, SpreadsTheFreeWidthOverTheColumns)
{
    TKivGrid g;
    g.SetBorderStyle(gbsNone);
    g.resize(500, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    ASSERT_EQ(g.viewport()->width(), 500);
    g.DoAutoSizeCol();  // total 325, room 497, 172 / 5 = 34.4: each column gains 34
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(g.GetColWidths(c), 98) << c;
    g.DoAutoSizeCol();  // total 495 < 497, 2 / 5 = 0.4 rounds to 0: nothing changes
    EXPECT_EQ(g.GetColWidths(0), 98);
}

TEST(KivGridAutoSize, ShrinksButNeverToFivePixelsOrLess)
{
    TKivGrid g;
    g.SetBorderStyle(gbsNone);
    g.resize(100, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    const int widths[] = {64, 64, 64, 40, 64};
    for (int c = 0; c < 5; ++c)
        g.SetColWidths(c, widths[c]);
    // total 301, room 97, 204 / 5 = 40.8: each column loses 41 unless it would drop to 5 or less
    g.DoAutoSizeCol();
    const int expected[] = {23, 23, 23, 40, 23};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(g.GetColWidths(c), expected[c]) << c;
}

TEST(KivGridAutoSize, ResizeFitsOnlyWithAutoSizeColAndAlwaysFiresOnResize)
{
    TKivGrid g;
    g.SetBorderStyle(gbsNone);
    int resized = 0;
    g.OnResize = [&](TKivGrid* s) {
        EXPECT_EQ(s, &g);
        ++resized;
    };
    g.resize(500, 300);
    g.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    EXPECT_GT(resized, 0);
    EXPECT_EQ(g.GetColWidths(0), 64);
    g.SetAutoSizeCol(true);
    EXPECT_EQ(g.GetColWidths(0), 64);  // stored only: the fit waits for the next resize
    g.resize(400, 300);
    QTest::qWait(20);
    // total 325, room 397, 72 / 5 = 14.4: each column gains 14
    EXPECT_EQ(g.GetColWidths(0), 78);
}
