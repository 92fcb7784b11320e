// The cell-property grid: an owner-drawn grid that keeps a property record
// (text, edit mask and limit, colours, alignment, picture, style, tag) for
// every cell, paints each cell from it, and reports clicks, double clicks and
// key presses per cell. List-style row operations (append, delete, sort,
// search) work on the same store.
#pragma once

#include "components/kiv_cell_property.h"
#include "components/kiv_custom_grid.h"

#include <functional>
#include <memory>

class KivCellStore;
class QImage;

enum TGridBorderStyle : std::uint8_t { gbsNone, gbsSingle };
// How highlighted cells look while the grid has the focus.
enum TGridFocusStyle : std::uint8_t { gfsSolid, gfsSingle, gfsSpacer };
// How selected cells look while the grid does not have the focus.
enum TGridSelectStyle : std::uint8_t { gssNone, gssSingle, gssSolid, gssSpacer };
enum TGridSortType : std::uint8_t {
    gstTextAscending = 0,
    gstTextDescending = 1,
    gstNumericAscending = 2,
    gstNumericDescending = 3,
};

class TKivGrid : public TKivCustomGrid
{
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TKivGrid* Sender)>;
    using TKeyPressEvent = std::function<void(TKivGrid* Sender, QChar& Key)>;
    using TCellEvent = std::function<void(TKivGrid* Sender, int ACol, int ARow)>;
    using TCellKeyPressEvent =
        std::function<void(TKivGrid* Sender, int ACol, int ARow, QChar& Key)>;
    using TCellPropertyEvent =
        std::function<void(TKivGrid* Sender, int ACol, int ARow, TKivCellProperty* CellPropStruct)>;

    // The highest row count that AddItem grows the grid to.
    static constexpr int kMaxItemRows = 32767;

    explicit TKivGrid(QWidget* parent = nullptr);
    ~TKivGrid() override;

    // Cell accessors. Setters ignore cells outside the store; getters answer
    // the defaults for them (see the .cpp). Every setter repaints its cell.
    void SetCellText(int ACol, int ARow, const QString& Value);
    QString GetCellText(int ACol, int ARow) const;
    void SetCellMask(int ACol, int ARow, const QString& Value);
    QString GetCellMask(int ACol, int ARow) const;
    void SetCellLimit(int ACol, int ARow, std::int32_t Value);
    std::int32_t GetCellLimit(int ACol, int ARow) const;
    void SetCellBackColor(int ACol, int ARow, TColor Value);
    TColor GetCellBackColor(int ACol, int ARow) const;
    void SetCellForeColor(int ACol, int ARow, TColor Value);
    TColor GetCellForeColor(int ACol, int ARow) const;
    void SetCellAlignment(int ACol, int ARow, TGridCellAlign Value);
    TGridCellAlign GetCellAlignment(int ACol, int ARow) const;
    // Copies the picture into the cell's own bitmap.
    void SetCellBitmap(int ACol, int ARow, const QImage& Value);
    // The cell's own bitmap (owned by the grid), or nullptr outside the store.
    QImage* GetCellBitmap(int ACol, int ARow) const;
    void SetCellStyle(int ACol, int ARow, TGridCellStyle Value);
    TGridCellStyle GetCellStyle(int ACol, int ARow) const;
    void SetCellTag(int ACol, int ARow, const QString& Value);
    QString GetCellTag(int ACol, int ARow) const;
    // All fields at once; a Bitmap other than the cell's own is copied into it.
    void SetCellProperty(int ACol, int ARow, const TKivCellProperty& Value);
    // A copy of the record (its Bitmap the cell's own), or of the null record.
    TKivCellProperty GetCellProperty(int ACol, int ARow) const;

    // The store follows the base grid's counts.
    void SetColCount(int Value) override;
    void SetRowCount(int Value) override;

    TGridBorderStyle GetBorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TGridBorderStyle Value);
    TColor GetFocusColor() const { return m_focusColor; }
    void SetFocusColor(TColor Value);
    TColor GetSelectColor() const { return m_selectColor; }
    void SetSelectColor(TColor Value);
    TGridFocusStyle GetFocusStyle() const { return m_focusStyle; }
    void SetFocusStyle(TGridFocusStyle Value);
    const KivFont& GetFocusFont() const { return m_focusFont; }
    void SetFocusFont(const KivFont& Value);
    const KivFont& GetFixedFont() const { return m_fixedFont; }
    void SetFixedFont(const KivFont& Value);
    const QString& GetErrorText() const { return m_errorText; }
    void SetErrorText(const QString& Value);
    TColor GetDefaultCellColor() const { return m_defaultCellColor; }
    void SetDefaultCellColor(TColor Value);
    TGridSelectStyle GetSelectStyle() const { return m_selectStyle; }
    void SetSelectStyle(TGridSelectStyle Value);
    bool GetAutoSizeCol() const { return m_autoSizeCol; }
    void SetAutoSizeCol(bool Value);

    // Spreads the free client width evenly over the columns.
    void DoAutoSizeCol();

    // Row operations.
    void AddItem();
    void DeleteItem(int ARow);
    void SortRows(int ACol, TGridSortType SortType);
    int SearchItem(int StartRow, int ACol, const QString& Text) const;

    // Fires OnCellProperty; the grid itself never calls it.
    virtual void CellPropEvent(int ACol, int ARow, TKivCellProperty* CellPropStruct);

    TCellEvent OnCellClick;
    TCellEvent OnCellDblClick;
    TCellKeyPressEvent OnCellKeyPress;
    TCellPropertyEvent OnCellProperty;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnResize;

protected:
    virtual void CellClick(int ACol, int ARow);
    virtual void CellDblClick(int ACol, int ARow);
    virtual void CellKeyPress(int ACol, int ARow, QChar& Key);

    void DrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState State) override;
    void Click() override;
    void DblClick() override;
    void KeyPress(QChar& Key) override;
    void Resize() override;
    QString GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& Value) override;
    QString GetEditMask(int ACol, int ARow) override;
    int GetEditLimit() override;
    bool CanEditAcceptKey(QChar Key) override;
    bool CanGridAcceptKey(int Key, Qt::KeyboardModifiers Shift) override;
    void RowMoved(int FromIndex, int ToIndex) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;

    void ModifyRowCount(int NewCount);
    void ModifyColCount(int NewCount);

private:
    void CreateCellProperty();
    void DestroyCellProperty();
    TKivCellProperty* storedCell(int ACol, int ARow) const;
    TKivCellProperty freshCell() const;
    void outline(int ACol, const QRect& Rect, bool dotted, TColor colour);

    TGridBorderStyle m_borderStyle = gbsSingle;
    TColor m_focusColor = clNavy;
    TColor m_selectColor = clRed;
    TGridFocusStyle m_focusStyle = gfsSolid;
    KivFont m_focusFont;
    KivFont m_fixedFont;
    QString m_errorText;
    TColor m_defaultCellColor = clWhite;
    TGridSelectStyle m_selectStyle = gssNone;
    bool m_autoSizeCol = false;

    std::unique_ptr<KivCellStore> m_store;
    std::unique_ptr<QImage> m_nullBitmap;
    TKivCellProperty m_nullProperty;
};
