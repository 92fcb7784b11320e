// TKivURLLabel: a text label that behaves like a link. It changes colour as
// the pointer moves over it and is pressed, and a click (any button) asks
// the desktop to open its target with the default handler.
#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

#include <functional>

class TKivURLLabel : public QLabel
{
    Q_OBJECT

public:
    // Asks the desktop to open a target (a web or mail address); owner is the
    // label's window. Its result is ignored.
    using Opener = std::function<void(const QString& target, QWidget* owner)>;

    explicit TKivURLLabel(QWidget* parent = nullptr);
    explicit TKivURLLabel(const QString& caption, QWidget* parent = nullptr);

    QColor ColorNormal() const { return m_colorNormal; }
    void SetColorNormal(const QColor& color);
    QColor ColorMoveOver() const { return m_colorMoveOver; }
    void SetColorMoveOver(const QColor& color);
    QColor ColorClick() const { return m_colorClick; }
    void SetColorClick(const QColor& color);

    // The target to open; when empty, the caption is opened instead.
    QString GetURL() const { return m_url; }
    void SetURL(const QString& url);

    // A button went down on the label and has not been released yet.
    bool Pressed() const { return m_pressed; }
    // The colour the caption is drawn in now.
    QColor FontColor() const;

    // Replaces the way every label opens its target (tests put a recorder
    // here). An empty opener restores the desktop's. Returns the previous one.
    static Opener SetOpener(Opener opener);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void setFontColor(const QColor& color);
    bool isInside(const QPoint& point) const;
    void pointerEntered();
    void pointerLeft();

    QColor m_colorNormal{0, 0, 255};
    QColor m_colorMoveOver{0, 0, 255};
    QColor m_colorClick{255, 0, 0};
    bool m_pressed = false;
    QString m_url;
    bool m_pointerInside = false;
};
