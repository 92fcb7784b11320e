// GDI-style drawing on top of QPainter for the grid's cell painters.
#include "components/grid_canvas.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdlib>

namespace {

// Applies the pen mode for the duration of one drawing call.
class ModeScope
{
public:
    ModeScope(QPainter& p, TPenMode mode) : m_painter(p), m_old(p.compositionMode())
    {
        if (mode == pmXor)
            m_painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    }
    ~ModeScope() { m_painter.setCompositionMode(m_old); }
    ModeScope(const ModeScope&) = delete;
    ModeScope& operator=(const ModeScope&) = delete;

private:
    QPainter& m_painter;
    QPainter::CompositionMode m_old;
};

}  // namespace

GridCanvas::GridCanvas(QPainter& painter) : m_painter(painter)
{
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void GridCanvas::fillRect(const QRect& r)
{
    if (r.isEmpty())
        return;
    m_painter.fillRect(r, toQColor(m_brushColor));
}

void GridCanvas::moveTo(int x, int y)
{
    m_pos = QPoint(x, y);
    m_dotPhase = 0;
}

void GridCanvas::plot(int x, int y, const QColor& colour)
{
    m_painter.fillRect(QRect(x, y, 1, 1), colour);
}

void GridCanvas::lineTo(int x, int y)
{
    const ModeScope mode(m_painter, m_penMode);
    const int x0 = m_pos.x();
    const int y0 = m_pos.y();
    const QColor colour = toQColor(m_penColor);
    if (m_penStyle == psSolid && (x0 == x || y0 == y)) {
        // Axis-parallel solid lines, the common case, as one strip each.
        if (y0 == y && x != x0) {
            const int from = x > x0 ? x0 : x + 1;
            m_painter.fillRect(QRect(from, y0, std::abs(x - x0), 1), colour);
        } else if (x0 == x && y != y0) {
            const int from = y > y0 ? y0 : y + 1;
            m_painter.fillRect(QRect(x0, from, 1, std::abs(y - y0)), colour);
        }
    } else {
        // Bresenham, stopping before the end point.
        const int dx = std::abs(x - x0);
        const int dy = -std::abs(y - y0);
        const int sx = x0 < x ? 1 : -1;
        const int sy = y0 < y ? 1 : -1;
        int err = dx + dy;
        int cx = x0;
        int cy = y0;
        while (cx != x || cy != y) {
            if (m_penStyle == psSolid || (m_dotPhase % 2) == 0)
                plot(cx, cy, colour);
            ++m_dotPhase;
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                cx += sx;
            }
            if (e2 <= dx) {
                err += dx;
                cy += sy;
            }
        }
    }
    m_pos = QPoint(x, y);
}

void GridCanvas::frameRect(const QRect& r)
{
    if (r.isEmpty())
        return;
    const int l = r.left();
    const int t = r.top();
    const int rr = r.left() + r.width() - 1;
    const int b = r.top() + r.height() - 1;
    moveTo(l, t);
    lineTo(rr, t);
    lineTo(rr, b);
    lineTo(l, b);
    lineTo(l, t);
    if (r.width() == 1 && r.height() == 1) {
        const ModeScope mode(m_painter, m_penMode);
        plot(l, t, toQColor(m_penColor));  // a one-pixel outline is that pixel
    }
}

QSize GridCanvas::textExtent(const QString& text) const
{
    const QFontMetrics fm(m_font.font, m_painter.device());
    return QSize(fm.horizontalAdvance(text), fm.height());
}

void GridCanvas::textRect(const QRect& clip, int x, int y, const QString& text)
{
    fillRect(clip);
    if (text.isEmpty() || clip.isEmpty())
        return;
    m_painter.save();
    m_painter.setClipRect(clip, Qt::IntersectClip);
    m_painter.setFont(m_font.font);
    m_painter.setPen(toQColor(m_font.color));
    const QFontMetrics fm(m_font.font, m_painter.device());
    m_painter.drawText(QPoint(x, y + fm.ascent()), text);
    m_painter.restore();
}

void GridCanvas::draw(int x, int y, const QImage& image)
{
    if (image.isNull())
        return;
    m_painter.drawImage(QPoint(x, y), image);
}
