// A pair of arrow buttons attached to the right of a number field: each
// press steps the field's number by one within a range, without wrapping.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class UpDownButtons : public QWidget
{
    Q_OBJECT

public:
    UpDownButtons(QLineEdit* buddy, QWidget* parent);

    void SetRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    // Steps the buddy's number by delta, clamped to the range.
    void Step(int delta);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLineEdit* m_buddy;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum = 0;
    int m_maximum = 100;
};
