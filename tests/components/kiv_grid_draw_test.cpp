// What the cell-property grid paints, checked pixel by pixel on a grid that
// is set up like the main window's.
#include "grid_test_support.h"

#include "components/kiv_grid.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

using namespace gridtest;

namespace {

class KivGridDraw : public testing::Test
{
protected:
    void SetUp() override
    {
        setUpLikeMainWindow(grid, 20);
        grid.resize(480, 300);
        other.resize(50, 20);
    }

    void focusGrid() { ASSERT_TRUE(showFocused(grid)); }

    // Shows the grid but hands the focus to another window.
    void unfocusGrid()
    {
        ASSERT_TRUE(showFocused(grid));
        other.move(600, 0);
        ASSERT_TRUE(showFocused(other));
        ASSERT_FALSE(grid.hasFocus());
    }

    QRect cell(int c, int r) const { return grid.CellRect(c, r); }

    TKivGrid grid;
    QLineEdit other;
};

// The edges of a cell rectangle (right and bottom exclusive) that carry the outline colour.
struct Edges
{
    bool left, top, right, bottom;
};

void expectEdges(const QImage& img, const QRect& r, TColor outline, TColor back, Edges e)
{
    const int l = r.left();
    const int t = r.top();
    const int rr = r.left() + r.width() - 1;
    const int b = r.top() + r.height() - 1;
    const int mx = l + r.width() / 2;
    const int my = t + r.height() / 2;
    EXPECT_TRUE(is(img, l, my, e.left ? outline : back)) << "left";
    EXPECT_TRUE(is(img, mx, t, e.top ? outline : back)) << "top";
    EXPECT_TRUE(is(img, rr, my, e.right ? outline : back)) << "right";
    EXPECT_TRUE(is(img, mx, b, e.bottom ? outline : back)) << "bottom";
}

}  // namespace

TEST_F(KivGridDraw, RowOutlineIsOnePiecePerColumnWhileFocused)
{
    grid.SetFocusStyle(gfsSingle);
    grid.SetRow(3);
    focusGrid();
    const QImage img = paint(grid);
    const Edges expected[] = {{true, true, false, true},
                              {false, true, false, true},
                              {false, true, false, true},
                              {false, true, false, true},
                              {false, true, true, true}};
    for (int c = 0; c < 5; ++c) {
        SCOPED_TRACE(c);
        expectEdges(img, cell(c, 3), clNavy, clWhite, expected[c]);
    }
    // The pieces join: the corners of the row are drawn, and the row below is untouched.
    const QRect first = cell(0, 3);
    const QRect last = cell(4, 3);
    EXPECT_TRUE(is(img, first.left(), first.top(), clNavy));
    EXPECT_TRUE(is(img, first.left(), first.bottom(), clNavy));
    EXPECT_TRUE(is(img, last.right(), last.top(), clNavy));
    EXPECT_TRUE(is(img, last.right(), last.bottom(), clNavy));
    expectEdges(img, cell(1, 4), clNavy, clWhite, {false, false, false, false});
}

TEST_F(KivGridDraw, SelectionOutlineWhileNotFocusedUsesSelectColor)
{
    grid.SetSelectStyle(gssSingle);
    grid.SetRow(2);
    unfocusGrid();
    const QImage img = paint(grid);
    expectEdges(img, cell(0, 2), clRed, clWhite, {true, true, false, true});
    expectEdges(img, cell(2, 2), clRed, clWhite, {false, true, false, true});
    expectEdges(img, cell(4, 2), clRed, clWhite, {false, true, true, true});
}

TEST_F(KivGridDraw, SingleColumnGridGetsTheWholeRectangle)
{
    grid.SetColCount(1);
    grid.SetFocusStyle(gfsSingle);
    grid.SetRow(2);
    focusGrid();
    expectEdges(paint(grid), cell(0, 2), clNavy, clWhite, {true, true, true, true});
}

TEST_F(KivGridDraw, SpacerOutlineIsDotted)
{
    grid.SetFocusStyle(gfsSpacer);
    grid.SetRow(2);
    focusGrid();
    const QImage img = paint(grid);
    const QRect r = cell(1, 2);
    int navy = 0;
    for (int x = r.left(); x < r.left() + r.width(); ++x)
        navy += is(img, x, r.top(), clNavy) ? 1 : 0;
    EXPECT_GT(navy, r.width() / 2 - 2);
    EXPECT_LT(navy, r.width() / 2 + 2);
}

TEST_F(KivGridDraw, FocusedRowIsFilledWithFocusColorInFocusFont)
{
    grid.SetCellText(1, 3, "12345");
    grid.SetCellText(1, 4, "12345");
    grid.SetRow(3);
    focusGrid();
    const QImage img = paint(grid);
    for (int c = 0; c < 5; ++c) {
        const QRect r = cell(c, 3);
        EXPECT_TRUE(is(img, r.left(), r.top(), clNavy)) << c;
        EXPECT_TRUE(is(img, r.left() + 1, r.bottom() - 1, clNavy)) << c;
    }
    // Antialiased text: its brightest pixel is white on the focused row and
    // its darkest pixel is dark on the others.
    auto extremes = [&](const QRect& r, TColor background) {
        const QRect ink = inkBox(img, r.adjusted(1, 1, -1, -1), background);
        int lightest = 0;
        int darkest = 255;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x) {
                const int v = qGray(img.pixel(x, y));
                lightest = std::max(lightest, v);
                darkest = std::min(darkest, v);
            }
        return std::pair{lightest, darkest};
    };
    EXPECT_FALSE(inkBox(img, cell(1, 3).adjusted(1, 1, -1, -1), clNavy).isEmpty());
    EXPECT_EQ(extremes(cell(1, 3), clNavy).first, 255);
    EXPECT_LT(extremes(cell(1, 4), clWhite).second, 80);
    // Another row keeps its white background and dark text.
    EXPECT_TRUE(is(img, cell(1, 4).left(), cell(1, 4).top(), clWhite));
}

TEST_F(KivGridDraw, WithoutFocusAndGssNoneTheCurrentRowLooksLikeTheOthers)
{
    for (int r = 3; r <= 4; ++r)
        grid.SetCellText(1, r, "678");
    grid.SetRow(3);
    unfocusGrid();
    const QImage img = paint(grid);
    const QRect a = cell(1, 3);
    const QRect b = cell(1, 4);
    EXPECT_EQ(img.copy(a), img.copy(b));
    EXPECT_TRUE(is(img, a.left(), a.top(), clWhite));
}

TEST_F(KivGridDraw, FixedCellsHaveABevelAndTheFixedColour)
{
    focusGrid();
    QImage img = paint(grid);
    const QRect h = cell(4, 0);  // the wide header cell has room beside its text
    const int l = h.left();
    const int t = h.top();
    const int r = h.right();
    const int b = h.bottom();
    EXPECT_TRUE(is(img, l, b, clWhite));
    EXPECT_TRUE(is(img, l, t + 3, clWhite));
    EXPECT_TRUE(is(img, r, t, clWhite));
    EXPECT_TRUE(is(img, r, t + 3, clGray));
    EXPECT_TRUE(is(img, r, b, clGray));
    EXPECT_TRUE(is(img, l + 3, b, clGray));
    EXPECT_TRUE(is(img, l + 1, t + 1, clBtnFace));
    EXPECT_TRUE(is(img, r - 1, b - 1, clBtnFace));

    grid.SetCtl3D(false);
    img = paint(grid);
    EXPECT_TRUE(is(img, l, b, clBtnFace));
    EXPECT_TRUE(is(img, r, t + 3, clBtnFace));
}

TEST_F(KivGridDraw, HeaderTextIsBoldAndDataTextIsNot)
{
    grid.SetCellText(1, 0, "88888");
    grid.SetCellText(1, 4, "88888");
    focusGrid();
    const QImage img = paint(grid);
    const QRect header = inkBox(img, cell(1, 0).adjusted(2, 2, -2, -2), clBtnFace);
    const QRect data = inkBox(img, cell(1, 4).adjusted(1, 1, -1, -1), clWhite);
    ASSERT_FALSE(header.isEmpty());
    ASSERT_FALSE(data.isEmpty());
    EXPECT_GT(header.width(), data.width());
}

// Placement by alignment: the same text is drawn once per alignment, and the
// ink moves exactly by the difference of the computed start points.
TEST_F(KivGridDraw, TextIsPlacedByAlignment)
{
    grid.resize(480, 420);
    grid.SetDefaultRowHeight(30);
    const QString text = "Wg";
    const struct
    {
        int row;
        TGridCellAlign align;
    } cases[] = {{2, gcaTopLeft},       {3, gcaLeftCenter},  {4, gcaRightCenter},
                 {5, gcaTopCenter},     {6, gcaBottomCenter}, {7, gcaCenter},
                 {8, TGridCellAlign(2)}, {9, TGridCellAlign(9)}};
    for (const auto& c : cases) {
        grid.SetCellText(4, c.row, text);
        grid.SetCellAlignment(4, c.row, c.align);
        grid.SetCellForeColor(4, c.row, clBlack);
    }
    unfocusGrid();  // no highlighted row
    const QImage img = paint(grid);
    const QFontMetrics fm(grid.GetFont().font, grid.viewport());
    const int w = fm.horizontalAdvance(text);
    const int h = fm.height();
    const QRect inner = cell(4, 2).adjusted(1, 1, -1, -1);
    const int li = inner.left();
    const int ti = inner.top();
    const int ri = inner.left() + inner.width();
    const int bi = inner.top() + inner.height();
    auto origin = [&](TGridCellAlign a) {
        switch (a) {
        case gcaLeftCenter:
            return QPoint(li + 2, ti + (bi - ti) / 2 - h / 2);
        case gcaRightCenter:
            return QPoint(ri - w - 2, ti + (bi - ti) / 2 - h / 2);
        case gcaTopCenter:
            return QPoint(li + (ri - li) / 2 - w / 2, ti + 2);
        case gcaBottomCenter:
            return QPoint(li + (ri - li) / 2 - w / 2, bi - h - 2);
        case gcaCenter:
            return QPoint(li + (ri - li) / 2 - w / 2, ti + (bi - ti) / 2 - h / 2);
        default:
            return QPoint(li + 2, ti + 2);
        }
    };
    const QRect topLeftInk = inkBox(img, inner, clWhite);
    ASSERT_FALSE(topLeftInk.isEmpty());
    EXPECT_GE(topLeftInk.left(), li + 2 - 1);  // a glyph may lean a pixel left of its origin
    EXPECT_GE(topLeftInk.top(), ti + 2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const QRect r = cell(4, c.row);
        const QRect ink = inkBox(img, r.adjusted(1, 1, -1, -1), clWhite);
        ASSERT_FALSE(ink.isEmpty());
        const QPoint shift = origin(c.align) - origin(gcaTopLeft);
        EXPECT_EQ(ink.topLeft() - r.topLeft(), topLeftInk.topLeft() - cell(4, 2).topLeft() + shift);
    }
}

TEST_F(KivGridDraw, TextIsClippedToTheInnerRectangle)
{
    grid.SetCellText(0, 2, "a text far too long for sixty-four pixels");
    grid.SetCellAlignment(0, 2, gcaLeftCenter);
    grid.SetCellForeColor(0, 2, clBlack);
    grid.SetRow(5);
    focusGrid();
    const QImage img = paint(grid);
    const QRect r = cell(0, 2);
    for (int y = r.top(); y <= r.bottom(); ++y)
        EXPECT_TRUE(is(img, r.right(), y, clWhite)) << y;  // the cell's own margin
    EXPECT_TRUE(inkBox(img, cell(1, 2), clWhite).isEmpty());  // nothing in the next cell
}

TEST_F(KivGridDraw, ErrorTextReplacesEveryCellsTextUntilCleared)
{
    grid.SetRow(5);
    grid.SetCellStyle(2, 3, gcsBitmap);
    focusGrid();
    const QImage clean = paint(grid);
    EXPECT_TRUE(inkBox(clean, cell(2, 2).adjusted(1, 1, -1, -1), clWhite).isEmpty());
    grid.SetErrorText("ERR");
    const QImage err = paint(grid);
    EXPECT_FALSE(inkBox(err, cell(2, 2).adjusted(1, 1, -1, -1), clWhite).isEmpty());
    EXPECT_FALSE(inkBox(err, cell(2, 3).adjusted(1, 1, -1, -1), clWhite).isEmpty());
    EXPECT_FALSE(inkBox(err, cell(4, 0).adjusted(2, 2, -2, -2), clBtnFace).isEmpty());
    EXPECT_EQ(err.copy(cell(2, 2)), err.copy(cell(2, 3)));  // the bitmap cell shows it too
    EXPECT_EQ(grid.GetCellText(2, 2), "");
    grid.SetErrorText("");
    EXPECT_EQ(paint(grid), clean);
}

TEST_F(KivGridDraw, BitmapsAndUnknownStyles)
{
    QImage pic(6, 4, QImage::Format_RGB32);
    pic.fill(QColor(0, 200, 0));
    grid.SetCellBitmap(1, 2, pic);
    grid.SetCellStyle(1, 2, gcsBitmap);
    grid.SetCellText(1, 2, "hidden");
    grid.SetCellStyle(2, 2, gcsBitmap);  // an empty bitmap
    grid.SetCellText(3, 2, "hidden");
    grid.SetCellStyle(3, 2, TGridCellStyle(2));
    grid.SetRow(5);
    focusGrid();
    const QImage img = paint(grid);
    const QRect r = cell(1, 2);
    const QRect inner = r.adjusted(1, 1, -1, -1);
    const int x = inner.left() + inner.width() / 2 - 3;
    const int y = inner.top() + inner.height() / 2 - 2;
    EXPECT_EQ(inkBox(img, inner, clWhite), QRect(x, y, 6, 4));
    EXPECT_TRUE(is(img, x, y, kivRgb(0, 200, 0)));
    EXPECT_TRUE(inkBox(img, cell(2, 2), clWhite).isEmpty());
    EXPECT_TRUE(inkBox(img, cell(3, 2), clWhite).isEmpty());
}

TEST_F(KivGridDraw, CellColoursAndTheEditorCell)
{
    grid.SetCellBackColor(2, 6, clYellow);
    grid.SetRow(5);
    focusGrid();
    QImage img = paint(grid);
    EXPECT_TRUE(is(img, cell(2, 6).left() + 1, cell(2, 6).top() + 1, clYellow));
    // The current cell is left to the editor while it is shown.
    grid.SetOptions((grid.GetOptions() & ~TGridOptions(goRowSelect)) | goEditing);
    grid.SetCol(2);
    grid.SetRow(6);
    grid.SetEditorMode(true);
    ASSERT_TRUE(grid.GetEditorMode());
    img = paint(grid);
    EXPECT_FALSE(is(img, cell(2, 6).left() + 1, cell(2, 6).top() + 1, clYellow));
    EXPECT_FALSE(is(img, cell(2, 6).left() + 1, cell(2, 6).top() + 1, clNavy));
}
