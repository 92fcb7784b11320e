// List-style row operations of the cell-property grid: append, delete,
// sort by a column, and prefix search in a column.
#include "components/kiv_grid.h"

#include "components/kiv_cell_store.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

// The integer a text starts with: leading white space, an optional sign and
// the digits up to the first other character; 0 without digits. Very long
// digit runs saturate instead of overflowing.
long long leadingInteger(const QString& s)
{
    int i = 0;
    const int n = static_cast<int>(s.size());
    while (i < n && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < n && s[i] >= u'0' && s[i] <= u'9'; ++i) {
        const int digit = s[i].unicode() - u'0';
        if (value > (LLONG_MAX - digit) / 10) {
            value = LLONG_MAX;
            continue;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace

void TKivGrid::AddItem()
{
    if (GetRowCount() < kMaxItemRows)
        SetRowCount(GetRowCount() + 1);
    InvalidateGrid();
}

void TKivGrid::DeleteItem(int ARow)
{
    if (!m_store)
        return;
    const int rows = m_store->rowCount();
    if (rows > 1 && ARow >= 0 && ARow < rows) {
        m_store->removeRow(ARow);
        // The store has already lost its row: lower only the base grid's count.
        TKivCustomGrid::SetRowCount(GetRowCount() - 1);
        if (m_store->rowCount() != GetRowCount())
            ModifyRowCount(GetRowCount());
    } else if (rows == 1 && ARow == 0) {
        // The grid cannot lose its last row, so that row is emptied instead.
        for (int col = 0; col < m_store->colCount(0); ++col) {
            TKivCellProperty* c = m_store->cell(col, 0);
            c->Text.clear();
            c->Mask.clear();
            c->Tag.clear();
            c->Limit = 0;
            c->BackColor = m_defaultCellColor;
            c->Style = gcsText;
            *c->Bitmap = QImage();
        }
    }
    InvalidateGrid();
}

void TKivGrid::SortRows(int ACol, TGridSortType SortType)
{
    if (!m_store || SortType > gstNumericDescending)
        return;
    const int first = std::max(0, GetFixedRows());
    const int last = m_store->rowCount();
    if (first >= last)
        return;

    // Rows without a cell in the column keep their place; the others are
    // sorted among the places they hold.
    struct Key
    {
        int row;
        QByteArray text;
        long long number;
    };
    std::vector<Key> keys;
    for (int r = first; r < last; ++r) {
        const TKivCellProperty* c = m_store->cell(ACol, r);
        if (c == nullptr)
            continue;
        const bool numeric = SortType == gstNumericAscending || SortType == gstNumericDescending;
        keys.push_back(Key{r, numeric ? QByteArray() : c->Text.toUtf8(),
                           numeric ? leadingInteger(c->Text) : 0});
    }
    if (keys.size() < 2)
        return;
    std::vector<int> places;
    places.reserve(keys.size());
    for (const Key& k : keys)
        places.push_back(k.row);

    // A stable sort: equal keys keep their order, and the work stays
    // n log n even for the largest grids.
    auto less = [SortType](const Key& a, const Key& b) {
        switch (SortType) {
        case gstTextAscending:
            return a.text < b.text;
        case gstTextDescending:
            return b.text < a.text;
        case gstNumericAscending:
            return a.number < b.number;
        case gstNumericDescending:
            return b.number < a.number;
        }
        return false;
    };
    std::stable_sort(keys.begin(), keys.end(), less);

    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(last - first));
    for (int r = first; r < last; ++r)
        order.push_back(r);
    for (std::size_t i = 0; i < keys.size(); ++i)
        order[static_cast<std::size_t>(places[i] - first)] = keys[i].row;
    m_store->reorderRows(first, order);
    InvalidateGrid();
}

int TKivGrid::SearchItem(int StartRow, int ACol, const QString& Text) const
{
    if (Text.isEmpty() || !m_store)
        return -1;
    for (int r = std::max(0, StartRow); r < m_store->rowCount(); ++r) {
        const QString s = GetCellText(ACol, r);
        if (s.isEmpty())
            continue;
        if (s.startsWith(Text, Qt::CaseSensitive) || Text.startsWith(s, Qt::CaseSensitive))
            return r;
    }
    return -1;
}
