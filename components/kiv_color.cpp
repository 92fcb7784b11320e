// Resolution of stored colours to paintable ones.
#include "components/kiv_color.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace {

struct SystemColorRole
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    TColor fallback;  // used when no application (and so no palette) exists
};

// Indices follow the desktop's classic system colour numbering.
constexpr SystemColorRole kSystemRoles[] = {
    {QPalette::Active, QPalette::Mid, kivRgb(200, 200, 200)},            // ScrollBar
    {QPalette::Active, QPalette::Dark, kivRgb(0, 128, 128)},             // Background
    {QPalette::Active, QPalette::Highlight, kivRgb(0, 0, 128)},          // ActiveCaption
    {QPalette::Inactive, QPalette::Highlight, kivRgb(128, 128, 128)},    // InactiveCaption
    {QPalette::Active, QPalette::Window, kivRgb(212, 208, 200)},         // Menu
    {QPalette::Active, QPalette::Base, kivRgb(255, 255, 255)},           // Window
    {QPalette::Active, QPalette::Shadow, kivRgb(0, 0, 0)},               // WindowFrame
    {QPalette::Active, QPalette::WindowText, kivRgb(0, 0, 0)},           // MenuText
    {QPalette::Active, QPalette::Text, kivRgb(0, 0, 0)},                 // WindowText
    {QPalette::Active, QPalette::HighlightedText, kivRgb(255, 255, 255)}, // CaptionText
    {QPalette::Active, QPalette::Button, kivRgb(212, 208, 200)},         // ActiveBorder
    {QPalette::Inactive, QPalette::Button, kivRgb(212, 208, 200)},       // InactiveBorder
    {QPalette::Active, QPalette::Dark, kivRgb(128, 128, 128)},           // AppWorkSpace
    {QPalette::Active, QPalette::Highlight, kivRgb(10, 36, 106)},        // Highlight
    {QPalette::Active, QPalette::HighlightedText, kivRgb(255, 255, 255)}, // HighlightText
    {QPalette::Active, QPalette::Button, kivRgb(212, 208, 200)},         // BtnFace
    {QPalette::Active, QPalette::Dark, kivRgb(128, 128, 128)},           // BtnShadow
    {QPalette::Disabled, QPalette::Text, kivRgb(128, 128, 128)},         // GrayText
    {QPalette::Active, QPalette::ButtonText, kivRgb(0, 0, 0)},           // BtnText
    {QPalette::Inactive, QPalette::HighlightedText, kivRgb(212, 208, 200)}, // InactiveCaptionText
    {QPalette::Active, QPalette::Light, kivRgb(255, 255, 255)},          // BtnHighlight
    {QPalette::Active, QPalette::Shadow, kivRgb(64, 64, 64)},            // 3DDkShadow
    {QPalette::Active, QPalette::Midlight, kivRgb(212, 208, 200)},       // 3DLight
    {QPalette::Active, QPalette::ToolTipText, kivRgb(0, 0, 0)},          // InfoText
    {QPalette::Active, QPalette::ToolTipBase, kivRgb(255, 255, 225)},    // InfoBk
};

QColor fromRgbValue(TColor c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

}  // namespace

QColor toQColor(TColor c)
{
    if (!isSystemColor(c))
        return fromRgbValue(c);
    const TColor index = c & 0xFFu;
    if ((c & ~(kSystemColorFlag | 0xFFu)) != 0 || index >= std::size(kSystemRoles))
        return QColor(Qt::black);  // an unknown system colour paints black rather than failing
    const SystemColorRole& r = kSystemRoles[index];
    if (qGuiApp == nullptr)
        return fromRgbValue(r.fallback);
    return QGuiApplication::palette().color(r.group, r.role);
}

TColor fromQColor(const QColor& c)
{
    return kivRgb(c.red(), c.green(), c.blue());
}

TColor colorToRgb(TColor c)
{
    return isSystemColor(c) ? fromQColor(toQColor(c)) : (c & 0x00FFFFFFu);
}
