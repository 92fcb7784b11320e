// TKivStatusBar: panel bookkeeping, the stretching of panel 0, painting of
// the panels and the catching of status tips for AutoHint.
#include "kiv_status_bar.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOption>
#include <qdrawutil.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace {
// Gap between the frames of two neighbouring panels and the margin above them.
constexpr int kPanelGap = 2;
constexpr int kTopMargin = 2;
constexpr int kTextPadding = 2;

// Panel widths are summed in 64 bits so that no set of widths overflows.
int clampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}
} // namespace

TKivStatusBar::TKivStatusBar(QWidget* parent) : QStatusBar(parent)
{
    attachToWindow();
}

TKivStatusBar::~TKivStatusBar()
{
    if (m_hintWindow)
        m_hintWindow->removeEventFilter(this);
}

const TKivStatusBar::Panel& TKivStatusBar::panelAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_panels.size())
        throw std::out_of_range("Status bar panel index out of range: " + std::to_string(index));
    return m_panels[static_cast<std::size_t>(index)];
}

TKivStatusBar::Panel& TKivStatusBar::panelAt(int index)
{
    return const_cast<Panel&>(std::as_const(*this).panelAt(index));
}

int TKivStatusBar::AddPanel(int width, Qt::Alignment alignment, TKivPanelStyle style)
{
    m_panels.push_back(Panel{width, alignment, style, QString()});
    update();
    return static_cast<int>(m_panels.size()) - 1;
}

void TKivStatusBar::ClearPanels()
{
    m_panels.clear();
    update();
}

int TKivStatusBar::PanelCount() const
{
    return static_cast<int>(m_panels.size());
}

int TKivStatusBar::PanelWidth(int index) const
{
    return panelAt(index).width;
}

void TKivStatusBar::SetPanelWidth(int index, int width)
{
    panelAt(index).width = width;
    update();
}

Qt::Alignment TKivStatusBar::PanelAlignment(int index) const
{
    return panelAt(index).alignment;
}

void TKivStatusBar::SetPanelAlignment(int index, Qt::Alignment alignment)
{
    panelAt(index).alignment = alignment;
    UpdatePanel(index);
}

TKivPanelStyle TKivStatusBar::PanelStyle(int index) const
{
    return panelAt(index).style;
}

void TKivStatusBar::SetPanelStyle(int index, TKivPanelStyle style)
{
    panelAt(index).style = style;
    UpdatePanel(index);
}

QString TKivStatusBar::PanelText(int index) const
{
    return panelAt(index).text;
}

void TKivStatusBar::SetPanelText(int index, const QString& text)
{
    Panel& panel = panelAt(index);
    if (panel.text == text)
        return;
    panel.text = text;
    UpdatePanel(index);
}

// The part of the bar that belongs to a panel, frame included. Widths below
// zero (panel 0 of a bar narrower than its other panels) take no room, and
// the last panel reaches the bar's right edge.
QRect TKivStatusBar::partRect(int index) const
{
    panelAt(index);
    std::int64_t left = 0;
    for (int i = 0; i < index; ++i)
        left += std::max(0, m_panels[static_cast<std::size_t>(i)].width);
    const bool last = index == PanelCount() - 1;
    const std::int64_t right =
        last ? std::max<std::int64_t>(left, width())
             : left + std::max(0, m_panels[static_cast<std::size_t>(index)].width);
    // Panels that start beyond the bar are off screen anyway; keep them there
    // without letting the coordinates overflow.
    const int l = clampToInt(std::min<std::int64_t>(left, width() + 1));
    const int r = clampToInt(std::min<std::int64_t>(right, width() + 1));
    return QRect(l, 0, r - l, height());
}

QRect TKivStatusBar::PanelRect(int index) const
{
    const QRect part = partRect(index);
    if (part.width() <= kPanelGap + 2)
        return QRect(part.left(), kTopMargin + 1, 0, std::max(0, height() - kTopMargin - 2));
    return part.adjusted(1, kTopMargin + 1, -kPanelGap - 1, -1);
}

void TKivStatusBar::UpdatePanel(int index)
{
    update(partRect(index));
}

void TKivStatusBar::SetAutoHint(bool on)
{
    m_autoHint = on;
}

void TKivStatusBar::SetOnDrawPanel(DrawPanelHandler handler)
{
    m_onDrawPanel = std::move(handler);
    update();
}

void TKivStatusBar::resizeEvent(QResizeEvent* e)
{
    QStatusBar::resizeEvent(e);
    if (m_panels.empty())
        return;
    std::int64_t others = 0;
    for (std::size_t i = 1; i < m_panels.size(); ++i)
        others += m_panels[i].width;
    // Deliberately not clamped at zero: a bar narrower than its other panels
    // gives panel 0 a width of zero or less, which then takes no room on
    // screen. Only the int range is kept.
    m_panels[0].width = clampToInt(width() - others);
    update();
}

void TKivStatusBar::paintEvent(QPaintEvent* e)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
    painter.setPen(palette().color(QPalette::WindowText));

    if (m_panels.empty()) {
        painter.drawText(rect().adjusted(2 * kTextPadding, 0, -2 * kTextPadding, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_simpleText);
        return;
    }

    for (int i = 0; i < PanelCount(); ++i) {
        const QRect part = partRect(i);
        if (part.width() <= kPanelGap || !e->rect().intersects(part))
            continue;
        const QRect frame = part.adjusted(0, kTopMargin, -kPanelGap, 0);
        qDrawShadePanel(&painter, frame, palette(), true, 1);
        const QRect inner = PanelRect(i);
        if (inner.isEmpty())
            continue;
        const Panel& panel = m_panels[static_cast<std::size_t>(i)];
        painter.save();
        painter.setClipRect(inner);
        if (panel.style == TKivPanelStyle::OwnerDraw) {
            if (m_onDrawPanel)
                m_onDrawPanel(*this, i, inner, painter);
        } else {
            painter.drawText(inner.adjusted(kTextPadding, 0, -kTextPadding, 0),
                             panel.alignment | Qt::AlignVCenter | Qt::TextSingleLine, panel.text);
        }
        painter.restore();
    }
}

void TKivStatusBar::showHint(const QString& hint)
{
    if (m_panels.empty()) {
        m_simpleText = hint;
        update();
    } else {
        SetPanelText(0, hint);
    }
}

// Status tips travel from the widget under the pointer (or the menu bar, for
// menu actions) up to the top-level window, so the window is where they are
// caught. The bar follows its window when it is reparented.
void TKivStatusBar::attachToWindow()
{
    QWidget* target = window();
    if (target == m_hintWindow)
        return;
    if (m_hintWindow)
        m_hintWindow->removeEventFilter(this);
    m_hintWindow = target;
    if (target != this)
        target->installEventFilter(this);
}

bool TKivStatusBar::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::ParentChange:
    case QEvent::Show:
        attachToWindow();
        break;
    case QEvent::StatusTip:
        // A tip of the bar's own window when the bar itself is the window.
        if (m_autoHint && m_hintWindow == this) {
            showHint(static_cast<QStatusTipEvent*>(e)->tip());
            e->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QStatusBar::event(e);
}

bool TKivStatusBar::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_hintWindow && e->type() == QEvent::StatusTip && m_autoHint) {
        showHint(static_cast<QStatusTipEvent*>(e)->tip());
        // Taken: a main window would otherwise show it as a bar-wide message.
        e->accept();
        return true;
    }
    return QStatusBar::eventFilter(watched, e);
}
