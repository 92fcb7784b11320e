// TKivURLLabel: defaults, and the colour and click rules over sequences of
// presses, moves, crossings and releases.
#include "components/kiv_url_label.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QColor kNormal(0, 0, 255);
const QColor kMoveOver(0, 128, 0);
const QColor kClick(255, 0, 0);

struct OpenRequest
{
    QString target;
    QWidget* owner;
};

// Puts a recorder in place of the desktop for the life of a test.
class RecordingOpener
{
public:
    RecordingOpener()
    {
        m_previous = TKivURLLabel::SetOpener(
            [this](const QString& target, QWidget* owner) { requests.push_back({target, owner}); });
    }
    ~RecordingOpener() { TKivURLLabel::SetOpener(m_previous); }
    std::vector<OpenRequest> requests;

private:
    TKivURLLabel::Opener m_previous;
};

enum class Step
{
    Press,
    Release,
    Move, // with the left button held
    Enter,
    Leave,
};

struct Action
{
    Step step;
    QPoint at{10, 5};
    Qt::MouseButton button = Qt::LeftButton;
};

struct Sequence
{
    const char* name;
    std::vector<Action> actions;
    int opened;
    QColor finalColor;
};

void PrintTo(const Sequence& s, std::ostream* os)
{
    *os << s.name;
}

void apply(TKivURLLabel& label, const Action& a)
{
    switch (a.step) {
    case Step::Press: {
        QMouseEvent e(QEvent::MouseButtonPress, a.at, label.mapToGlobal(a.at), a.button, a.button,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(&label, &e);
        break;
    }
    case Step::Release: {
        QMouseEvent e(QEvent::MouseButtonRelease, a.at, label.mapToGlobal(a.at), a.button,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&label, &e);
        break;
    }
    case Step::Move: {
        QMouseEvent e(QEvent::MouseMove, a.at, label.mapToGlobal(a.at), Qt::NoButton,
                      Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&label, &e);
        break;
    }
    case Step::Enter: {
        QEnterEvent e(a.at, a.at, label.mapToGlobal(a.at));
        QCoreApplication::sendEvent(&label, &e);
        break;
    }
    case Step::Leave: {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(&label, &e);
        break;
    }
    }
}

class LinkLabelSequence : public ::testing::TestWithParam<Sequence>
{
protected:
    void SetUp() override
    {
        label.setFixedSize(189, 13);
        label.SetColorNormal(kNormal);
        label.SetColorMoveOver(kMoveOver);
        label.SetColorClick(kClick);
        label.SetURL("mailto:support@orvane.example");
    }
    RecordingOpener opener;
    TKivURLLabel label{"support@orvane.example"};
};

TEST_P(LinkLabelSequence, ColourAndOpening)
{
    const Sequence& s = GetParam();
    for (const Action& a : s.actions)
        apply(label, a);
    ASSERT_EQ(static_cast<int>(opener.requests.size()), s.opened);
    for (const OpenRequest& r : opener.requests) {
        EXPECT_EQ(r.target, "mailto:support@orvane.example");
        EXPECT_EQ(r.owner, label.window());
    }
    EXPECT_EQ(label.FontColor(), s.finalColor);
    EXPECT_FALSE(label.Pressed());
}

const Action kEnter{Step::Enter};
const Action kLeave{Step::Leave};
const Action kPress{Step::Press};
const Action kRelease{Step::Release};

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkLabelSequence,
    ::testing::Values(
        Sequence{"Click", {kEnter, kPress, kRelease}, 1, kMoveOver},
        Sequence{"RightButton",
                 {kEnter, {Step::Press, {10, 5}, Qt::RightButton},
                  {Step::Release, {10, 5}, Qt::RightButton}},
                 1, kMoveOver},
        Sequence{"MiddleButton",
                 {{Step::Press, {10, 5}, Qt::MiddleButton},
                  {Step::Release, {10, 5}, Qt::MiddleButton}},
                 1, kMoveOver},
        Sequence{"ReleasedRightOfLabel", {kEnter, kPress, {Step::Release, {190, 5}}}, 0, kNormal},
        Sequence{"ReleasedBelowLabel", {kPress, {Step::Release, {5, 14}}}, 0, kNormal},
        Sequence{"ReleasedLeftOfLabel", {kPress, {Step::Release, {-1, 5}}}, 0, kNormal},
        Sequence{"ReleasedAboveLabel", {kPress, {Step::Release, {5, -1}}}, 0, kNormal},
        Sequence{"ReleasedOnBottomRightCorner", {kPress, {Step::Release, {189, 13}}}, 1, kMoveOver},
        Sequence{"ReleasedOnRightEdge", {kPress, {Step::Release, {189, 0}}}, 1, kMoveOver},
        Sequence{"ReleasedOnTopLeftCorner", {kPress, {Step::Release, {0, 0}}}, 1, kMoveOver},
        Sequence{"ReleaseWithoutPress", {kEnter, kRelease}, 0, kMoveOver},
        Sequence{"LeaveAndReturnWhileHeld", {kEnter, kPress, kLeave, kEnter, kRelease}, 1,
                 kMoveOver},
        Sequence{"DragOutAndBackWhileHeld",
                 {kEnter, kPress, {Step::Move, {250, 5}}, {Step::Move, {20, 6}}, kRelease}, 1,
                 kMoveOver},
        Sequence{"SecondReleaseOpensNothing", {kPress, kRelease, kRelease}, 1, kMoveOver}),
    [](const auto& info) { return std::string(info.param.name); });

// The colour between the steps, where the table above only sees the end.
TEST(LinkLabel, ColourFollowsThePressAcrossTheEdge)
{
    RecordingOpener opener;
    TKivURLLabel label("www.orvane.example");
    label.setFixedSize(189, 13);
    label.SetColorMoveOver(kMoveOver);

    apply(label, kEnter);
    EXPECT_EQ(label.FontColor(), kMoveOver);
    apply(label, kPress);
    EXPECT_TRUE(label.Pressed());
    EXPECT_EQ(label.FontColor(), kClick);
    apply(label, kLeave);
    EXPECT_EQ(label.FontColor(), kNormal);
    EXPECT_TRUE(label.Pressed());
    apply(label, kEnter);
    EXPECT_EQ(label.FontColor(), kClick);
    apply(label, {Step::Move, {300, 5}});
    EXPECT_EQ(label.FontColor(), kNormal);
    apply(label, {Step::Move, {189, 13}});
    EXPECT_EQ(label.FontColor(), kClick);
    EXPECT_TRUE(opener.requests.empty());
}

TEST(LinkLabel, EmptyURLOpensTheCaption)
{
    RecordingOpener opener;
    TKivURLLabel label("www.orvane.example");
    label.resize(189, 13);
    apply(label, kPress);
    apply(label, kRelease);
    ASSERT_EQ(opener.requests.size(), 1u);
    EXPECT_EQ(opener.requests[0].target, "www.orvane.example");
}

TEST(LinkLabel, ClickThroughTheWindowSystemOpensTheTarget)
{
    RecordingOpener opener;
    QWidget form;
    auto* label = new TKivURLLabel("www.orvane.example", &form);
    label->SetURL("https://www.orvane.example/");
    label->setGeometry(20, 20, 189, 13);
    form.resize(300, 100);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opener.requests.size(), 1u);
    EXPECT_EQ(opener.requests[0].target, "https://www.orvane.example/");
    EXPECT_EQ(opener.requests[0].owner, &form);
}

TEST(LinkLabel, Defaults)
{
    TKivURLLabel label;
    EXPECT_EQ(label.ColorNormal(), QColor(0, 0, 255));
    EXPECT_EQ(label.ColorMoveOver(), QColor(0, 0, 255));
    EXPECT_EQ(label.ColorClick(), QColor(255, 0, 0));
    EXPECT_EQ(label.FontColor(), QColor(0, 0, 255));
    EXPECT_EQ(label.GetURL(), "");
    EXPECT_FALSE(label.Pressed());
    EXPECT_TRUE(label.font().underline());
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);

    // Setting the URL changes nothing on screen.
    label.setText("a");
    label.resize(40, 13);
    const QImage before = label.grab().toImage();
    label.SetURL("https://www.orvane.example/");
    EXPECT_EQ(label.GetURL(), "https://www.orvane.example/");
    EXPECT_EQ(label.grab().toImage(), before);
}

} // namespace
