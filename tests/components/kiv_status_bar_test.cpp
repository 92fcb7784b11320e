// TKivStatusBar: the stretching of panel 0, owner-drawn and text panels,
// and status tips of widgets and actions shown in panel 0.
#include "components/kiv_status_bar.h"

#include <QAction>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

// The main window's layout: panels 0 to 3 at the design width of 794.
void addMainWindowPanels(TKivStatusBar& bar)
{
    bar.AddPanel(630, Qt::AlignLeft);
    bar.AddPanel(86, Qt::AlignHCenter);
    bar.AddPanel(48, Qt::AlignHCenter, TKivPanelStyle::OwnerDraw);
    bar.AddPanel(30, Qt::AlignHCenter);
}

void hoverEnter(QWidget* widget)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)));
    QCoreApplication::sendEvent(widget, &enter);
}

void hoverLeave(QWidget* widget)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

struct WidthCase
{
    const char* name;
    int barWidth;
    std::vector<int> widths;
    int expectedFirst;
};

void PrintTo(const WidthCase& c, std::ostream* os)
{
    *os << c.name;
}

class StatusBarWidthRule : public ::testing::TestWithParam<WidthCase>
{};

TEST_P(StatusBarWidthRule, FirstPanelTakesWhatTheOthersLeave)
{
    const WidthCase& c = GetParam();
    TKivStatusBar bar;
    bar.setFixedHeight(24);
    for (int w : c.widths)
        bar.AddPanel(w);
    bar.resize(c.barWidth, 24);
    bar.show();
    ASSERT_EQ(bar.width(), c.barWidth);
    EXPECT_EQ(bar.PanelWidth(0), c.expectedFirst);
    for (std::size_t i = 1; i < c.widths.size(); ++i)
        EXPECT_EQ(bar.PanelWidth(static_cast<int>(i)), c.widths[i]) << "panel " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusBarWidthRule,
    ::testing::Values(WidthCase{"DesignWidth", 794, {5, 86, 48, 30}, 630},
                      WidthCase{"Widened", 894, {630, 86, 48, 30}, 730},
                      WidthCase{"SinglePanel", 412, {20}, 412},
                      WidthCase{"OthersFillTheBar", 164, {630, 86, 48, 30}, 0},
                      WidthCase{"OthersWiderThanBar", 100, {630, 86, 48, 30}, -64}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StatusBar, WideningByHundredWidensOnlyPanelZero)
{
    QMainWindow window;
    auto* bar = new TKivStatusBar;
    bar->setFixedHeight(24);
    addMainWindowPanels(*bar);
    window.setStatusBar(bar);
    window.resize(794, 565);
    window.show();
    ASSERT_EQ(bar->width(), 794);
    EXPECT_EQ(bar->PanelWidth(0), 630);

    window.resize(894, 565);
    EXPECT_EQ(bar->PanelWidth(0), 730);
    EXPECT_EQ(bar->PanelWidth(1), 86);
    EXPECT_EQ(bar->PanelWidth(2), 48);
    EXPECT_EQ(bar->PanelWidth(3), 30);
    // Panel 2 keeps its place right of the widened panels 0 and 1.
    EXPECT_GE(bar->PanelRect(2).left(), 730 + 86);
    EXPECT_LT(bar->PanelRect(2).right(), 730 + 86 + 48);
}

TEST(StatusBar, BarWithoutPanelsIsLeftAlone)
{
    TKivStatusBar bar;
    bar.resize(300, 24);
    bar.show();
    bar.resize(500, 24);
    EXPECT_EQ(bar.PanelCount(), 0);
    EXPECT_FALSE(bar.grab().isNull());
}

TEST(StatusBar, PanelIndexOutOfRangeRaises)
{
    TKivStatusBar bar;
    bar.AddPanel(40);
    EXPECT_THROW(bar.SetPanelText(1, "x"), std::out_of_range);
    EXPECT_THROW(bar.PanelWidth(-1), std::out_of_range);
    EXPECT_THROW(bar.PanelRect(5), std::out_of_range);
    bar.ClearPanels();
    EXPECT_THROW(bar.PanelText(0), std::out_of_range);
}

TEST(StatusBar, OwnerDrawnPanelIsPaintedByTheHandlerOnly)
{
    TKivStatusBar bar;
    bar.setFixedHeight(24);
    addMainWindowPanels(bar);
    bar.resize(794, 24);
    bar.show();

    struct Call
    {
        TKivStatusBar* bar;
        int panel;
        QRect rect;
    };
    std::vector<Call> calls;
    bar.SetOnDrawPanel([&](TKivStatusBar& sender, int panel, const QRect& rect, QPainter& p) {
        calls.push_back({&sender, panel, rect});
        p.fillRect(rect, QColor(0, 255, 0));
        // Beyond the panel: the painter's clip keeps this off panels 1 and 3.
        p.fillRect(rect.adjusted(-40, 0, 40, 0), QColor(0, 255, 0));
    });
    const QImage image = bar.grab().toImage();

    ASSERT_FALSE(calls.empty());
    for (const Call& call : calls) {
        EXPECT_EQ(call.bar, &bar);
        EXPECT_EQ(call.panel, 2);
        EXPECT_EQ(call.rect, bar.PanelRect(2));
    }
    const QRect lamps = bar.PanelRect(2);
    EXPECT_GE(lamps.left(), 630 + 86);
    EXPECT_LE(lamps.right(), 630 + 86 + 48 - 1);
    EXPECT_GE(lamps.height(), 16 + 3);
    EXPECT_EQ(image.pixelColor(lamps.center()), QColor(0, 255, 0));
    EXPECT_NE(image.pixelColor(bar.PanelRect(1).center()), QColor(0, 255, 0));
    EXPECT_NE(image.pixelColor(bar.PanelRect(3).left() + 2, lamps.center().y()), QColor(0, 255, 0));
}

TEST(StatusBar, SettingPanelTextRepaintsIt)
{
    TKivStatusBar bar;
    bar.setFixedHeight(24);
    addMainWindowPanels(bar);
    bar.resize(794, 24);
    bar.show();
    const QRect status = bar.PanelRect(1);
    const QImage before = bar.grab(status).toImage();

    bar.SetPanelText(1, "ON LINE");
    EXPECT_EQ(bar.PanelText(1), "ON LINE");
    const QImage after = bar.grab(status).toImage();
    EXPECT_NE(before, after);
    EXPECT_EQ(bar.PanelText(0), "");
}

class StatusBarHints : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar = new TKivStatusBar;
        bar->setFixedHeight(24);
        addMainWindowPanels(*bar);
        window.setStatusBar(bar);
        button = new QPushButton("Run");
        button->setStatusTip("Run the emulation");
        window.setCentralWidget(button);
        action = new QAction("Default", &window);
        action->setStatusTip("Default Parameters");
        menu = window.menuBar()->addMenu("&Emulation");
        menu->addAction(action);
        toolBar = window.addToolBar("Main");
        toolBar->addAction(action);
        window.resize(794, 565);
        window.show();
    }

    QMainWindow window;
    TKivStatusBar* bar = nullptr;
    QPushButton* button = nullptr;
    QAction* action = nullptr;
    QMenu* menu = nullptr;
    QToolBar* toolBar = nullptr;
};

TEST_F(StatusBarHints, WidgetTipShownOnEnterAndClearedOnLeave)
{
    hoverEnter(button);
    EXPECT_EQ(bar->PanelText(0), "Run the emulation");
    // Taken by the panel, not shown as the base bar's message.
    EXPECT_EQ(bar->currentMessage(), "");
    hoverLeave(button);
    EXPECT_EQ(bar->PanelText(0), "");
}

TEST_F(StatusBarHints, MenuActionTipShownWhileHighlighted)
{
    menu->popup(window.mapToGlobal(QPoint(10, 10)));
    menu->setActiveAction(action);
    EXPECT_EQ(bar->PanelText(0), "Default Parameters");
    menu->close();
}

TEST_F(StatusBarHints, ToolButtonTipShown)
{
    QWidget* toolButton = toolBar->widgetForAction(action);
    ASSERT_NE(toolButton, nullptr);
    hoverEnter(toolButton);
    EXPECT_EQ(bar->PanelText(0), "Default Parameters");
}

TEST_F(StatusBarHints, AutoHintOffLeavesPanelZero)
{
    bar->SetPanelText(0, "kept");
    bar->SetAutoHint(false);
    hoverEnter(button);
    EXPECT_EQ(bar->PanelText(0), "kept");
    bar->SetAutoHint(true);
    hoverEnter(button);
    EXPECT_EQ(bar->PanelText(0), "Run the emulation");
}

TEST(StatusBar, HintsReachABarInAPlainWindowAndABarWithoutPanels)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton("Clear");
    button->setStatusTip("Clear the area");
    auto* bar = new TKivStatusBar;
    layout->addWidget(button);
    layout->addWidget(bar);
    window.show();

    hoverEnter(button);
    EXPECT_EQ(bar->SimpleText(), "Clear the area");

    bar->AddPanel(100);
    hoverEnter(button);
    EXPECT_EQ(bar->PanelText(0), "Clear the area");
}

TEST(StatusBar, HintsFollowTheBarToANewWindow)
{
    QWidget first;
    auto* bar = new TKivStatusBar(&first);
    bar->AddPanel(100);

    QMainWindow second;
    auto* button = new QPushButton("Stop");
    button->setStatusTip("Stop the emulation");
    second.setCentralWidget(button);
    second.setStatusBar(bar);
    second.show();

    hoverEnter(button);
    EXPECT_EQ(bar->PanelText(0), "Stop the emulation");
}

} // namespace
