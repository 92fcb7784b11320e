// Pixel layout of one direction of a grid (columns across, rows down): the
// fixed cells at the start stay put, the others begin at the first scrolled
// cell. Every cell is followed by its grid line.
#pragma once

#include <optional>
#include <vector>

class GridAxis
{
public:
    // sizes holds every cell of the axis, fixed ones first; it must outlive the axis.
    GridAxis(const std::vector<int>& sizes, int fixed, int lineWidth, int first, int clientExtent);

    int count() const { return static_cast<int>(m_sizes.size()); }
    int fixed() const { return m_fixed; }
    int first() const { return m_first; }
    int lineWidth() const { return m_lineWidth; }
    int clientExtent() const { return m_client; }

    // Pixels taken by the fixed cells and their lines.
    int fixedExtent() const;

    // Where the cell starts, when any part of it lies in the client extent.
    std::optional<int> start(int index) const;

    // The cell under the pixel (a line counts to the cell before it), or -1.
    int indexAt(int pos) const;

    int size(int index) const { return m_sizes[static_cast<std::size_t>(index)]; }

    // The cell in view whose trailing edge lies within margin pixels of pos, or -1.
    int borderAt(int pos, int margin) const;

    // The highest first scrolled cell for which the view is still filled.
    int maxFirst() const;

    // How many cells from the first scrolled one are wholly in view.
    int fullyVisible() const;

    // The first scrolled cell that shows index wholly as the last cell in view.
    int firstToShow(int index) const;

private:
    long long step(int index) const { return static_cast<long long>(m_sizes[index]) + m_lineWidth; }

    const std::vector<int>& m_sizes;
    int m_fixed = 0;
    int m_lineWidth = 0;
    int m_first = 0;
    int m_client = 0;
};
