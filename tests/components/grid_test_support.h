// Shared set-up for the grid tests: a grid configured like the main window's,
// focus handling on the offscreen platform, and pixel access to what it paints.
#pragma once

#include "components/kiv_color.h"
#include "components/kiv_grid.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace gridtest {

inline void setUpLikeMainWindow(TKivGrid& g, int rows = 129)
{
    g.SetBorderStyle(gbsNone);  // the client area then starts at the widget's corner
    g.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    g.SetColor(clBtnFace);
    KivFont focus = defaultKivFont();
    focus.color = clWhite;
    g.SetFocusFont(focus);
    KivFont fixed = defaultKivFont();
    fixed.font.setBold(true);
    g.SetFixedFont(fixed);
    g.SetFixedCols(0);
    g.SetRowCount(rows);
    g.SetDefaultRowHeight(18);
    const int widths[] = {64, 77, 76, 75, 162};
    for (int c = 0; c < 5; ++c)
        g.SetColWidths(c, widths[c]);
}

// Shows the grid and gives it the input focus.
inline bool showFocused(QWidget& w)
{
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        return false;
    QApplication::setActiveWindow(w.window());
    w.activateWindow();
    w.setFocus(Qt::OtherFocusReason);
    return QTest::qWaitFor([&] { return w.hasFocus(); }, 2000);
}

inline QImage paint(TKivGrid& g)
{
    return g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QRgb rgbOf(TColor c)
{
    return toQColor(c).rgb() | 0xFF000000u;
}

// Whether the pixel has the colour (alpha ignored).
inline bool is(const QImage& img, int x, int y, TColor c)
{
    return (img.pixel(x, y) | 0xFF000000u) == rgbOf(c);
}

// The box of pixels inside r whose colour differs from background, or an empty rect.
inline QRect inkBox(const QImage& img, const QRect& r, TColor background)
{
    const QRgb bg = rgbOf(background);
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixel(x, y) | 0xFF000000u) != bg)
                box = box.united(QRect(x, y, 1, 1));
    return box;
}

}  // namespace gridtest
