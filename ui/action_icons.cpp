// Every image is drawn in a 16 x 16 unit square and scaled to the size
// asked for, so that the same artwork serves the tool bar and high-density
// screens.
#include "ui/action_icons.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace {

using DrawFn = void (*)(QPainter&);

QPen Outline(const QColor& color, qreal width = 1.0)
{
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

QLinearGradient Vertical(qreal top, qreal bottom, const QColor& light, const QColor& dark)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    return gradient;
}

void DrawPencil(QPainter& p)
{
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    // Body along the x axis, tip towards -x (lower left once rotated).
    p.setPen(Outline(QColor(122, 90, 0), 0.8));
    p.setBrush(Vertical(-2, 2, QColor(255, 214, 80), QColor(230, 160, 0)));
    p.drawRect(QRectF(-3.5, -2, 7.5, 4));
    p.setBrush(QColor(170, 170, 178));
    p.drawRect(QRectF(4, -2, 1.5, 4));
    p.setBrush(QColor(240, 120, 130));
    p.drawRoundedRect(QRectF(5.5, -2, 2, 4), 0.8, 0.8);
    QPainterPath wood;
    wood.moveTo(-3.5, -2);
    wood.lineTo(-7.2, 0);
    wood.lineTo(-3.5, 2);
    wood.closeSubpath();
    p.setBrush(QColor(245, 220, 170));
    p.drawPath(wood);
    QPainterPath lead;
    lead.moveTo(-5.8, -0.75);
    lead.lineTo(-7.2, 0);
    lead.lineTo(-5.8, 0.75);
    lead.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 50, 50));
    p.drawPath(lead);
    p.restore();
}

void DrawClear(QPainter& p)
{
    p.setPen(Outline(QColor(130, 0, 0), 3.6));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    p.setPen(Outline(QColor(235, 40, 40), 2.2));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void DrawRun(QPainter& p)
{
    QPainterPath triangle;
    triangle.moveTo(4, 2.5);
    triangle.lineTo(13.5, 8);
    triangle.lineTo(4, 13.5);
    triangle.closeSubpath();
    p.setPen(Outline(QColor(0, 100, 0)));
    p.setBrush(Vertical(2.5, 13.5, QColor(120, 230, 120), QColor(0, 150, 0)));
    p.drawPath(triangle);
}

void DrawStop(QPainter& p)
{
    p.setPen(Outline(QColor(120, 0, 0)));
    p.setBrush(Vertical(3, 13, QColor(255, 120, 110), QColor(200, 0, 0)));
    p.drawRoundedRect(QRectF(3, 3, 10, 10), 1.5, 1.5);
}

void DrawExit(QPainter& p)
{
    // Door frame, an open door and an arrow leading out.
    p.setPen(Outline(QColor(70, 45, 20)));
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(QRectF(1.5, 1.5, 7, 13));
    QPainterPath door;
    door.moveTo(1.5, 1.5);
    door.lineTo(6.5, 3);
    door.lineTo(6.5, 15.5);
    door.lineTo(1.5, 14.5);
    door.closeSubpath();
    p.setBrush(Vertical(1.5, 15.5, QColor(205, 150, 90), QColor(140, 90, 40)));
    p.drawPath(door);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 220, 100));
    p.drawEllipse(QPointF(5.3, 9), 0.8, 0.8);
    p.setPen(Outline(QColor(0, 90, 170), 2));
    p.drawLine(QPointF(8, 8), QPointF(12.5, 8));
    QPainterPath head;
    head.moveTo(11.2, 4.8);
    head.lineTo(15, 8);
    head.lineTo(11.2, 11.2);
    head.closeSubpath();
    p.setPen(Outline(QColor(0, 90, 170), 1));
    p.setBrush(QColor(0, 90, 170));
    p.drawPath(head);
}

void DrawRoundBadge(QPainter& p, const QColor& light, const QColor& dark)
{
    QRadialGradient gradient(QPointF(6, 5), 9);
    gradient.setColorAt(0, light);
    gradient.setColorAt(1, dark);
    p.setPen(Outline(dark.darker(150)));
    p.setBrush(gradient);
    p.drawEllipse(QRectF(1, 1, 14, 14));
}

void DrawAbout(QPainter& p)
{
    DrawRoundBadge(p, QColor(120, 170, 255), QColor(20, 80, 190));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 4.6), 1.3, 1.3);
    p.drawRoundedRect(QRectF(6.9, 6.8, 2.2, 5.8), 0.8, 0.8);
}

void DrawHelp(QPainter& p)
{
    DrawRoundBadge(p, QColor(120, 170, 255), QColor(20, 80, 190));
    QPainterPath hook;
    hook.moveTo(5.4, 6);
    hook.arcTo(QRectF(5.4, 3.2, 5.2, 5.2), 180, -270);
    hook.lineTo(8, 9.6);
    p.setPen(Outline(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 12.3), 1.2, 1.2);
}

void DrawConfigure(QPainter& p)
{
    QPainterPath gear;
    gear.addEllipse(QPointF(8, 8), 5, 5);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QPainterPath rect;
        rect.addRect(QRectF(-1.4, -7.3, 2.8, 3.2));
        QTransform turn;
        turn.translate(8, 8);
        turn.rotate(tooth * 45.0);
        gear = gear.united(turn.map(rect));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(8, 8), 2, 2);
    gear = gear.subtracted(hole);
    p.setPen(Outline(QColor(60, 60, 70), 0.9));
    p.setBrush(Vertical(1, 15, QColor(215, 215, 225), QColor(120, 120, 135)));
    p.drawPath(gear);
}

void DrawDefault(QPainter& p)
{
    // A circular arrow: back to the start.
    p.setPen(Outline(QColor(20, 110, 60), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 290 * 16);
    QPainterPath head;
    head.moveTo(4.2, 1.2);
    head.lineTo(9.2, 3.2);
    head.lineTo(5.2, 6.4);
    head.closeSubpath();
    p.setPen(Outline(QColor(20, 110, 60), 0.8));
    p.setBrush(QColor(20, 110, 60));
    p.drawPath(head);
}

void DrawDataBlock(QPainter& p)
{
    p.setPen(Outline(QColor(60, 80, 120)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(1.5, 2.5, 13, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 110, 190));
    p.drawRect(QRectF(2, 3, 12, 2.5));
    p.setPen(Outline(QColor(150, 165, 190), 0.8));
    for (qreal y : {8.0, 10.5})
        p.drawLine(QPointF(2, y), QPointF(14, y));
    p.drawLine(QPointF(6, 5.5), QPointF(6, 13));
}

void DrawSerialPort(QPainter& p)
{
    QPainterPath shell;
    shell.moveTo(1.5, 4);
    shell.lineTo(14.5, 4);
    shell.lineTo(12.5, 12);
    shell.lineTo(3.5, 12);
    shell.closeSubpath();
    p.setPen(Outline(QColor(50, 50, 60)));
    p.setBrush(Vertical(4, 12, QColor(200, 205, 215), QColor(120, 125, 140)));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    for (int pin = 0; pin < 5; ++pin)
        p.drawEllipse(QPointF(4 + 2 * pin, 6.6), 0.75, 0.75);
    for (int pin = 0; pin < 4; ++pin)
        p.drawEllipse(QPointF(5 + 2 * pin, 9.4), 0.75, 0.75);
}

void DrawPlc(QPainter& p)
{
    // A controller module: housing, terminal strips and a lit RUN lamp.
    p.setPen(Outline(QColor(40, 50, 60)));
    p.setBrush(Vertical(1.5, 14.5, QColor(150, 165, 180), QColor(80, 95, 110)));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 45));
    p.drawRect(QRectF(3, 3, 10, 2));
    p.drawRect(QRectF(3, 11, 10, 2));
    p.setBrush(QColor(220, 220, 200));
    for (int pin = 0; pin < 5; ++pin) {
        p.drawRect(QRectF(3.6 + 2 * pin, 3.5, 0.9, 1));
        p.drawRect(QRectF(3.6 + 2 * pin, 11.5, 0.9, 1));
    }
    p.setBrush(QColor(0, 230, 0));
    p.drawEllipse(QPointF(5, 8), 1.3, 1.3);
    p.setBrush(QColor(140, 0, 0));
    p.drawEllipse(QPointF(8.5, 8), 1.3, 1.3);
}

constexpr std::array<DrawFn, kMainImageCount> kMainImages = {
    DrawPencil, DrawClear,     DrawRun,        DrawStop,   DrawExit, DrawAbout,
    DrawConfigure, DrawDefault, DrawDataBlock, DrawSerialPort, DrawHelp, DrawPlc,
};

QPixmap Render(DrawFn draw, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter);
    return pixmap;
}

QPixmap Lamp(const QColor& color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Flat colour in the middle, so the lamp reads as its exact colour.
    p.setPen(Outline(color.darker(170)));
    p.setBrush(color);
    p.drawEllipse(QRectF(2, 2, 12, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QRectF(4.2, 3.6, 3.6, 2.4));
    return pixmap;
}

} // namespace

QPixmap MainImage(int index, int size)
{
    if (index < 0 || index >= kMainImageCount || size <= 0)
        return QPixmap();
    return Render(kMainImages[index], size);
}

std::vector<QIcon> MainImageList()
{
    std::vector<QIcon> icons;
    icons.reserve(kMainImageCount);
    for (int index = 0; index < kMainImageCount; ++index) {
        QIcon icon;
        icon.addPixmap(MainImage(index, 16));
        icon.addPixmap(MainImage(index, 32));
        icons.push_back(icon);
    }
    return icons;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(Render(DrawPlc, size));
    return icon;
}

std::array<QPixmap, kLampCount> LampImages()
{
    return {Lamp(QColor(0, 255, 0)), Lamp(QColor(0, 128, 0)), Lamp(QColor(255, 0, 0)),
            Lamp(QColor(128, 0, 0))};
}
