// A window with one grid set up like the main window's data block page:
// five columns, a bold header row, 128 data rows of sample values and the
// whole-row selection. A manual check of the look; not run by the tests.
#include "components/kiv_grid.h"

#include <QApplication>
#include <QTimer>

#include <bitset>

namespace {

QString bcd(unsigned v)
{
    QString s;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const unsigned digit = (v >> shift) & 0xF;
        if (digit > 9)
            return QStringLiteral("----");
        s += QChar(u'0' + digit);
    }
    return s;
}

QString bin(unsigned v)
{
    const QString bits = QString::fromStdString(std::bitset<16>(v).to_string());
    return bits.left(8) + u' ' + bits.mid(8);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TKivGrid grid;
    grid.setWindowTitle(QStringLiteral("grid_demo"));
    grid.SetOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRowSelect);
    grid.SetColor(clBtnFace);
    KivFont focus = defaultKivFont();
    focus.color = clWhite;
    grid.SetFocusFont(focus);
    KivFont fixed = defaultKivFont();
    fixed.font.setBold(true);
    grid.SetFixedFont(fixed);
    grid.SetFixedCols(0);
    grid.SetRowCount(129);
    grid.SetDefaultRowHeight(18);
    const int widths[] = {64, 77, 76, 75, 162};
    for (int c = 0; c < 5; ++c)
        grid.SetColWidths(c, widths[c]);
    const char* headers[] = {"DWord", "DEC Value", "HEX Value", "BCD Value", "BIN Value"};
    for (int c = 0; c < 5; ++c)
        grid.SetCellText(c, 0, QString::fromLatin1(headers[c]));
    for (int r = 0; r < 128; ++r) {
        const unsigned v = (static_cast<unsigned>(r) * 0x1234u + 0x0909u) & 0xFFFFu;
        grid.SetCellText(0, r + 1, QString::number(r));
        grid.SetCellText(1, r + 1, QString::number(v));
        grid.SetCellText(2, r + 1, QString::asprintf("%04X", v));
        grid.SetCellText(3, r + 1, bcd(v));
        grid.SetCellText(4, r + 1, bin(v));
    }
    grid.resize(785, 453);  // the size of a page's grid in the main window
    grid.move(20, 20);
    grid.show();
    grid.activateWindow();
    grid.setFocus();
    grid.SetRow(3);
    if (argc > 1)
        QTimer::singleShot(QString::fromLatin1(argv[1]).toInt(), &app, &QApplication::quit);
    return QApplication::exec();
}
