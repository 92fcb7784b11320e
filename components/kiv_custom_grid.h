// An owner-drawn grid that keeps no cell contents of its own: it lays out
// columns and rows (fixed ones stay in view while the rest scrolls by whole
// cells), draws the grid lines, tracks the current cell and the selection,
// moves them by keyboard and mouse, hosts an in-place editor, and leaves the
// inside of every cell to the virtual DrawCell of a descendant.
#pragma once

#include "components/grid_types.h"
#include "components/kiv_color.h"
#include "components/kiv_font.h"

#include <QAbstractScrollArea>
#include <QPoint>
#include <QRect>

#include <vector>

class GridAxis;
class GridCanvas;
class GridInplaceEdit;

class TKivCustomGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TKivCustomGrid(QWidget* parent = nullptr);
    ~TKivCustomGrid() override;

    // Counts include the fixed columns and rows. A count below 1 becomes 1;
    // a count at or below the fixed count lowers the fixed count to count - 1.
    int GetColCount() const { return m_colCount; }
    virtual void SetColCount(int Value);
    int GetRowCount() const { return m_rowCount; }
    virtual void SetRowCount(int Value);
    // Fixed counts are kept below the counts (a larger value is clamped).
    int GetFixedCols() const { return m_fixedCols; }
    void SetFixedCols(int Value);
    int GetFixedRows() const { return m_fixedRows; }
    void SetFixedRows(int Value);

    // Widths and heights are 0 or more; indices outside the grid are ignored (getters: 0).
    int GetColWidths(int ACol) const;
    void SetColWidths(int ACol, int Value);
    int GetRowHeights(int ARow) const;
    void SetRowHeights(int ARow, int Value);
    // Setting a default size gives it to every column (row) at once.
    int GetDefaultColWidth() const { return m_defaultColWidth; }
    void SetDefaultColWidth(int Value);
    int GetDefaultRowHeight() const { return m_defaultRowHeight; }
    void SetDefaultRowHeight(int Value);
    int GetGridLineWidth() const { return m_gridLineWidth; }
    void SetGridLineWidth(int Value);

    TColor GetColor() const { return m_color; }
    void SetColor(TColor Value);
    TColor GetFixedColor() const { return m_fixedColor; }
    void SetFixedColor(TColor Value);
    const KivFont& GetFont() const { return m_font; }
    void SetFont(const KivFont& Value);
    bool GetCtl3D() const { return m_ctl3D; }
    void SetCtl3D(bool Value);
    TBorderStyle GetBorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TGridOptions GetOptions() const { return m_options; }
    void SetOptions(TGridOptions Value);
    // With default drawing the grid fills cells, bevels fixed cells and marks
    // the focused cell before and after DrawCell.
    bool GetDefaultDrawing() const { return m_defaultDrawing; }
    void SetDefaultDrawing(bool Value);

    // The current cell; it never lies in a fixed row or column.
    int GetCol() const { return m_current.X; }
    void SetCol(int Value);
    int GetRow() const { return m_current.Y; }
    void SetRow(int Value);
    TGridRect GetSelection() const;
    void SetSelection(const TGridRect& Value);
    int GetTopRow() const { return m_topRow; }
    void SetTopRow(int Value);
    int GetLeftCol() const { return m_leftCol; }
    void SetLeftCol(int Value);
    int VisibleRowCount() const;
    int VisibleColCount() const;

    bool GetEditorMode() const { return m_editorMode; }
    void SetEditorMode(bool Value);
    GridInplaceEdit* InplaceEditor() const { return m_editor; }

    // The cell under a point of the client area; (-1, -1) over no cell.
    TGridCoord MouseCoord(int X, int Y) const;
    // Where the pointer was last seen over the grid, in client coordinates.
    QPoint LastMousePos() const { return m_lastMouse; }
    // The cell's rectangle in client coordinates; empty while it is out of view.
    QRect CellRect(int ACol, int ARow) const;

    void InvalidateCell(int ACol, int ARow);
    void InvalidateGrid();
    bool Showing() const;
    // Whether the grid or its editor holds the focus of its window.
    bool IsActiveControl() const;

    // The canvas of the paint in progress; only valid inside DrawCell.
    GridCanvas& Canvas();

    // The character that a key event types, with Enter, Escape, Tab and
    // Backspace given as their control characters; a null character if none.
    static QChar keyCharOf(const QKeyEvent& e);

protected:
    virtual void DrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState State);

    virtual void Click() {}
    virtual void DblClick() {}
    virtual void KeyPress(QChar& Key);
    virtual void KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    virtual void DoExit();
    virtual void Resize() {}

    virtual QString GetEditText(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString& Value);
    virtual QString GetEditMask(int ACol, int ARow);
    virtual int GetEditLimit();
    virtual bool CanEditAcceptKey(QChar Key);
    virtual bool CanGridAcceptKey(int Key, Qt::KeyboardModifiers Shift);
    virtual GridInplaceEdit* CreateEditor();

    // A dragged row or column has moved from one index to another.
    virtual void RowMoved(int FromIndex, int ToIndex);
    virtual void ColumnMoved(int FromIndex, int ToIndex);

    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool viewportEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    friend class GridInplaceEdit;

    enum class MouseMode { None, Selecting, ColSizing, RowSizing, ColMoving, RowMoving };

    GridAxis columns() const;
    GridAxis rows() const;
    int lineWidthX() const;
    int lineWidthY() const;

    void focusCell(int ACol, int ARow, bool moveAnchor);
    void moveCurrent(int ACol, int ARow, bool moveAnchor, bool show);
    void clampInView(int ACol, int ARow);
    void fitState();  // keeps current cell, anchor and scroll position valid after changes
    void updateScrollBars();
    void scrollBarMoved();
    void applyFrame();
    void layoutChanged();

    void showEditor();
    void hideEditor();
    void updateEditor();
    void placeEditor();
    void editorTextEdited(const QString& text);
    void editorLostFocus(QWidget* newFocus);

    void paintArea(GridCanvas& canvas, const GridAxis& cols, const GridAxis& rws, bool fixedCols,
                   bool fixedRows, const QRect& area);

    int sizingBorderAt(const GridAxis& axis, int pos) const;

    int m_colCount = 5;
    int m_rowCount = 5;
    int m_fixedCols = 1;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    std::vector<int> m_colWidths;
    std::vector<int> m_rowHeights;
    TColor m_color = clWindow;
    TColor m_fixedColor = clBtnFace;
    KivFont m_font = defaultKivFont();
    bool m_ctl3D = true;
    TBorderStyle m_borderStyle = bsSingle;
    TGridOptions m_options =
        goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    bool m_defaultDrawing = true;

    TGridCoord m_current{1, 1};
    TGridCoord m_anchor{1, 1};
    int m_topRow = 1;
    int m_leftCol = 1;

    bool m_editorMode = false;
    GridInplaceEdit* m_editor = nullptr;  // a child widget, deleted with the grid

    QPoint m_lastMouse{-1, -1};
    MouseMode m_mouseMode = MouseMode::None;
    int m_dragIndex = -1;
    int m_dragOrigin = 0;
    GridCanvas* m_canvas = nullptr;
    bool m_inResize = false;
    bool m_settingScrollBars = false;
};
