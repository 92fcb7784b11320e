// The drawing surface handed to a grid's cell painter: pen, brush and font
// state over a QPainter, with the pixel rules of classic GDI drawing (lines
// leave out their end point, text is drawn opaque and clipped to a rectangle).
#pragma once

#include "components/kiv_color.h"
#include "components/kiv_font.h"

#include <QPoint>

class QColor;
class QImage;
class QPainter;
class QRect;
class QSize;
class QString;

enum TPenStyle : std::uint8_t { psSolid, psDot };
enum TPenMode : std::uint8_t { pmCopy, pmXor };

class GridCanvas
{
public:
    explicit GridCanvas(QPainter& painter);

    void setPenColor(TColor c) { m_penColor = c; }
    TColor penColor() const { return m_penColor; }
    void setPenStyle(TPenStyle s) { m_penStyle = s; }
    TPenStyle penStyle() const { return m_penStyle; }
    void setPenMode(TPenMode m) { m_penMode = m; }
    TPenMode penMode() const { return m_penMode; }
    void setBrushColor(TColor c) { m_brushColor = c; }
    TColor brushColor() const { return m_brushColor; }
    void setFont(const KivFont& f) { m_font = f; }
    const KivFont& font() const { return m_font; }

    // Fills the rectangle with the brush colour.
    void fillRect(const QRect& r);

    // Sets the pen position without drawing.
    void moveTo(int x, int y);
    // Draws from the pen position to (x, y), leaving (x, y) itself undrawn,
    // and moves the pen there. Dotted lines set every other pixel.
    void lineTo(int x, int y);
    QPoint penPos() const { return m_pos; }

    // The outline of the rectangle with the pen: left/top edges on the first
    // pixel row and column, right/bottom edges on the last ones inside it.
    void frameRect(const QRect& r);

    // Width and height of the text in the current font.
    QSize textExtent(const QString& text) const;

    // Fills clip with the brush colour, then writes the text with its top-left
    // corner at (x, y) in the font's colour, clipped to clip.
    void textRect(const QRect& clip, int x, int y, const QString& text);

    // Draws the image with its top-left corner at (x, y).
    void draw(int x, int y, const QImage& image);

    QPainter& painter() { return m_painter; }

private:
    void plot(int x, int y, const QColor& colour);

    QPainter& m_painter;
    TColor m_penColor = clBlack;
    TPenStyle m_penStyle = psSolid;
    TPenMode m_penMode = pmCopy;
    TColor m_brushColor = clWhite;
    KivFont m_font = defaultKivFont();
    QPoint m_pos;
    int m_dotPhase = 0;
};
