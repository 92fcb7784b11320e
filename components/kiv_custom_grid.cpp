// The owner-drawn grid's dimensions, look, current cell, scrolling and
// in-place editor. Painting and input handling live in their own files.
#include "components/kiv_custom_grid.h"

#include "components/grid_axis.h"
#include "components/grid_canvas.h"
#include "components/grid_inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>
#include <stdexcept>

namespace {
constexpr int kMaxCellSize = 1 << 20;  // keeps pixel sums far from overflow
}

TKivCustomGrid::TKivCustomGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    m_colWidths.assign(static_cast<std::size_t>(m_colCount), m_defaultColWidth);
    m_rowHeights.assign(static_cast<std::size_t>(m_rowCount), m_defaultRowHeight);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    horizontalScrollBar()->setTracking(false);
    verticalScrollBar()->setTracking(false);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &TKivCustomGrid::scrollBarMoved);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            &TKivCustomGrid::scrollBarMoved);
    QWidget::setFont(m_font.font);
    applyFrame();
    updateScrollBars();
}

TKivCustomGrid::~TKivCustomGrid()
{
    // The editor may hold the focus; losing it must not call back into a grid
    // that is half destroyed.
    if (m_editor != nullptr) {
        m_editor->detachGrid();
        delete m_editor;
        m_editor = nullptr;
    }
}

// ---- layout ---------------------------------------------------------------

int TKivCustomGrid::lineWidthX() const
{
    return (m_options & (goFixedVertLine | goVertLine)) ? m_gridLineWidth : 0;
}

int TKivCustomGrid::lineWidthY() const
{
    return (m_options & (goFixedHorzLine | goHorzLine)) ? m_gridLineWidth : 0;
}

GridAxis TKivCustomGrid::columns() const
{
    return GridAxis(m_colWidths, m_fixedCols, lineWidthX(), m_leftCol, viewport()->width());
}

GridAxis TKivCustomGrid::rows() const
{
    return GridAxis(m_rowHeights, m_fixedRows, lineWidthY(), m_topRow, viewport()->height());
}

void TKivCustomGrid::layoutChanged()
{
    fitState();
    updateScrollBars();
    placeEditor();
    InvalidateGrid();
}

void TKivCustomGrid::SetColCount(int Value)
{
    Value = std::max(1, Value);
    if (Value <= m_fixedCols)
        m_fixedCols = Value - 1;
    m_colCount = Value;
    m_colWidths.resize(static_cast<std::size_t>(Value), m_defaultColWidth);
    layoutChanged();
}

void TKivCustomGrid::SetRowCount(int Value)
{
    Value = std::max(1, Value);
    if (Value <= m_fixedRows)
        m_fixedRows = Value - 1;
    m_rowCount = Value;
    m_rowHeights.resize(static_cast<std::size_t>(Value), m_defaultRowHeight);
    layoutChanged();
}

// A new fixed count starts the grid over at its first scrolled cell.
void TKivCustomGrid::SetFixedCols(int Value)
{
    hideEditor();
    m_fixedCols = std::clamp(Value, 0, m_colCount - 1);
    m_current = m_anchor = TGridCoord{m_fixedCols, m_fixedRows};
    m_leftCol = m_fixedCols;
    layoutChanged();
}

void TKivCustomGrid::SetFixedRows(int Value)
{
    hideEditor();
    m_fixedRows = std::clamp(Value, 0, m_rowCount - 1);
    m_current = m_anchor = TGridCoord{m_fixedCols, m_fixedRows};
    m_topRow = m_fixedRows;
    layoutChanged();
}

int TKivCustomGrid::GetColWidths(int ACol) const
{
    return ACol >= 0 && ACol < m_colCount ? m_colWidths[static_cast<std::size_t>(ACol)] : 0;
}

void TKivCustomGrid::SetColWidths(int ACol, int Value)
{
    if (ACol < 0 || ACol >= m_colCount)
        return;
    m_colWidths[static_cast<std::size_t>(ACol)] = std::clamp(Value, 0, kMaxCellSize);
    layoutChanged();
}

int TKivCustomGrid::GetRowHeights(int ARow) const
{
    return ARow >= 0 && ARow < m_rowCount ? m_rowHeights[static_cast<std::size_t>(ARow)] : 0;
}

void TKivCustomGrid::SetRowHeights(int ARow, int Value)
{
    if (ARow < 0 || ARow >= m_rowCount)
        return;
    m_rowHeights[static_cast<std::size_t>(ARow)] = std::clamp(Value, 0, kMaxCellSize);
    layoutChanged();
}

void TKivCustomGrid::SetDefaultColWidth(int Value)
{
    m_defaultColWidth = std::clamp(Value, 0, kMaxCellSize);
    std::fill(m_colWidths.begin(), m_colWidths.end(), m_defaultColWidth);
    layoutChanged();
}

void TKivCustomGrid::SetDefaultRowHeight(int Value)
{
    m_defaultRowHeight = std::clamp(Value, 0, kMaxCellSize);
    std::fill(m_rowHeights.begin(), m_rowHeights.end(), m_defaultRowHeight);
    layoutChanged();
}

void TKivCustomGrid::SetGridLineWidth(int Value)
{
    m_gridLineWidth = std::clamp(Value, 0, kMaxCellSize);
    layoutChanged();
}

// ---- look -----------------------------------------------------------------

void TKivCustomGrid::SetColor(TColor Value)
{
    m_color = Value;
    InvalidateGrid();
}

void TKivCustomGrid::SetFixedColor(TColor Value)
{
    m_fixedColor = Value;
    InvalidateGrid();
}

void TKivCustomGrid::SetFont(const KivFont& Value)
{
    m_font = Value;
    QWidget::setFont(m_font.font);
    InvalidateGrid();
}

void TKivCustomGrid::SetCtl3D(bool Value)
{
    m_ctl3D = Value;
    applyFrame();
    InvalidateGrid();
}

void TKivCustomGrid::SetBorderStyle(TBorderStyle Value)
{
    m_borderStyle = Value;
    applyFrame();
}

void TKivCustomGrid::applyFrame()
{
    if (m_borderStyle == bsNone)
        setFrameStyle(QFrame::NoFrame);
    else if (m_ctl3D)
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
}

void TKivCustomGrid::SetOptions(TGridOptions Value)
{
    const TGridOptions old = m_options;
    m_options = Value;
    horizontalScrollBar()->setTracking(m_options.testFlag(goThumbTracking));
    verticalScrollBar()->setTracking(m_options.testFlag(goThumbTracking));
    if (!m_options.testFlag(goEditing))
        hideEditor();
    if (old.testFlag(goRowSelect) != m_options.testFlag(goRowSelect) ||
        !m_options.testFlag(goRangeSelect))
        m_anchor = m_current;
    layoutChanged();
    if (m_options.testFlag(goEditing) && m_options.testFlag(goAlwaysShowEditor))
        showEditor();
}

void TKivCustomGrid::SetDefaultDrawing(bool Value)
{
    m_defaultDrawing = Value;
    InvalidateGrid();
}

// ---- current cell, selection and scrolling --------------------------------

void TKivCustomGrid::fitState()
{
    const int minCol = m_fixedCols;
    const int minRow = m_fixedRows;
    m_current.X = std::clamp(m_current.X, minCol, m_colCount - 1);
    m_current.Y = std::clamp(m_current.Y, minRow, m_rowCount - 1);
    if (m_options.testFlag(goRowSelect))
        m_current.X = minCol;
    m_anchor.X = std::clamp(m_anchor.X, minCol, m_colCount - 1);
    m_anchor.Y = std::clamp(m_anchor.Y, minRow, m_rowCount - 1);
    if (!m_options.testFlag(goRangeSelect))
        m_anchor = m_current;
    if (m_options.testFlag(goRowSelect))
        m_anchor.X = m_colCount - 1;
    m_leftCol = std::clamp(m_leftCol, minCol, columns().maxFirst());
    m_topRow = std::clamp(m_topRow, minRow, rows().maxFirst());
}

TGridRect TKivCustomGrid::GetSelection() const
{
    TGridRect r;
    r.Left = std::min(m_current.X, m_anchor.X);
    r.Right = std::max(m_current.X, m_anchor.X);
    r.Top = std::min(m_current.Y, m_anchor.Y);
    r.Bottom = std::max(m_current.Y, m_anchor.Y);
    if (m_options.testFlag(goRowSelect)) {
        r.Left = m_fixedCols;
        r.Right = m_colCount - 1;
    }
    return r;
}

void TKivCustomGrid::SetSelection(const TGridRect& Value)
{
    const int col = std::clamp(Value.Left, m_fixedCols, m_colCount - 1);
    const int row = std::clamp(Value.Top, m_fixedRows, m_rowCount - 1);
    if ((col != m_current.X || row != m_current.Y) && !m_options.testFlag(goAlwaysShowEditor))
        hideEditor();
    m_current = TGridCoord{col, row};
    m_anchor = TGridCoord{Value.Right, Value.Bottom};
    fitState();
    clampInView(m_current.X, m_current.Y);
    InvalidateGrid();
}

void TKivCustomGrid::SetCol(int Value)
{
    focusCell(Value, m_current.Y, true);
}

void TKivCustomGrid::SetRow(int Value)
{
    focusCell(m_current.X, Value, true);
}

void TKivCustomGrid::focusCell(int ACol, int ARow, bool moveAnchor)
{
    moveCurrent(ACol, ARow, moveAnchor, true);
    updateEditor();
    Click();
}

void TKivCustomGrid::moveCurrent(int ACol, int ARow, bool moveAnchor, bool show)
{
    ACol = std::clamp(ACol, m_fixedCols, m_colCount - 1);
    ARow = std::clamp(ARow, m_fixedRows, m_rowCount - 1);
    const bool moved = ACol != m_current.X || ARow != m_current.Y;
    if (moved && !m_options.testFlag(goAlwaysShowEditor))
        hideEditor();
    else if (moved && m_editor != nullptr && !m_editor->isHidden())
        SetEditText(m_current.X, m_current.Y, m_editor->text());
    m_current = TGridCoord{ACol, ARow};
    if (moveAnchor || !m_options.testFlag(goRangeSelect))
        m_anchor = m_current;
    fitState();
    if (show)
        clampInView(m_current.X, m_current.Y);
    InvalidateGrid();
}

void TKivCustomGrid::clampInView(int ACol, int ARow)
{
    const GridAxis c = columns();
    if (!m_options.testFlag(goRowSelect)) {
        if (ACol < m_leftCol)
            m_leftCol = ACol;
        else if (ACol >= m_leftCol + c.fullyVisible())
            m_leftCol = std::max(m_leftCol, c.firstToShow(ACol));
    }
    const GridAxis r = rows();
    if (ARow < m_topRow)
        m_topRow = ARow;
    else if (ARow >= m_topRow + r.fullyVisible())
        m_topRow = std::max(m_topRow, r.firstToShow(ARow));
    fitState();
    updateScrollBars();
    placeEditor();
}

void TKivCustomGrid::SetTopRow(int Value)
{
    m_topRow = Value;
    fitState();
    updateScrollBars();
    placeEditor();
    InvalidateGrid();
}

void TKivCustomGrid::SetLeftCol(int Value)
{
    m_leftCol = Value;
    fitState();
    updateScrollBars();
    placeEditor();
    InvalidateGrid();
}

int TKivCustomGrid::VisibleRowCount() const
{
    return rows().fullyVisible();
}

int TKivCustomGrid::VisibleColCount() const
{
    return columns().fullyVisible();
}

void TKivCustomGrid::updateScrollBars()
{
    const GridAxis c = columns();
    const GridAxis r = rows();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    // Signals stay on: the scroll area shows or hides a bar on its range
    // change. Moves made here are not the operator's and are ignored.
    m_settingScrollBars = true;
    h->setRange(m_fixedCols, c.maxFirst());
    h->setPageStep(std::max(1, c.fullyVisible()));
    h->setSingleStep(1);
    h->setValue(m_leftCol);
    v->setRange(m_fixedRows, r.maxFirst());
    v->setPageStep(std::max(1, r.fullyVisible()));
    v->setSingleStep(1);
    v->setValue(m_topRow);
    m_settingScrollBars = false;
}

void TKivCustomGrid::scrollBarMoved()
{
    if (m_settingScrollBars)
        return;
    m_leftCol = horizontalScrollBar()->value();
    m_topRow = verticalScrollBar()->value();
    fitState();
    placeEditor();
    InvalidateGrid();
}

TGridCoord TKivCustomGrid::MouseCoord(int X, int Y) const
{
    const int col = columns().indexAt(X);
    const int row = rows().indexAt(Y);
    if (col < 0 || row < 0)
        return TGridCoord{-1, -1};
    return TGridCoord{col, row};
}

QRect TKivCustomGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= m_colCount || ARow < 0 || ARow >= m_rowCount)
        return QRect();
    const auto x = columns().start(ACol);
    const auto y = rows().start(ARow);
    if (!x || !y)
        return QRect();
    return QRect(*x, *y, m_colWidths[static_cast<std::size_t>(ACol)],
                 m_rowHeights[static_cast<std::size_t>(ARow)]);
}

bool TKivCustomGrid::Showing() const
{
    return isVisible();
}

void TKivCustomGrid::InvalidateCell(int ACol, int ARow)
{
    if (!Showing())
        return;
    const QRect r = CellRect(ACol, ARow);
    if (!r.isEmpty())
        viewport()->update(r);
}

void TKivCustomGrid::InvalidateGrid()
{
    if (Showing())
        viewport()->update();
}

bool TKivCustomGrid::IsActiveControl() const
{
    const QWidget* w = window();
    if (w == nullptr)
        return false;
    const QWidget* f = w->focusWidget();
    return f == this || (f != nullptr && f == m_editor);
}

GridCanvas& TKivCustomGrid::Canvas()
{
    if (m_canvas == nullptr)
        throw std::logic_error("the grid canvas exists only while the grid paints");
    return *m_canvas;
}

QChar TKivCustomGrid::keyCharOf(const QKeyEvent& e)
{
    switch (e.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return QChar(13);
    case Qt::Key_Escape:
        return QChar(27);
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return QChar(9);
    case Qt::Key_Backspace:
        return QChar(8);
    default:
        break;
    }
    const QString t = e.text();
    if (t.isEmpty() || t.at(0) == QChar(127))
        return QChar();
    return t.at(0);
}

// ---- the in-place editor --------------------------------------------------

void TKivCustomGrid::SetEditorMode(bool Value)
{
    if (Value)
        showEditor();
    else
        hideEditor();
}

void TKivCustomGrid::showEditor()
{
    if (!m_options.testFlag(goEditing) || !isEnabled())
        return;
    m_editorMode = true;
    updateEditor();
}

void TKivCustomGrid::hideEditor()
{
    m_editorMode = false;
    if (m_editor == nullptr || m_editor->isHidden())
        return;
    const bool hadFocus = m_editor->hasFocus();
    SetEditText(m_current.X, m_current.Y, m_editor->text());
    m_editor->hide();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    InvalidateCell(m_current.X, m_current.Y);
}

// Shows or hides the editor over the current cell as the editor mode says.
void TKivCustomGrid::updateEditor()
{
    if (!m_editorMode || !m_options.testFlag(goEditing))
        return;
    if (m_editor == nullptr) {
        m_editor = CreateEditor();
        if (m_editor == nullptr) {
            m_editorMode = false;
            return;
        }
        m_editor->setParent(viewport());
        connect(m_editor, &QLineEdit::textEdited, this, &TKivCustomGrid::editorTextEdited);
    }
    clampInView(m_current.X, m_current.Y);
    m_editor->setFont(m_font.font);
    m_editor->setInputMask(GetEditMask(m_current.X, m_current.Y));
    const int limit = GetEditLimit();
    m_editor->setMaxLength(limit > 0 ? limit : 32767);
    m_editor->setText(GetEditText(m_current.X, m_current.Y));
    m_editor->selectAll();
    placeEditor();
    if (hasFocus() || m_options.testFlag(goAlwaysShowEditor))
        m_editor->setFocus(Qt::OtherFocusReason);
}

void TKivCustomGrid::placeEditor()
{
    if (m_editor == nullptr || !m_editorMode)
        return;
    const QRect r = CellRect(m_current.X, m_current.Y);
    if (r.isEmpty()) {
        m_editor->hide();
        return;
    }
    m_editor->setGeometry(r);
    m_editor->show();
}

void TKivCustomGrid::editorTextEdited(const QString& text)
{
    SetEditText(m_current.X, m_current.Y, text);
}

void TKivCustomGrid::editorLostFocus(QWidget* newFocus)
{
    if (newFocus != this)
        DoExit();
}

GridInplaceEdit* TKivCustomGrid::CreateEditor()
{
    return new GridInplaceEdit(this);
}

QString TKivCustomGrid::GetEditText(int, int)
{
    return QString();
}

void TKivCustomGrid::SetEditText(int, int, const QString&) {}

QString TKivCustomGrid::GetEditMask(int, int)
{
    return QString();
}

int TKivCustomGrid::GetEditLimit()
{
    return 0;
}

bool TKivCustomGrid::CanEditAcceptKey(QChar)
{
    return true;
}

bool TKivCustomGrid::CanGridAcceptKey(int, Qt::KeyboardModifiers)
{
    return true;
}

void TKivCustomGrid::RowMoved(int, int) {}

void TKivCustomGrid::ColumnMoved(int, int) {}

void TKivCustomGrid::DrawCell(int, int, const QRect&, TGridDrawState) {}
