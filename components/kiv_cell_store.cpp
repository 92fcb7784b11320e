// Storage of the cell-property grid's records.
#include "components/kiv_cell_store.h"

#include <QImage>

#include <algorithm>

struct KivCellStore::Cell
{
    TKivCellProperty prop;
    std::unique_ptr<QImage> bitmap = std::make_unique<QImage>();
};

KivCellStore::KivCellStore() = default;
KivCellStore::~KivCellStore() = default;

std::unique_ptr<KivCellStore::Cell> KivCellStore::makeCell(const TKivCellProperty& fresh)
{
    auto c = std::make_unique<Cell>();
    c->prop = fresh;
    c->prop.Bitmap = c->bitmap.get();
    return c;
}

int KivCellStore::colCount(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    return static_cast<int>(m_rows[static_cast<std::size_t>(row)].size());
}

TKivCellProperty* KivCellStore::cell(int col, int row)
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    Row& r = m_rows[static_cast<std::size_t>(row)];
    if (col < 0 || col >= static_cast<int>(r.size()))
        return nullptr;
    return &r[static_cast<std::size_t>(col)]->prop;
}

const TKivCellProperty* KivCellStore::cell(int col, int row) const
{
    return const_cast<KivCellStore*>(this)->cell(col, row);
}

void KivCellStore::resizeRows(int count, int cols, const TKivCellProperty& fresh)
{
    count = std::max(0, count);
    cols = std::max(0, cols);
    if (count < rowCount()) {
        m_rows.resize(static_cast<std::size_t>(count));
        return;
    }
    m_rows.reserve(static_cast<std::size_t>(count));
    while (rowCount() < count) {
        Row r;
        r.reserve(static_cast<std::size_t>(cols));
        for (int i = 0; i < cols; ++i)
            r.push_back(makeCell(fresh));
        m_rows.push_back(std::move(r));
    }
}

void KivCellStore::resizeCols(int count, const TKivCellProperty& fresh)
{
    count = std::max(0, count);
    for (Row& r : m_rows) {
        if (count < static_cast<int>(r.size())) {
            r.resize(static_cast<std::size_t>(count));
            continue;
        }
        r.reserve(static_cast<std::size_t>(count));
        while (static_cast<int>(r.size()) < count)
            r.push_back(makeCell(fresh));
    }
}

void KivCellStore::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_rows.erase(m_rows.begin() + row);
}

void KivCellStore::moveRow(int from, int to)
{
    if (from < 0 || from >= rowCount() || to < 0 || to >= rowCount() || from == to)
        return;
    Row r = std::move(m_rows[static_cast<std::size_t>(from)]);
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, std::move(r));
}

void KivCellStore::moveCol(int from, int to)
{
    for (Row& r : m_rows) {
        const int n = static_cast<int>(r.size());
        if (from < 0 || from >= n || to < 0 || to >= n || from == to)
            continue;
        auto c = std::move(r[static_cast<std::size_t>(from)]);
        r.erase(r.begin() + from);
        r.insert(r.begin() + to, std::move(c));
    }
}

void KivCellStore::reorderRows(int first, const std::vector<int>& order)
{
    if (first < 0 || first + static_cast<long long>(order.size()) != rowCount())
        return;
    // Check the whole permutation before moving anything, so a bad order
    // leaves the store as it was.
    std::vector<bool> seen(order.size(), false);
    for (int from : order) {
        if (from < first || from >= rowCount() || seen[static_cast<std::size_t>(from - first)])
            return;
        seen[static_cast<std::size_t>(from - first)] = true;
    }
    std::vector<Row> moved;
    moved.reserve(order.size());
    for (int from : order)
        moved.push_back(std::move(m_rows[static_cast<std::size_t>(from)]));
    for (std::size_t i = 0; i < moved.size(); ++i)
        m_rows[static_cast<std::size_t>(first) + i] = std::move(moved[i]);
}
