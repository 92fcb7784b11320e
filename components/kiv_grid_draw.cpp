// How the cell-property grid paints one cell: highlight or fixed-cell bevel,
// the selection outline, then the text or picture placed by the cell's
// alignment inside a one-pixel margin.
#include "components/kiv_grid.h"

#include "components/grid_canvas.h"

#include <QImage>

namespace {

int half(int v)
{
    return v / 2;  // rounds toward zero, as the placement rules want
}

// Where content of size w x h goes inside the inner rectangle (exclusive right and bottom).
QPoint place(TGridCellAlign align, int l, int t, int r, int b, int w, int h)
{
    switch (align) {
    case gcaLeftCenter:
        return QPoint(l + 2, t + half(b - t) - half(h));
    case gcaRightCenter:
        return QPoint(r - w - 2, t + half(b - t) - half(h));
    case gcaTopCenter:
        return QPoint(l + half(r - l) - half(w), t + 2);
    case gcaBottomCenter:
        return QPoint(l + half(r - l) - half(w), b - h - 2);
    case gcaCenter:
        return QPoint(l + half(r - l) - half(w), t + half(b - t) - half(h));
    default:
        return QPoint(l + 2, t + 2);
    }
}

}  // namespace

// The outline of a highlighted cell; with whole-row selection one piece per
// cell, so that the pieces of a row join to one frame round the row.
void TKivGrid::outline(int ACol, const QRect& Rect, bool dotted, TColor colour)
{
    GridCanvas& c = Canvas();
    c.setPenStyle(dotted ? psDot : psSolid);
    c.setPenColor(colour);
    const int l = Rect.left();
    const int t = Rect.top();
    const int r = l + Rect.width();
    const int b = t + Rect.height();
    const int first = GetFixedCols();
    const int last = GetColCount() - 1;
    if (!GetOptions().testFlag(goRowSelect) || first == last) {
        c.frameRect(Rect);
    } else if (ACol == first) {
        c.moveTo(r - 1, b - 1);
        c.lineTo(l, b - 1);
        c.lineTo(l, t);
        c.lineTo(r, t);
    } else if (ACol == last) {
        c.moveTo(l, b - 1);
        c.lineTo(r - 1, b - 1);
        c.lineTo(r - 1, t);
        c.lineTo(l - 1, t);
    } else {
        c.moveTo(l, t);
        c.lineTo(r, t);
        c.moveTo(l, b - 1);
        c.lineTo(r, b - 1);
    }
}

void TKivGrid::DrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState State)
{
    GridCanvas& c = Canvas();
    const TKivCellProperty cell = GetCellProperty(ACol, ARow);
    const bool fixed = State.testFlag(gdFixed);
    const bool focusedCell = State.testFlag(gdFocused);
    const bool selected = State.testFlag(gdSelected);
    const bool gridFocused = hasFocus();
    const bool highlighted = gridFocused && (focusedCell || selected);

    c.setPenMode(pmCopy);

    TColor h = cell.BackColor;
    if (highlighted)
        h = GetOptions().testFlag(goRowSelect) || focusedCell ? m_focusColor : m_selectColor;

    TColor background = cell.BackColor;
    if (!fixed) {
        switch (m_focusStyle) {
        case gfsSolid:
            c.setBrushColor(h);
            c.fillRect(Rect);
            background = h;
            break;
        case gfsSingle:
        case gfsSpacer:
            c.setBrushColor(cell.BackColor);
            c.fillRect(Rect);
            outline(ACol, Rect, m_focusStyle == gfsSpacer, h);
            break;
        default:
            c.setBrushColor(cell.BackColor);
            c.fillRect(Rect);
            break;
        }
    } else {
        c.setPenStyle(psSolid);
        QRect face = Rect;
        if (GetCtl3D()) {
            const int l = Rect.left();
            const int t = Rect.top();
            const int r = l + Rect.width();
            const int b = t + Rect.height();
            c.setPenColor(clWhite);
            c.moveTo(l, b - 1);
            c.lineTo(l, t);
            c.lineTo(r, t);
            c.setPenColor(kivRgb(128, 128, 128));
            c.moveTo(r - 1, t + 1);
            c.lineTo(r - 1, b - 1);
            c.lineTo(l, b - 1);
            face = Rect.adjusted(1, 1, -1, -1);
        }
        c.setBrushColor(GetFixedColor());
        c.fillRect(face);
        background = GetFixedColor();
    }

    if (!fixed && selected && !gridFocused) {
        switch (m_selectStyle) {
        case gssSingle:
            outline(ACol, Rect, false, m_selectColor);
            break;
        case gssSolid:
            c.setBrushColor(m_selectColor);
            c.fillRect(Rect);
            background = m_selectColor;
            break;
        case gssSpacer:
            outline(ACol, Rect, true, m_selectColor);
            break;
        default:
            break;
        }
    }

    c.setPenStyle(psSolid);
    if (highlighted)
        c.setFont(m_focusFont);
    else if (fixed)
        c.setFont(m_fixedFont);
    else
        c.setFont(KivFont{GetFont().font, cell.ForeColor});

    const QRect inner = Rect.adjusted(1, 1, -1, -1);
    const int l = inner.left();
    const int t = inner.top();
    const int r = l + inner.width();
    const int b = t + inner.height();

    if (!m_errorText.isEmpty() || cell.Style == gcsText) {
        const QString text = !m_errorText.isEmpty() ? m_errorText : cell.Text;
        const QSize size = c.textExtent(text);
        const QPoint at = place(cell.Alignment, l, t, r, b, size.width(), size.height());
        c.setBrushColor(background);
        c.textRect(inner, at.x(), at.y(), text);
    } else if (cell.Style == gcsBitmap && cell.Bitmap != nullptr && !cell.Bitmap->isNull()) {
        const QImage& image = *cell.Bitmap;
        const QPoint at = place(cell.Alignment, l, t, r, b, image.width(), image.height());
        c.draw(at.x(), at.y(), image);
    }
}
