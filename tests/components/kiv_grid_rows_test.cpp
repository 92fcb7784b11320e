// Row operations of the cell-property grid: append, delete, sort, search.
#include "components/kiv_grid.h"

#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<QString> column(const TKivGrid& g, int col)
{
    std::vector<QString> out;
    for (int r = 0; r < g.GetRowCount(); ++r)
        out.push_back(g.GetCellText(col, r));
    return out;
}

void fill(TKivGrid& g, int col, const std::vector<QString>& texts)
{
    g.SetRowCount(static_cast<int>(texts.size()));
    for (int r = 0; r < static_cast<int>(texts.size()); ++r)
        g.SetCellText(col, r, texts[static_cast<std::size_t>(r)]);
}

}  // namespace

TEST(KivGridSort, OrdersByTextOrNumberAndNeverMovesFixedRows)
{
    const struct
    {
        TGridSortType type;
        std::vector<QString> expected;
    } cases[] = {
        {gstTextAscending, {"Head", "10", "9", "ABC", "abc", "x"}},
        {gstTextDescending, {"Head", "x", "abc", "ABC", "9", "10"}},
        {gstNumericAscending, {"Head", "abc", "x", "ABC", "9", "10"}},
        {gstNumericDescending, {"Head", "10", "9", "abc", "x", "ABC"}},
        {TGridSortType(7), {"Head", "9", "abc", "10", "x", "ABC"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        TKivGrid g;
        fill(g, 1, {"Head", "9", "abc", "10", "x", "ABC"});
        g.SortRows(1, c.type);
        EXPECT_EQ(column(g, 1), c.expected);
    }
}

TEST(KivGridSort, WholeRowsMoveAndEqualKeysKeepTheirOrder)
{
    TKivGrid g;
    fill(g, 0, {"h", " +3", "-2", "3x", "", "-2"});
    for (int r = 0; r < g.GetRowCount(); ++r)
        g.SetCellTag(4, r, QString::number(r));
    QImage* pic = g.GetCellBitmap(2, 1);
    g.SortRows(0, gstNumericAscending);
    // -2, -2, "" (0), " +3" (3), "3x" (3)
    EXPECT_EQ(column(g, 0), (std::vector<QString>{"h", "-2", "-2", "", " +3", "3x"}));
    std::vector<QString> tags;
    for (int r = 0; r < g.GetRowCount(); ++r)
        tags.push_back(g.GetCellTag(4, r));
    EXPECT_EQ(tags, (std::vector<QString>{"0", "2", "5", "4", "1", "3"}));
    EXPECT_EQ(g.GetCellBitmap(2, 4), pic);  // the records travel with their row
}

TEST(KivGridSort, TwoFixedRowsAndAColumnOutsideTheGrid)
{
    TKivGrid g;
    fill(g, 0, {"z", "y", "c", "b", "a"});
    g.SetFixedRows(2);
    g.SortRows(0, gstTextAscending);
    EXPECT_EQ(column(g, 0), (std::vector<QString>{"z", "y", "a", "b", "c"}));
    g.SortRows(5, gstTextDescending);
    g.SortRows(-1, gstTextDescending);
    EXPECT_EQ(column(g, 0), (std::vector<QString>{"z", "y", "a", "b", "c"}));
}

TEST(KivGridSort, HugeNumbersSaturateInsteadOfOverflowing)
{
    TKivGrid g;
    fill(g, 0, {"h", "99999999999999999999999", "-99999999999999999999999", "5"});
    g.SortRows(0, gstNumericAscending);
    EXPECT_EQ(column(g, 0), (std::vector<QString>{"h", "-99999999999999999999999", "5",
                                                  "99999999999999999999999"}));
}

TEST(KivGridSearch, FindsByPrefixEitherWay)
{
    TKivGrid g;
    fill(g, 0, {"12", "", "B", "1", "12", "123", "AB"});
    const struct
    {
        int start;
        QString text;
        int expected;
    } cases[] = {
        {1, "", -1},     {1, "12", 3},   {4, "12", 4},  {5, "12", 5}, {6, "12", -1},
        {0, "12", 0},    {1, "AB", 6},   {1, "B", 2},   {1, "b", -1}, {7, "1", -1},
        {100, "1", -1},  {1, "1234", 3}, {-5, "12", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(g.SearchItem(c.start, 0, c.text), c.expected)
            << c.start << " '" << c.text.toStdString() << "'";
    EXPECT_EQ(g.SearchItem(0, 9, "1"), -1);
}

TEST(KivGridAddItem, AddsARowUpTo32767)
{
    TKivGrid g;
    g.AddItem();
    EXPECT_EQ(g.GetRowCount(), 6);
    g.SetCellText(0, 5, "new row");
    EXPECT_EQ(g.GetCellText(0, 5), "new row");
    g.SetRowCount(32766);
    g.AddItem();
    EXPECT_EQ(g.GetRowCount(), 32767);
    g.SetCellText(4, 32766, "last");
    g.AddItem();
    EXPECT_EQ(g.GetRowCount(), 32767);
    EXPECT_EQ(g.GetCellText(4, 32766), "last");
    EXPECT_EQ(g.GetCellText(4, 32767), "");
}

TEST(KivGridDeleteItem, RemovesTheRowAndMovesTheRestUp)
{
    TKivGrid g;
    g.SetRowCount(129);
    for (int r = 0; r < 129; ++r)
        g.SetCellText(2, r, QString::number(r));
    g.DeleteItem(3);
    EXPECT_EQ(g.GetRowCount(), 128);
    EXPECT_EQ(g.GetCellText(2, 2), "2");
    EXPECT_EQ(g.GetCellText(2, 3), "4");
    EXPECT_EQ(g.GetCellText(2, 127), "128");
    EXPECT_EQ(g.GetCellText(2, 128), "");
    g.DeleteItem(0);  // fixed rows are not protected
    EXPECT_EQ(g.GetCellText(2, 0), "1");
    g.DeleteItem(127);
    g.DeleteItem(-1);
    EXPECT_EQ(g.GetRowCount(), 127);
    EXPECT_EQ(g.GetCellText(2, 126), "128");
}

TEST(KivGridDeleteItem, TheLastRowIsClearedInsteadOfRemoved)
{
    TKivGrid g;
    g.SetRowCount(1);
    g.SetDefaultCellColor(clYellow);
    g.SetCellText(1, 0, "t");
    g.SetCellMask(1, 0, "9");
    g.SetCellTag(1, 0, "g");
    g.SetCellLimit(1, 0, 3);
    g.SetCellBackColor(1, 0, clBlue);
    g.SetCellForeColor(1, 0, clRed);
    g.SetCellAlignment(1, 0, gcaTopLeft);
    g.SetCellStyle(1, 0, gcsBitmap);
    g.SetCellBitmap(1, 0, QImage(2, 2, QImage::Format_RGB32));
    g.DeleteItem(1);  // a row that a one-row grid does not have
    EXPECT_EQ(g.GetCellText(1, 0), "t");
    g.DeleteItem(0);
    EXPECT_EQ(g.GetRowCount(), 1);
    const TKivCellProperty p = g.GetCellProperty(1, 0);
    EXPECT_EQ(p.Text, "");
    EXPECT_EQ(p.Mask, "");
    EXPECT_EQ(p.Tag, "");
    EXPECT_EQ(p.Limit, 0);
    EXPECT_EQ(p.BackColor, clYellow);
    EXPECT_EQ(p.Style, gcsText);
    EXPECT_TRUE(p.Bitmap->isNull());
    EXPECT_EQ(p.ForeColor, clRed);
    EXPECT_EQ(p.Alignment, gcaTopLeft);
}
