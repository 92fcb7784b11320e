// The program's dispatcher: worker hand-offs are served by the GUI event loop,
// and by Destroy while the GUI thread waits for the worker.
#include "components/kiv_thread_control.h"
#include "components/qt_dispatcher.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

TEST(QtDispatcherTest, EventLoopServesHandOffsAndDestroyServesTheLastOne)
{
    QtDispatcher dispatcher;
    TKivThreadControl control(dispatcher);
    const auto guiThread = std::this_thread::get_id();
    std::atomic<int> waiting{0};
    std::atomic<int> served{0};
    std::atomic<bool> offGuiThread{false};
    control.SetOnExecute([&](TKivThreadControl* sender) {
        ++waiting;
        sender->SynchronizeMethod([&] {
            if (std::this_thread::get_id() != guiThread)
                offGuiThread = true;
            ++served;
        });
    });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    control.SetTimeSleep(1);
    ASSERT_TRUE(control.Create());

    // The ordinary event loop serves the worker's calls.
    EXPECT_TRUE(QTest::qWaitFor([&] { return served >= 5; }, 10000));

    // Now the GUI thread stops serving; the worker comes to wait in its next
    // hand-off, and Destroy has to serve it.
    const int before = waiting;
    while (waiting == before)
        std::this_thread::yield();
    EXPECT_TRUE(control.Destroy());
    EXPECT_EQ(served, waiting);
    EXPECT_FALSE(offGuiThread);

    // A nudge left in the event loop finds nothing to do.
    QCoreApplication::processEvents();
    EXPECT_EQ(served, waiting);
}

} // namespace
