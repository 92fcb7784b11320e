// Painting of the owner-drawn grid: background, grid lines and one DrawCell
// call per visible cell, area by area (fixed corner, fixed row band, fixed
// column band, scrolled cells), each clipped to its area so that nothing a
// cell paints spills over the fixed cells.
#include "components/kiv_custom_grid.h"

#include "components/grid_axis.h"
#include "components/grid_canvas.h"
#include "components/grid_inplace_edit.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {

struct Span
{
    int index;
    int start;
    int size;
};

// The cells of one axis that lie in view, either the fixed ones or the scrolled ones.
std::vector<Span> visibleSpans(const GridAxis& axis, const std::vector<int>& sizes, bool fixedPart)
{
    std::vector<Span> spans;
    const int from = fixedPart ? 0 : axis.first();
    const int to = fixedPart ? axis.fixed() : axis.count();
    long long x = fixedPart ? 0 : axis.fixedExtent();
    for (int i = from; i < to && x < axis.clientExtent(); ++i) {
        spans.push_back(Span{i, static_cast<int>(x), sizes[static_cast<std::size_t>(i)]});
        x += static_cast<long long>(sizes[static_cast<std::size_t>(i)]) + axis.lineWidth();
    }
    return spans;
}

// Default colours of the classic grid lines: black between fixed cells,
// silver between the others (grey when the grid itself is silver).
TColor lineColour(bool fixedArea, TColor gridColour)
{
    if (fixedArea)
        return clBlack;
    return colorToRgb(gridColour) == clSilver ? clGray : clSilver;
}

}  // namespace

void TKivCustomGrid::paintEvent(QPaintEvent* e)
{
    QPainter painter(viewport());
    painter.setClipRegion(e->region());
    GridCanvas canvas(painter);
    m_canvas = &canvas;

    const GridAxis cols = columns();
    const GridAxis rws = rows();
    const QRect client = viewport()->rect();
    canvas.setBrushColor(m_color);
    canvas.fillRect(client);

    const int fx = std::min(cols.fixedExtent(), client.width());
    const int fy = std::min(rws.fixedExtent(), client.height());
    paintArea(canvas, cols, rws, true, true, QRect(0, 0, fx, fy));
    paintArea(canvas, cols, rws, false, true, QRect(fx, 0, client.width() - fx, fy));
    paintArea(canvas, cols, rws, true, false, QRect(0, fy, fx, client.height() - fy));
    paintArea(canvas, cols, rws, false, false,
              QRect(fx, fy, client.width() - fx, client.height() - fy));
    m_canvas = nullptr;
}

void TKivCustomGrid::paintArea(GridCanvas& canvas, const GridAxis& cols, const GridAxis& rws,
                               bool fixedCols, bool fixedRows, const QRect& area)
{
    if (area.isEmpty())
        return;
    const std::vector<Span> colSpans = visibleSpans(cols, m_colWidths, fixedCols);
    const std::vector<Span> rowSpans = visibleSpans(rws, m_rowHeights, fixedRows);
    if (colSpans.empty() || rowSpans.empty())
        return;

    QPainter& p = canvas.painter();
    p.save();
    p.setClipRect(area, Qt::IntersectClip);

    // Grid lines behind the cells, in the gaps that the layout leaves.
    const bool fixedArea = fixedCols || fixedRows;
    const bool vert = m_options.testFlag(fixedArea ? goFixedVertLine : goVertLine);
    const bool horz = m_options.testFlag(fixedArea ? goFixedHorzLine : goHorzLine);
    const int lwx = cols.lineWidth();
    const int lwy = rws.lineWidth();
    const int left = colSpans.front().start;
    const int right = colSpans.back().start + colSpans.back().size + lwx;
    const int top = rowSpans.front().start;
    const int bottom = rowSpans.back().start + rowSpans.back().size + lwy;
    canvas.setBrushColor(lineColour(fixedArea, m_color));
    if (vert && lwx > 0) {
        for (const Span& c : colSpans)
            canvas.fillRect(QRect(c.start + c.size, top, lwx, bottom - top));
    }
    if (horz && lwy > 0) {
        for (const Span& r : rowSpans)
            canvas.fillRect(QRect(left, r.start + r.size, right - left, lwy));
    }

    const bool editorShown = m_editorMode && m_editor != nullptr && !m_editor->isHidden();
    const bool active = IsActiveControl();
    const TGridRect sel = GetSelection();
    const bool drawFocusSelected =
        m_options.testFlag(goDrawFocusSelected) || m_options.testFlag(goRowSelect);
    for (const Span& r : rowSpans) {
        for (const Span& c : colSpans) {
            if (editorShown && c.index == m_current.X && r.index == m_current.Y)
                continue;
            const QRect rect(c.start, r.start, c.size, r.size);
            if (rect.isEmpty())
                continue;
            TGridDrawState state;
            const bool fixedCell = c.index < m_fixedCols || r.index < m_fixedRows;
            if (fixedCell)
                state |= gdFixed;
            else {
                if (active && c.index == m_current.X && r.index == m_current.Y)
                    state |= gdFocused;
                if (sel.contains(c.index, r.index))
                    state |= gdSelected;
            }
            if (m_defaultDrawing) {
                TColor fill = fixedCell ? m_fixedColor : m_color;
                if (state.testFlag(gdSelected) &&
                    (!state.testFlag(gdFocused) || drawFocusSelected))
                    fill = clHighlight;
                canvas.setBrushColor(fill);
                canvas.fillRect(rect);
                canvas.setFont(state.testFlag(gdSelected) && fill == clHighlight
                                   ? KivFont{m_font.font, clHighlightText}
                                   : m_font);
            }
            DrawCell(c.index, r.index, rect, state);
            if (m_defaultDrawing && fixedCell && m_ctl3D) {
                canvas.setPenStyle(psSolid);
                canvas.setPenMode(pmCopy);
                canvas.setPenColor(clBtnHighlight);
                canvas.moveTo(rect.left(), rect.bottom());
                canvas.lineTo(rect.left(), rect.top());
                canvas.lineTo(rect.right() + 1, rect.top());
                canvas.setPenColor(clBtnShadow);
                canvas.moveTo(rect.right(), rect.top() + 1);
                canvas.lineTo(rect.right(), rect.bottom());
                canvas.lineTo(rect.left(), rect.bottom());
            }
            if (m_defaultDrawing && state.testFlag(gdFocused) &&
                !m_options.testFlag(goRowSelect)) {
                canvas.setPenStyle(psDot);
                canvas.setPenMode(pmXor);
                canvas.setPenColor(clWhite);
                canvas.frameRect(rect);
                canvas.setPenMode(pmCopy);
                canvas.setPenStyle(psSolid);
            }
        }
    }
    p.restore();
}
