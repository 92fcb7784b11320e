// The owner-drawn base grid: layout, scrolling with fixed cells, keyboard
// and mouse navigation, and the drawing rules of its canvas.
#include "grid_test_support.h"

#include "components/grid_canvas.h"
#include "components/kiv_custom_grid.h"

#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace gridtest;

namespace {

// A base grid that records the cells it is asked to paint.
class ProbeGrid : public TKivCustomGrid
{
public:
    ProbeGrid()
    {
        SetBorderStyle(bsNone);
        SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine);
        SetColCount(5);
        SetRowCount(100);
        SetDefaultRowHeight(18);
    }
    std::vector<std::pair<TGridCoord, TGridDrawState>> drawn;

protected:
    void DrawCell(int ACol, int ARow, const QRect&, TGridDrawState State) override
    {
        drawn.push_back({TGridCoord{ACol, ARow}, State});
    }
};

class CustomGrid : public testing::Test
{
protected:
    void SetUp() override
    {
        grid.resize(400, 200);  // 200 / 19 leaves room for 10 rows: the header and 9 data rows
        ASSERT_TRUE(showFocused(grid));
    }
    void key(Qt::Key k, Qt::KeyboardModifiers m = {}) { QTest::keyClick(&grid, k, m); }
    ProbeGrid grid;
};

}  // namespace

TEST(CustomGridCounts, CountsKeepAtLeastOneCellAndFixedCellsBelowTheCount)
{
    ProbeGrid g;
    g.SetFixedRows(1);
    g.SetRowCount(1);
    EXPECT_EQ(g.GetRowCount(), 1);
    EXPECT_EQ(g.GetFixedRows(), 0);
    g.SetRowCount(-4);
    EXPECT_EQ(g.GetRowCount(), 1);
    g.SetFixedCols(10);
    EXPECT_EQ(g.GetFixedCols(), 4);
    g.SetColWidths(2, -5);
    EXPECT_EQ(g.GetColWidths(2), 0);
    EXPECT_EQ(g.GetColWidths(99), 0);
    g.SetDefaultColWidth(30);
    EXPECT_EQ(g.GetColWidths(2), 30);
}

TEST_F(CustomGrid, ArrowsPagesHomeAndEndMoveTheCurrentCell)
{
    EXPECT_EQ(grid.GetRow(), 1);
    EXPECT_EQ(grid.GetCol(), 1);
    const int page = grid.VisibleRowCount();
    EXPECT_EQ(page, 9);
    key(Qt::Key_Up);
    EXPECT_EQ(grid.GetRow(), 1);  // never into the fixed row
    key(Qt::Key_Down);
    key(Qt::Key_Right);
    EXPECT_EQ(grid.GetRow(), 2);
    EXPECT_EQ(grid.GetCol(), 2);
    key(Qt::Key_PageDown);
    EXPECT_EQ(grid.GetRow(), 2 + page);
    key(Qt::Key_PageUp);
    EXPECT_EQ(grid.GetRow(), 2);
    key(Qt::Key_End);
    EXPECT_EQ(grid.GetCol(), 4);
    EXPECT_EQ(grid.GetRow(), 2);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.GetRow(), 99);
    key(Qt::Key_Home);
    EXPECT_EQ(grid.GetCol(), 1);
    key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(grid.GetRow(), 1);
}

TEST_F(CustomGrid, WithRowSelectHomeAndEndGoToTheFirstAndLastRow)
{
    grid.SetOptions(grid.GetOptions() | goRowSelect);
    key(Qt::Key_End);
    EXPECT_EQ(grid.GetRow(), 99);
    EXPECT_EQ(grid.GetCol(), 1);  // the column stays at the first scrolled one
    EXPECT_EQ(grid.GetSelection(), (TGridRect{1, 99, 4, 99}));
    key(Qt::Key_Home);
    EXPECT_EQ(grid.GetRow(), 1);
}

TEST_F(CustomGrid, ScrollingKeepsTheFixedRowAndColumnInView)
{
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.GetTopRow(), 91);
    EXPECT_EQ(grid.CellRect(0, 0).topLeft(), QPoint(0, 0));
    EXPECT_EQ(grid.CellRect(2, 0).top(), 0);
    EXPECT_EQ(grid.CellRect(0, 91).top(), 19);
    EXPECT_TRUE(grid.CellRect(2, 5).isEmpty());  // scrolled out
    EXPECT_EQ(grid.MouseCoord(5, 5), (TGridCoord{0, 0}));
    EXPECT_EQ(grid.MouseCoord(70, 25), (TGridCoord{1, 91}));
    EXPECT_EQ(grid.verticalScrollBar()->value(), 91);

    grid.drawn.clear();
    grid.viewport()->repaint();
    bool headerPainted = false;
    bool scrolledOutPainted = false;
    for (const auto& [cell, state] : grid.drawn) {
        headerPainted |= cell == TGridCoord{2, 0} && state.testFlag(gdFixed);
        scrolledOutPainted |= cell.Y > 0 && cell.Y < 91;
    }
    EXPECT_TRUE(headerPainted);
    EXPECT_FALSE(scrolledOutPainted);
}

TEST_F(CustomGrid, DrawStateFlagsFollowSelectionFocusAndFixedCells)
{
    grid.SetRow(3);
    grid.drawn.clear();
    grid.viewport()->repaint();
    for (const auto& [cell, state] : grid.drawn) {
        SCOPED_TRACE(testing::Message() << cell.X << "," << cell.Y);
        const bool fixed = cell.X == 0 || cell.Y == 0;
        const bool current = cell.X == 1 && cell.Y == 3;
        EXPECT_EQ(state.testFlag(gdFixed), fixed);
        EXPECT_EQ(state.testFlag(gdFocused), current);
        EXPECT_EQ(state.testFlag(gdSelected), current);
    }
}

TEST_F(CustomGrid, MouseCoordOutsideAnyCellIsMinusOne)
{
    EXPECT_EQ(grid.MouseCoord(-1, 5), (TGridCoord{-1, -1}));
    EXPECT_EQ(grid.MouseCoord(399, 5), (TGridCoord{-1, -1}));  // right of the last column
    EXPECT_EQ(grid.MouseCoord(64, 18), (TGridCoord{0, 0}));   // the lines belong to the cell before
    EXPECT_EQ(grid.MouseCoord(65, 19), (TGridCoord{1, 1}));
}

TEST_F(CustomGrid, RangeSelectionByShiftArrows)
{
    grid.SetOptions(grid.GetOptions() | goRangeSelect);
    key(Qt::Key_Down, Qt::ShiftModifier);
    key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(grid.GetSelection(), (TGridRect{1, 1, 2, 2}));
    key(Qt::Key_Down);
    EXPECT_EQ(grid.GetSelection(), (TGridRect{2, 3, 2, 3}));
}

TEST_F(CustomGrid, TabsMoveBetweenCellsOnlyWithGoTabs)
{
    grid.SetOptions(grid.GetOptions() | goTabs);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetCol(), 2);
    key(Qt::Key_End);
    key(Qt::Key_Tab);
    EXPECT_EQ(grid.GetCol(), 1);
    EXPECT_EQ(grid.GetRow(), 2);
    EXPECT_TRUE(grid.hasFocus());
}

TEST_F(CustomGrid, ColumnsAreSizedByDraggingTheHeaderLine)
{
    grid.SetOptions(grid.GetOptions() | goColSizing);
    QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, QPoint(64, 8));
    QTest::mouseMove(grid.viewport(), QPoint(100, 8));
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, QPoint(100, 8));
    EXPECT_EQ(grid.GetColWidths(0), 100);
}

TEST(GridCanvasLines, LinesLeaveOutTheirEndPointAndDotsAlternate)
{
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        GridCanvas c(p);
        c.setPenColor(clBlack);
        c.moveTo(2, 2);
        c.lineTo(10, 2);
        c.lineTo(10, 8);
        c.setPenStyle(psDot);
        c.moveTo(2, 12);
        c.lineTo(12, 12);
        c.setPenStyle(psSolid);
        c.moveTo(15, 15);
        c.lineTo(12, 12);  // a diagonal, backwards
    }
    for (int x = 2; x < 10; ++x)
        EXPECT_TRUE(is(img, x, 2, clBlack)) << x;
    EXPECT_TRUE(is(img, 10, 2, clBlack));  // start of the second line
    EXPECT_TRUE(is(img, 10, 7, clBlack));
    EXPECT_TRUE(is(img, 10, 8, clWhite));  // its end point
    EXPECT_TRUE(is(img, 1, 2, clWhite));
    for (int x = 2; x < 12; ++x)
        EXPECT_TRUE(is(img, x, 12, (x % 2 == 0) ? clBlack : clWhite)) << x;
    EXPECT_TRUE(is(img, 15, 15, clBlack));
    EXPECT_TRUE(is(img, 13, 13, clBlack));
    EXPECT_TRUE(is(img, 12, 12, clWhite));
}

TEST(GridCanvasText, OpaqueTextFillsAndClipsToItsRectangle)
{
    QImage img(60, 30, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        GridCanvas c(p);
        c.setBrushColor(clYellow);
        c.setFont(KivFont{defaultKivFont().font, clBlack});
        c.textRect(QRect(10, 5, 20, 15), 12, 6, "MMMMMMMMMM");
    }
    EXPECT_TRUE(is(img, 10, 5, clYellow));
    EXPECT_TRUE(is(img, 29, 19, clYellow) || !is(img, 29, 19, clWhite));
    for (int y = 0; y < 30; ++y)
        EXPECT_TRUE(is(img, 30, y, clWhite)) << y;  // nothing past the clip rectangle
    EXPECT_FALSE(inkBox(img, QRect(10, 5, 20, 15), clYellow).isEmpty());
}
