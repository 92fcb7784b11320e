// TKivURLLabel: the colour and click rules of the link label and the hook
// through which it asks the desktop to open a target.
#include "kiv_url_label.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QUrl>

#include <utility>

namespace {
void openWithDesktop(const QString& target, QWidget* /*owner*/)
{
    // The desktop's handler decides; a missing handler or a malformed
    // target is not reported.
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

TKivURLLabel::Opener& currentOpener()
{
    static TKivURLLabel::Opener opener = openWithDesktop;
    return opener;
}
} // namespace

TKivURLLabel::TKivURLLabel(QWidget* parent) : TKivURLLabel(QString(), parent) {}

TKivURLLabel::TKivURLLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setFontColor(m_colorNormal);
}

TKivURLLabel::Opener TKivURLLabel::SetOpener(Opener opener)
{
    Opener previous = std::exchange(currentOpener(), opener ? std::move(opener) : openWithDesktop);
    return previous;
}

void TKivURLLabel::SetColorNormal(const QColor& color)
{
    m_colorNormal = color;
}

void TKivURLLabel::SetColorMoveOver(const QColor& color)
{
    m_colorMoveOver = color;
}

void TKivURLLabel::SetColorClick(const QColor& color)
{
    m_colorClick = color;
}

void TKivURLLabel::SetURL(const QString& url)
{
    m_url = url;
}

QColor TKivURLLabel::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TKivURLLabel::setFontColor(const QColor& color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

// The right and bottom edge lines count as inside.
bool TKivURLLabel::isInside(const QPoint& point) const
{
    return point.x() >= 0 && point.y() >= 0 && point.x() <= width() && point.y() <= height();
}

void TKivURLLabel::pointerEntered()
{
    m_pointerInside = true;
    setFontColor(m_pressed ? m_colorClick : m_colorMoveOver);
}

void TKivURLLabel::pointerLeft()
{
    m_pointerInside = false;
    setFontColor(m_colorNormal);
}

void TKivURLLabel::mousePressEvent(QMouseEvent* e)
{
    m_pressed = true;
    m_pointerInside = true;
    setFontColor(m_colorClick);
    e->accept();
}

// While a button is held the label keeps the mouse, and the toolkit holds
// back enter and leave until the release; the crossing of the label's edge
// is followed here instead so that the colour still shows where a release
// would go.
void TKivURLLabel::mouseMoveEvent(QMouseEvent* e)
{
    if (m_pressed) {
        const bool inside = isInside(e->position().toPoint());
        if (inside && !m_pointerInside)
            pointerEntered();
        else if (!inside && m_pointerInside)
            pointerLeft();
    }
    e->accept();
}

void TKivURLLabel::mouseReleaseEvent(QMouseEvent* e)
{
    const bool wasPressed = std::exchange(m_pressed, false);
    e->accept();
    if (!isInside(e->position().toPoint())) {
        setFontColor(m_colorNormal);
        return;
    }
    if (wasPressed) {
        const QString target = m_url.isEmpty() ? text() : m_url;
        // A copy: the opener may replace itself while it runs.
        const Opener opener = currentOpener();
        opener(target, window());
    }
    setFontColor(m_colorMoveOver);
}

void TKivURLLabel::enterEvent(QEnterEvent* e)
{
    pointerEntered();
    e->accept();
}

void TKivURLLabel::leaveEvent(QEvent* e)
{
    pointerLeft();
    e->accept();
}
