// The components' standard font.
#include "components/kiv_font.h"

#include <QGuiApplication>

namespace {
constexpr int kDefaultPointSize = 8;
}

KivFont defaultKivFont()
{
    KivFont f;
    f.font = qGuiApp != nullptr ? QGuiApplication::font() : QFont();
    f.font.setPointSize(kDefaultPointSize);
    f.font.setBold(false);
    f.color = clWindowText;
    return f;
}
