#include "ui/up_down_buttons.h"

#include <QLineEdit>
#include <QToolButton>
#include <algorithm>

#include "ui/value_text.h"

UpDownButtons::UpDownButtons(QLineEdit* buddy, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void UpDownButtons::SetRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
}

void UpDownButtons::Step(int delta)
{
    const int current = std::clamp(ReadDecimal(m_buddy->text()), m_minimum, m_maximum);
    const int next = std::clamp(current + delta, m_minimum, m_maximum);
    const QString text = QString::number(next);
    if (m_buddy->text() != text)
        m_buddy->setText(text);
}

void UpDownButtons::resizeEvent(QResizeEvent*)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
