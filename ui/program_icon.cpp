// Draws the program icon on a 32-unit grid scaled to the requested size.
#include "program_icon.h"

#include <QIcon>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QPixmap makeProgramIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Screw terminals along the top edge.
    p.setPen(QPen(QColor(0x55, 0x5d, 0x66), 1.0));
    p.setBrush(QColor(0xc9, 0xcf, 0xd6));
    for (int i = 0; i < 5; ++i)
        p.drawRect(QRectF(5.5 + i * 4.0, 2.5, 2.0, 3.0));

    // Module body.
    QLinearGradient body(0, 5, 0, 29);
    body.setColorAt(0, QColor(0x5b, 0x6e, 0x82));
    body.setColorAt(1, QColor(0x2c, 0x38, 0x45));
    p.setPen(QPen(QColor(0x1b, 0x23, 0x2c), 1.0));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3.5, 5.5, 25, 23), 2.5, 2.5);

    // Name plate.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe4, 0xe9, 0xee));
    p.drawRoundedRect(QRectF(7, 9, 18, 6), 1, 1);
    p.setBrush(QColor(0x2c, 0x38, 0x45));
    p.drawRect(QRectF(9, 11.25, 10, 1.5));

    // Read and write lamps.
    p.setPen(QPen(QColor(0x10, 0x14, 0x18), 0.6));
    p.setBrush(QColor(0, 255, 0));
    p.drawEllipse(QPointF(10, 21.5), 2.4, 2.4);
    p.setBrush(QColor(255, 0, 0));
    p.drawEllipse(QPointF(16.5, 21.5), 2.4, 2.4);

    // Serial connector.
    QPainterPath connector;
    connector.moveTo(21.5, 18.5);
    connector.lineTo(26.5, 18.5);
    connector.lineTo(25.8, 24.5);
    connector.lineTo(22.2, 24.5);
    connector.closeSubpath();
    p.setPen(QPen(QColor(0xc9, 0xcf, 0xd6), 0.7));
    p.setBrush(QColor(0x14, 0x19, 0x1f));
    p.drawPath(connector);
    return pixmap;
}

QIcon makeProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(makeProgramIconPixmap(size));
    return icon;
}
