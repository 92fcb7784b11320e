// The cell-property grid's store: one row per grid row, one separately
// allocated record per cell, each with a picture of its own. Records keep
// their address while rows and columns are added, removed or reordered.
#pragma once

#include "components/kiv_cell_property.h"

#include <memory>
#include <vector>

class QImage;

class KivCellStore
{
public:
    KivCellStore();
    ~KivCellStore();
    KivCellStore(const KivCellStore&) = delete;
    KivCellStore& operator=(const KivCellStore&) = delete;

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int colCount(int row) const;

    // The record of a cell, or nullptr when the store has no such cell.
    TKivCellProperty* cell(int col, int row);
    const TKivCellProperty* cell(int col, int row) const;

    // Grows or shrinks to count rows; new rows get cols cells made from fresh.
    void resizeRows(int count, int cols, const TKivCellProperty& fresh);
    // Grows or shrinks every row to count cells; new cells are made from fresh.
    void resizeCols(int count, const TKivCellProperty& fresh);

    void removeRow(int row);
    // Moves one row so that it ends up at index to.
    void moveRow(int from, int to);
    // Moves one cell in every row so that it ends up at index to.
    void moveCol(int from, int to);
    // Rearranges the rows from first on: the row at first + i becomes the one
    // that was at order[i]. order must be a permutation of first .. rowCount() - 1.
    void reorderRows(int first, const std::vector<int>& order);

private:
    struct Cell;
    using Row = std::vector<std::unique_ptr<Cell>>;

    static std::unique_ptr<Cell> makeCell(const TKivCellProperty& fresh);

    std::vector<Row> m_rows;
};
