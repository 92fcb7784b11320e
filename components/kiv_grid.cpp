// The cell-property grid's store, accessors, properties and events.
#include "components/kiv_grid.h"

#include "components/kiv_cell_store.h"

#include <QImage>

#include <cmath>

TKivGrid::TKivGrid(QWidget* parent) : TKivCustomGrid(parent)
{
    m_errorText.clear();
    SetColor(clBtnFace);
    SetDefaultDrawing(false);
    SetDefaultColWidth(64);
    SetDefaultRowHeight(20);
    SetFixedRows(1);
    SetFixedCols(0);
    SetBorderStyle(gbsSingle);
    SetOptions(GetOptions() & ~TGridOptions(goRangeSelect));
    m_focusColor = clNavy;
    m_selectColor = clRed;
    m_focusFont = defaultKivFont();
    m_focusFont.color = clWhite;
    m_fixedFont = defaultKivFont();
    m_fixedFont.font.setBold(true);
    m_defaultCellColor = clWhite;
    m_selectStyle = gssNone;

    m_nullBitmap = std::make_unique<QImage>();
    m_nullProperty.Text = QStringLiteral("NULL");
    m_nullProperty.Mask.clear();
    m_nullProperty.Limit = 0;
    m_nullProperty.BackColor = clRed;
    m_nullProperty.ForeColor = clWhite;
    m_nullProperty.Alignment = gcaCenter;
    m_nullProperty.Bitmap = m_nullBitmap.get();
    m_nullProperty.Style = gcsText;
    m_nullProperty.Tag.clear();

    CreateCellProperty();
}

TKivGrid::~TKivGrid()
{
    DestroyCellProperty();
}

// ---- the store ------------------------------------------------------------

TKivCellProperty TKivGrid::freshCell() const
{
    TKivCellProperty p;
    p.BackColor = m_defaultCellColor;
    p.ForeColor = GetFont().color;
    p.Alignment = gcaCenter;
    p.Style = gcsText;
    return p;
}

void TKivGrid::CreateCellProperty()
{
    m_store = std::make_unique<KivCellStore>();
    m_store->resizeRows(GetRowCount(), GetColCount(), freshCell());
}

void TKivGrid::DestroyCellProperty()
{
    m_store.reset();
}

TKivCellProperty* TKivGrid::storedCell(int ACol, int ARow) const
{
    return m_store ? m_store->cell(ACol, ARow) : nullptr;
}

void TKivGrid::ModifyRowCount(int NewCount)
{
    if (NewCount < 0 || !m_store)
        return;
    m_store->resizeRows(NewCount, GetColCount(), freshCell());
    InvalidateGrid();
}

void TKivGrid::ModifyColCount(int NewCount)
{
    if (NewCount < 0 || !m_store)
        return;
    m_store->resizeCols(NewCount, freshCell());
    InvalidateGrid();
}

void TKivGrid::SetColCount(int Value)
{
    TKivCustomGrid::SetColCount(Value);
    ModifyColCount(GetColCount());
    InvalidateGrid();
}

void TKivGrid::SetRowCount(int Value)
{
    TKivCustomGrid::SetRowCount(Value);
    ModifyRowCount(GetRowCount());
    InvalidateGrid();
}

void TKivGrid::RowMoved(int FromIndex, int ToIndex)
{
    // The records travel with a dragged row, so the row keeps what it shows.
    if (m_store)
        m_store->moveRow(FromIndex, ToIndex);
}

void TKivGrid::ColumnMoved(int FromIndex, int ToIndex)
{
    if (m_store)
        m_store->moveCol(FromIndex, ToIndex);
}

// ---- cell accessors -------------------------------------------------------

void TKivGrid::SetCellText(int ACol, int ARow, const QString& Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->Text = Value;
    InvalidateCell(ACol, ARow);
}

QString TKivGrid::GetCellText(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Text : QString();
}

void TKivGrid::SetCellMask(int ACol, int ARow, const QString& Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->Mask = Value;
    InvalidateCell(ACol, ARow);
}

QString TKivGrid::GetCellMask(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Mask : QString();
}

void TKivGrid::SetCellLimit(int ACol, int ARow, std::int32_t Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->Limit = Value;
    InvalidateCell(ACol, ARow);
}

std::int32_t TKivGrid::GetCellLimit(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Limit : 0;
}

void TKivGrid::SetCellBackColor(int ACol, int ARow, TColor Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->BackColor = Value;
    InvalidateCell(ACol, ARow);
}

TColor TKivGrid::GetCellBackColor(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->BackColor : GetColor();
}

void TKivGrid::SetCellForeColor(int ACol, int ARow, TColor Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->ForeColor = Value;
    InvalidateCell(ACol, ARow);
}

TColor TKivGrid::GetCellForeColor(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->ForeColor : GetFont().color;
}

void TKivGrid::SetCellAlignment(int ACol, int ARow, TGridCellAlign Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->Alignment = Value;
    InvalidateCell(ACol, ARow);
}

TGridCellAlign TKivGrid::GetCellAlignment(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Alignment : gcaCenter;
}

void TKivGrid::SetCellBitmap(int ACol, int ARow, const QImage& Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow)) {
        if (c->Bitmap != &Value)
            *c->Bitmap = Value;
    }
    InvalidateCell(ACol, ARow);
}

QImage* TKivGrid::GetCellBitmap(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Bitmap : nullptr;
}

void TKivGrid::SetCellStyle(int ACol, int ARow, TGridCellStyle Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->Style = Value;
    InvalidateCell(ACol, ARow);
}

TGridCellStyle TKivGrid::GetCellStyle(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Style : gcsText;
}

void TKivGrid::SetCellTag(int ACol, int ARow, const QString& Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow))
        c->Tag = Value;
    InvalidateCell(ACol, ARow);
}

QString TKivGrid::GetCellTag(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? c->Tag : QString();
}

void TKivGrid::SetCellProperty(int ACol, int ARow, const TKivCellProperty& Value)
{
    if (TKivCellProperty* c = storedCell(ACol, ARow)) {
        c->Text = Value.Text;
        c->Mask = Value.Mask;
        c->Tag = Value.Tag;
        c->Limit = Value.Limit;
        c->BackColor = Value.BackColor;
        c->ForeColor = Value.ForeColor;
        c->Alignment = Value.Alignment;
        c->Style = Value.Style;
        // The cell keeps its own bitmap object: a foreign picture is copied
        // into it, and a record without one leaves the cell without a picture.
        if (Value.Bitmap == nullptr)
            *c->Bitmap = QImage();
        else if (Value.Bitmap != c->Bitmap)
            *c->Bitmap = *Value.Bitmap;
    }
    InvalidateCell(ACol, ARow);
}

TKivCellProperty TKivGrid::GetCellProperty(int ACol, int ARow) const
{
    const TKivCellProperty* c = storedCell(ACol, ARow);
    return c ? *c : m_nullProperty;
}

// ---- properties -----------------------------------------------------------

void TKivGrid::SetBorderStyle(TGridBorderStyle Value)
{
    m_borderStyle = Value;
    TKivCustomGrid::SetBorderStyle(Value == gbsNone ? bsNone : bsSingle);
}

void TKivGrid::SetFocusColor(TColor Value)
{
    m_focusColor = Value;
    InvalidateGrid();
}

void TKivGrid::SetSelectColor(TColor Value)
{
    m_selectColor = Value;
    InvalidateGrid();
}

void TKivGrid::SetFocusStyle(TGridFocusStyle Value)
{
    m_focusStyle = Value;
    InvalidateGrid();
}

void TKivGrid::SetFocusFont(const KivFont& Value)
{
    m_focusFont = Value;
    InvalidateGrid();
}

void TKivGrid::SetFixedFont(const KivFont& Value)
{
    m_fixedFont = Value;
    InvalidateGrid();
}

void TKivGrid::SetErrorText(const QString& Value)
{
    m_errorText = Value;
    InvalidateGrid();
}

void TKivGrid::SetDefaultCellColor(TColor Value)
{
    m_defaultCellColor = Value;
    InvalidateGrid();
}

void TKivGrid::SetSelectStyle(TGridSelectStyle Value)
{
    m_selectStyle = Value;
    InvalidateGrid();
}

void TKivGrid::SetAutoSizeCol(bool Value)
{
    m_autoSizeCol = Value;
}

void TKivGrid::DoAutoSizeCol()
{
    const int n = GetColCount();
    if (n <= 0)
        return;
    long long total = 0;
    for (int i = 0; i < n; ++i)
        total += static_cast<long long>(GetColWidths(i)) + GetGridLineWidth();
    const long long room = static_cast<long long>(viewport()->width()) - n / 2 - 1;
    const bool grow = total < room;
    const long long d = grow ? room - total : total - room;
    long long step = d / n;
    if (static_cast<double>(d) / n - static_cast<double>(step) > 0.5)
        ++step;
    if (!grow)
        step = -step;
    if (step == 0)
        return;
    for (int i = 0; i < n; ++i) {
        const long long w = static_cast<long long>(GetColWidths(i)) + step;
        if (w > 5)
            SetColWidths(i, static_cast<int>(std::min<long long>(w, INT32_MAX)));
    }
}

// ---- events and hooks -----------------------------------------------------

void TKivGrid::CellClick(int ACol, int ARow)
{
    if (OnCellClick)
        OnCellClick(this, ACol, ARow);
}

void TKivGrid::CellDblClick(int ACol, int ARow)
{
    if (OnCellDblClick)
        OnCellDblClick(this, ACol, ARow);
}

void TKivGrid::CellKeyPress(int ACol, int ARow, QChar& Key)
{
    if (OnCellKeyPress)
        OnCellKeyPress(this, ACol, ARow, Key);
}

void TKivGrid::CellPropEvent(int ACol, int ARow, TKivCellProperty* CellPropStruct)
{
    if (OnCellProperty)
        OnCellProperty(this, ACol, ARow, CellPropStruct);
}

void TKivGrid::Click()
{
    const QPoint p = LastMousePos();
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    CellClick(cell.X, cell.Y);
    if (OnClick)
        OnClick(this);
}

void TKivGrid::DblClick()
{
    const QPoint p = LastMousePos();
    const TGridCoord cell = MouseCoord(p.x(), p.y());
    CellDblClick(cell.X, cell.Y);
    if (OnDblClick)
        OnDblClick(this);
}

void TKivGrid::KeyPress(QChar& Key)
{
    const bool editing = isEnabled() && GetOptions().testFlag(goEditing);
    if (Key.unicode() == 13 && editing)
        SetEditorMode(!GetEditorMode());
    if (Key.unicode() == 27 && editing && GetEditorMode())
        SetEditorMode(false);
    CellKeyPress(GetCol(), GetRow(), Key);
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TKivGrid::Resize()
{
    if (Showing()) {
        InvalidateGrid();
        if (m_autoSizeCol)
            DoAutoSizeCol();
    }
    if (OnResize)
        OnResize(this);
}

QString TKivGrid::GetEditText(int ACol, int ARow)
{
    return GetCellText(ACol, ARow);
}

void TKivGrid::SetEditText(int ACol, int ARow, const QString& Value)
{
    SetCellText(ACol, ARow, Value);
}

QString TKivGrid::GetEditMask(int ACol, int ARow)
{
    return GetCellMask(ACol, ARow);
}

int TKivGrid::GetEditLimit()
{
    return GetCellLimit(GetCol(), GetRow());
}

bool TKivGrid::CanEditAcceptKey(QChar)
{
    return true;
}

bool TKivGrid::CanGridAcceptKey(int, Qt::KeyboardModifiers)
{
    return true;
}
