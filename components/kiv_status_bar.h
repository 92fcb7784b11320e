// TKivStatusBar: the main window's panelled status bar. Panel 0 always takes
// the width the other panels leave free; it also shows the status tips of
// the action or widget under the pointer (AutoHint). Panels are either
// plain text or drawn by the owner through the draw-panel handler.
#pragma once

#include <QPointer>
#include <QStatusBar>
#include <QString>

#include <functional>
#include <vector>

class QPainter;
class QRect;

enum class TKivPanelStyle
{
    Text,      // the bar paints the panel's text with its alignment
    OwnerDraw, // the draw-panel handler paints the panel
};

class TKivStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    // Called for every owner-drawn panel that needs painting. The painter is
    // clipped to the panel's rectangle (inside its frame); the handler fills
    // the panel itself.
    using DrawPanelHandler =
        std::function<void(TKivStatusBar& bar, int panel, const QRect& rect, QPainter& painter)>;

    explicit TKivStatusBar(QWidget* parent = nullptr);
    ~TKivStatusBar() override;

    // Panels. Every index must lie in [0, PanelCount()); an index outside
    // raises std::out_of_range.
    int AddPanel(int width, Qt::Alignment alignment = Qt::AlignLeft,
                 TKivPanelStyle style = TKivPanelStyle::Text);
    void ClearPanels();
    int PanelCount() const;

    int PanelWidth(int index) const;
    void SetPanelWidth(int index, int width);
    Qt::Alignment PanelAlignment(int index) const;
    void SetPanelAlignment(int index, Qt::Alignment alignment);
    TKivPanelStyle PanelStyle(int index) const;
    void SetPanelStyle(int index, TKivPanelStyle style);
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);

    // The panel's drawing rectangle (inside its frame) in the bar's coordinates.
    QRect PanelRect(int index) const;
    // Schedules a repaint of one panel, e.g. after the state an owner-drawn
    // panel shows has changed.
    void UpdatePanel(int index);

    // Whether status tips in this bar's window are shown in panel 0 (or
    // across the bar when it has no panels). On by default.
    bool AutoHint() const { return m_autoHint; }
    void SetAutoHint(bool on);
    // The last status tip caught while the bar has no panels.
    QString SimpleText() const { return m_simpleText; }

    void SetOnDrawPanel(DrawPanelHandler handler);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    struct Panel
    {
        int width = 50;
        Qt::Alignment alignment = Qt::AlignLeft;
        TKivPanelStyle style = TKivPanelStyle::Text;
        QString text;
    };

    const Panel& panelAt(int index) const;
    Panel& panelAt(int index);
    QRect partRect(int index) const;
    void showHint(const QString& hint);
    void attachToWindow();

    std::vector<Panel> m_panels;
    bool m_autoHint = true;
    QString m_simpleText;
    DrawPanelHandler m_onDrawPanel;
    QPointer<QWidget> m_hintWindow;
};
