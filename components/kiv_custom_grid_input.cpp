// Keyboard, mouse and focus handling of the owner-drawn grid: navigation,
// selection, sizing and moving of columns and rows, and the hand-over of
// typed characters to the in-place editor or to KeyPress.
#include "components/kiv_custom_grid.h"

#include "components/grid_axis.h"
#include "components/grid_inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kSizingMargin = 2;  // pixels on either side of a line that start sizing
}

void TKivCustomGrid::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    if (m_inResize)
        return;
    m_inResize = true;
    fitState();
    updateScrollBars();
    placeEditor();
    Resize();
    m_inResize = false;
}

// The viewport also changes size when a scroll bar comes or goes, without a
// resize of the grid itself; the ranges must follow it.
bool TKivCustomGrid::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::Resize && !m_inResize) {
        m_inResize = true;
        fitState();
        updateScrollBars();
        m_inResize = false;
    }
    return QAbstractScrollArea::viewportEvent(e);
}

void TKivCustomGrid::changeEvent(QEvent* e)
{
    QAbstractScrollArea::changeEvent(e);
    if (e->type() == QEvent::EnabledChange && !isEnabled())
        hideEditor();
}

bool TKivCustomGrid::focusNextPrevChild(bool next)
{
    // With goTabs the Tab key moves between cells instead of leaving the grid.
    if (m_options.testFlag(goTabs))
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void TKivCustomGrid::focusInEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusInEvent(e);
    if (m_options.testFlag(goEditing) && m_options.testFlag(goAlwaysShowEditor))
        showEditor();
    InvalidateGrid();
}

void TKivCustomGrid::focusOutEvent(QFocusEvent* e)
{
    QAbstractScrollArea::focusOutEvent(e);
    InvalidateGrid();
    if (m_editor != nullptr && QApplication::focusWidget() == m_editor)
        return;  // focus went to our own editor: the grid is still the active control
    DoExit();
}

void TKivCustomGrid::DoExit()
{
    if (!m_options.testFlag(goAlwaysShowEditor))
        hideEditor();
    InvalidateGrid();
}

void TKivCustomGrid::keyPressEvent(QKeyEvent* e)
{
    int key = e->key();
    KeyDown(key, e->modifiers());
    QChar ch = keyCharOf(*e);
    if (ch.isNull())
        return;
    const bool typing = ch.unicode() == 8 || ch.unicode() >= 32;
    if (typing && m_options.testFlag(goEditing) && !m_editorMode && CanEditAcceptKey(ch)) {
        // Typing in an editing grid starts the editor with what was typed.
        showEditor();
        if (m_editor != nullptr && !m_editor->isHidden()) {
            m_editor->setFocus(Qt::OtherFocusReason);
            if (ch.unicode() == 8)
                m_editor->backspace();
            else
                m_editor->insert(QString(ch));
            SetEditText(m_current.X, m_current.Y, m_editor->text());
            return;
        }
    }
    KeyPress(ch);
}

void TKivCustomGrid::KeyPress(QChar& Key)
{
    if (!m_options.testFlag(goAlwaysShowEditor) && Key.unicode() == 13) {
        SetEditorMode(!m_editorMode);
        Key = QChar();
    }
}

void TKivCustomGrid::KeyDown(int& Key, Qt::KeyboardModifiers Shift)
{
    if (!CanGridAcceptKey(Key, Shift))
        return;
    const bool ctrl = Shift.testFlag(Qt::ControlModifier);
    const bool extend = Shift.testFlag(Qt::ShiftModifier) && m_options.testFlag(goRangeSelect);
    const bool rowSelect = m_options.testFlag(goRowSelect);
    const int page = std::max(1, VisibleRowCount());
    int col = m_current.X;
    int row = m_current.Y;
    switch (Key) {
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_Left:
        if (rowSelect) {
            SetLeftCol(m_leftCol - 1);
            return;
        }
        --col;
        break;
    case Qt::Key_Right:
        if (rowSelect) {
            SetLeftCol(m_leftCol + 1);
            return;
        }
        ++col;
        break;
    case Qt::Key_PageUp:
        row -= page;
        SetTopRow(m_topRow - page);
        break;
    case Qt::Key_PageDown:
        row += page;
        SetTopRow(m_topRow + page);
        break;
    case Qt::Key_Home:
        if (ctrl || rowSelect)
            row = m_fixedRows;
        if (!rowSelect)
            col = m_fixedCols;
        break;
    case Qt::Key_End:
        if (ctrl || rowSelect)
            row = m_rowCount - 1;
        if (!rowSelect)
            col = m_colCount - 1;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        if (!m_options.testFlag(goTabs))
            return;
        if (Key == Qt::Key_Backtab || Shift.testFlag(Qt::ShiftModifier)) {
            if (rowSelect || col <= m_fixedCols) {
                col = m_colCount - 1;
                --row;
            } else
                --col;
        } else if (rowSelect || col >= m_colCount - 1) {
            col = m_fixedCols;
            ++row;
        } else
            ++col;
        if (row < m_fixedRows || row >= m_rowCount)
            return;  // no wrapping past the first or last cell
        break;
    case Qt::Key_F2:
        SetEditorMode(true);
        return;
    default:
        return;
    }
    col = std::clamp(col, m_fixedCols, m_colCount - 1);
    row = std::clamp(row, m_fixedRows, m_rowCount - 1);
    if (col != m_current.X || row != m_current.Y)
        focusCell(col, row, !extend);
}

void TKivCustomGrid::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    m_lastMouse = pos;
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    if (!hasFocus() && (m_editor == nullptr || !m_editor->hasFocus()))
        setFocus(Qt::MouseFocusReason);
    const GridAxis cols = columns();
    const GridAxis rws = rows();
    const bool inFixedRows = pos.y() < rws.fixedExtent();
    const bool inFixedCols = pos.x() < cols.fixedExtent();
    if (inFixedRows && m_options.testFlag(goColSizing)) {
        const int c = cols.borderAt(pos.x(), kSizingMargin);
        if (c >= 0) {
            m_mouseMode = MouseMode::ColSizing;
            m_dragIndex = c;
            m_dragOrigin = *cols.start(c);
            return;
        }
    }
    if (inFixedCols && m_options.testFlag(goRowSizing)) {
        const int r = rws.borderAt(pos.y(), kSizingMargin);
        if (r >= 0) {
            m_mouseMode = MouseMode::RowSizing;
            m_dragIndex = r;
            m_dragOrigin = *rws.start(r);
            return;
        }
    }
    const TGridCoord cell = MouseCoord(pos.x(), pos.y());
    if (cell.X < 0 || cell.Y < 0)
        return;
    if (inFixedRows && !inFixedCols && cell.X >= m_fixedCols && m_options.testFlag(goColMoving)) {
        m_mouseMode = MouseMode::ColMoving;
        m_dragIndex = cell.X;
        return;
    }
    if (inFixedCols && !inFixedRows && cell.Y >= m_fixedRows && m_options.testFlag(goRowMoving)) {
        m_mouseMode = MouseMode::RowMoving;
        m_dragIndex = cell.Y;
        return;
    }
    if (cell.X < m_fixedCols || cell.Y < m_fixedRows)
        return;
    const bool again = cell.X == m_current.X && cell.Y == m_current.Y;
    const bool extend = e->modifiers().testFlag(Qt::ShiftModifier);
    focusCell(cell.X, cell.Y, !extend);
    m_mouseMode = MouseMode::Selecting;
    if (again && m_options.testFlag(goEditing) && !m_editorMode)
        showEditor();
}

void TKivCustomGrid::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    m_lastMouse = pos;
    switch (m_mouseMode) {
    case MouseMode::ColSizing:
        SetColWidths(m_dragIndex, pos.x() - m_dragOrigin);
        return;
    case MouseMode::RowSizing:
        SetRowHeights(m_dragIndex, pos.y() - m_dragOrigin);
        return;
    case MouseMode::Selecting: {
        if (!m_options.testFlag(goRangeSelect) || !(e->buttons() & Qt::LeftButton))
            return;
        const TGridCoord cell = MouseCoord(pos.x(), pos.y());
        if (cell.X >= m_fixedCols && cell.Y >= m_fixedRows &&
            (cell.X != m_current.X || cell.Y != m_current.Y))
            moveCurrent(cell.X, cell.Y, false, true);
        return;
    }
    case MouseMode::ColMoving:
    case MouseMode::RowMoving:
        return;
    case MouseMode::None:
        break;
    }
    // Show where a column or row can be sized.
    const GridAxis cols = columns();
    const GridAxis rws = rows();
    Qt::CursorShape shape = Qt::ArrowCursor;
    if (m_options.testFlag(goColSizing) && pos.y() < rws.fixedExtent() &&
        cols.borderAt(pos.x(), kSizingMargin) >= 0)
        shape = Qt::SplitHCursor;
    else if (m_options.testFlag(goRowSizing) && pos.x() < cols.fixedExtent() &&
             rws.borderAt(pos.y(), kSizingMargin) >= 0)
        shape = Qt::SplitVCursor;
    viewport()->setCursor(shape);
}

void TKivCustomGrid::mouseReleaseEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    m_lastMouse = pos;
    const MouseMode mode = m_mouseMode;
    m_mouseMode = MouseMode::None;
    const TGridCoord cell = MouseCoord(pos.x(), pos.y());
    if (mode == MouseMode::ColMoving && cell.X >= m_fixedCols && cell.X != m_dragIndex) {
        const int from = m_dragIndex;
        const int to = cell.X;
        const int w = m_colWidths[static_cast<std::size_t>(from)];
        m_colWidths.erase(m_colWidths.begin() + from);
        m_colWidths.insert(m_colWidths.begin() + to, w);
        ColumnMoved(from, to);
        layoutChanged();
    } else if (mode == MouseMode::RowMoving && cell.Y >= m_fixedRows && cell.Y != m_dragIndex) {
        const int from = m_dragIndex;
        const int to = cell.Y;
        const int h = m_rowHeights[static_cast<std::size_t>(from)];
        m_rowHeights.erase(m_rowHeights.begin() + from);
        m_rowHeights.insert(m_rowHeights.begin() + to, h);
        RowMoved(from, to);
        layoutChanged();
    }
    m_dragIndex = -1;
}

void TKivCustomGrid::mouseDoubleClickEvent(QMouseEvent* e)
{
    m_lastMouse = e->position().toPoint();
    if (e->button() != Qt::LeftButton)
        return;
    // The first click of the pair normally made the cell current already; a
    // double click that arrives on another cell moves there first.
    const TGridCoord cell = MouseCoord(m_lastMouse.x(), m_lastMouse.y());
    if (cell.X >= m_fixedCols && cell.Y >= m_fixedRows &&
        (cell.X != m_current.X || cell.Y != m_current.Y))
        focusCell(cell.X, cell.Y, true);
    DblClick();
}
