// The worker thread component driven by the plain dispatcher, with the test
// thread in the user-interface thread's place.
#include "components/kiv_thread_control.h"
#include "components/plain_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

constexpr auto kGiveUp = 10s;

// Records the events in order with the thread they ran on.
struct EventLog
{
    struct Entry
    {
        std::string event;
        std::thread::id thread;
    };

    void add(const std::string& event)
    {
        std::lock_guard lock(mutex);
        entries.push_back({event, std::this_thread::get_id()});
    }
    std::vector<std::string> events() const
    {
        std::lock_guard lock(mutex);
        std::vector<std::string> names;
        for (const auto& entry : entries)
            names.push_back(entry.event);
        return names;
    }
    std::vector<Entry> all() const
    {
        std::lock_guard lock(mutex);
        return entries;
    }
    int count(const std::string& event) const
    {
        int n = 0;
        for (const auto& name : events())
            n += name == event;
        return n;
    }

    mutable std::mutex mutex;
    std::vector<Entry> entries;
};

class ThreadControlTest : public ::testing::Test
{
protected:
    ThreadControlTest()
    {
        control.SetOnInitialize([this](TKivThreadControl* sender) {
            EXPECT_EQ(sender, &control);
            log.add("init");
        });
        control.SetOnExecute([this](TKivThreadControl* sender) {
            EXPECT_EQ(sender, &control);
            log.add("exec");
        });
        control.SetOnTerminate([this](TKivThreadControl* sender) {
            EXPECT_EQ(sender, &control);
            log.add("term");
        });
    }

    // Serves synchronous calls like the user-interface thread until done
    // holds; false if it never does.
    bool serveUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kGiveUp;
        dispatcher.ServeWhile([&] { return !done() && std::chrono::steady_clock::now() < deadline; });
        return done();
    }
    bool finished() const { return control.Thread() && control.Thread()->Finished(); }

    PlainDispatcher dispatcher;
    EventLog log;
    TKivThreadControl control{dispatcher};
};

TEST(ThreadControlDefaults, PropertiesAfterConstruction)
{
    PlainDispatcher dispatcher;
    TKivThreadControl control(dispatcher);
    EXPECT_FALSE(control.OnExecute());
    EXPECT_FALSE(control.OnInitialize());
    EXPECT_FALSE(control.OnTerminate());
    EXPECT_FALSE(control.LoopExecute());
    EXPECT_EQ(control.Priority(), tpNormal);
    EXPECT_TRUE(control.CreateSuspended());
    EXPECT_FALSE(control.Synchronize());
    EXPECT_EQ(control.TimeSleep(), 0);
    EXPECT_FALSE(control.AutoCreate());
    EXPECT_FALSE(control.Created());
}

TEST_F(ThreadControlTest, WithoutThreadEverythingAnswersFalseOrDoesNothing)
{
    bool ran = false;
    EXPECT_FALSE(control.Destroy());
    EXPECT_FALSE(control.Terminated());
    EXPECT_FALSE(control.Suspended());
    control.Suspend();
    control.Resume();
    control.SynchronizeMethod([&] { ran = true; });
    control.Execute();
    control.InitExecute();
    control.EndExecute();
    EXPECT_FALSE(ran);
    EXPECT_TRUE(log.events().empty());
    EXPECT_FALSE(control.Created());
}

class OneStepTest : public ThreadControlTest, public ::testing::WithParamInterface<bool>
{
};

// One step, then the thread finishes on its own but stays held; with
// Synchronize the events run on the user-interface thread, otherwise on the
// worker.
TEST_P(OneStepTest, InitializeOneStepTerminateThenFinished)
{
    const bool synchronize = GetParam();
    control.SetSynchronize(synchronize);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return finished(); }));

    EXPECT_EQ(log.events(), (std::vector<std::string>{"init", "exec", "term"}));
    for (const auto& entry : log.all()) {
        if (synchronize)
            EXPECT_EQ(entry.thread, std::this_thread::get_id()) << entry.event;
        else
            EXPECT_NE(entry.thread, std::this_thread::get_id()) << entry.event;
    }
    EXPECT_TRUE(control.Created());
    EXPECT_FALSE(control.Terminated());
    EXPECT_TRUE(control.Destroy());
    EXPECT_FALSE(control.Created());
    EXPECT_EQ(log.events().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Synchronize, OneStepTest, ::testing::Bool());

TEST_F(ThreadControlTest, LoopRunsUntilDestroyThenTerminatesOnce)
{
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    control.SetTimeSleep(1);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return log.count("exec") >= 5; }));
    EXPECT_FALSE(finished());
    EXPECT_EQ(control.Thread()->Pause(), 1);

    control.SetTimeSleep(0); // reaches the running thread
    EXPECT_EQ(control.Thread()->Pause(), 0);
    const int before = log.count("exec");
    ASSERT_TRUE(serveUntil([&] { return log.count("exec") >= before + 5; }));

    EXPECT_TRUE(control.Destroy());
    const auto events = log.events();
    ASSERT_GE(events.size(), 12u);
    EXPECT_EQ(events.front(), "init");
    EXPECT_EQ(events.back(), "term");
    EXPECT_EQ(log.count("init"), 1);
    EXPECT_EQ(log.count("term"), 1);
}

TEST_F(ThreadControlTest, LongPauseDoesNotHoldUpDestroy)
{
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    control.SetTimeSleep(600000);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return log.count("exec") == 1; }));
    EXPECT_TRUE(control.Destroy()); // would sit out ten minutes otherwise
    EXPECT_EQ(log.events(), (std::vector<std::string>{"init", "exec", "term"}));
}

TEST_F(ThreadControlTest, NegativeTimeSleepIsRejectedAndOldValueKept)
{
    control.SetTimeSleep(7);
    try {
        control.SetTimeSleep(-1);
        FAIL() << "no exception";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "Invalid TimeSleep, value mast be >= 0");
    }
    EXPECT_EQ(control.TimeSleep(), 7);

    ASSERT_TRUE(control.Create()); // paused: the thread holds the value too
    EXPECT_THROW(control.SetTimeSleep(INT32_MIN), std::invalid_argument);
    EXPECT_EQ(control.TimeSleep(), 7);
    EXPECT_EQ(control.Thread()->Pause(), 7);
}

TEST_F(ThreadControlTest, ThrowingStepDoesNotEndTheLoop)
{
    std::atomic<int> calls{0};
    control.SetOnExecute([&](TKivThreadControl*) {
        ++calls;
        throw std::runtime_error("step failed");
    });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    control.SetTimeSleep(1);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return calls >= 10; }));
    EXPECT_FALSE(finished());
    EXPECT_TRUE(control.Destroy());
    EXPECT_EQ(log.events(), (std::vector<std::string>{"init", "term"}));
}

TEST_F(ThreadControlTest, ThrowingSynchronizedStepDoesNotEndTheLoop)
{
    std::atomic<int> calls{0};
    control.SetOnExecute([&](TKivThreadControl*) {
        ++calls;
        throw 42; // not even a std::exception
    });
    control.SetSynchronize(true);
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return calls >= 10; }));
    EXPECT_FALSE(finished());
    EXPECT_TRUE(control.Destroy());
}

TEST_F(ThreadControlTest, ThrowingInitializeEndsTheBodyQuietly)
{
    control.SetOnInitialize([](TKivThreadControl*) { throw std::runtime_error("no start"); });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return finished(); }));
    EXPECT_TRUE(control.Thread()->FatalException());
    EXPECT_TRUE(log.events().empty());
    EXPECT_TRUE(control.Destroy());
}

TEST_F(ThreadControlTest, CreateTwiceStopsTheFirstThreadBeforeTheSecondStarts)
{
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return log.count("exec") >= 1; }));

    ASSERT_TRUE(control.Create());
    EXPECT_NE(control.Thread(), nullptr);
    ASSERT_TRUE(serveUntil([&] { return log.count("init") == 2; }));
    EXPECT_TRUE(control.Destroy());

    const auto events = log.events();
    std::vector<std::string> boundaries;
    for (const auto& event : events)
        if (event != "exec")
            boundaries.push_back(event);
    EXPECT_EQ(boundaries, (std::vector<std::string>{"init", "term", "init", "term"}));
}

TEST_F(ThreadControlTest, CreatedSuspendedRunsOnlyAfterResume)
{
    control.SetLoopExecute(true);
    ASSERT_TRUE(control.Create());
    EXPECT_TRUE(control.Created());
    EXPECT_TRUE(control.Suspended());
    std::this_thread::sleep_for(20ms);
    dispatcher.ServePending();
    EXPECT_TRUE(log.events().empty());

    control.Resume();
    EXPECT_FALSE(control.Suspended());
    ASSERT_TRUE(serveUntil([&] { return log.count("exec") >= 3; }));
    EXPECT_TRUE(control.Destroy());
    EXPECT_EQ(log.events().front(), "init");
    EXPECT_EQ(log.events().back(), "term");
}

TEST_F(ThreadControlTest, DestroyOfThreadThatNeverRanFiresNoEvent)
{
    control.SetLoopExecute(true);
    control.SetSynchronize(true);
    ASSERT_TRUE(control.Create());
    EXPECT_TRUE(control.Destroy());
    EXPECT_TRUE(log.events().empty());
    EXPECT_FALSE(control.Created());
}

TEST_F(ThreadControlTest, SuspendTakesEffectAtTheNextStepAndResumeGoesOn)
{
    std::atomic<int> steps{0};
    control.SetOnExecute([&](TKivThreadControl* sender) {
        if (++steps == 3)
            sender->Suspend();
    });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return control.Suspended(); }));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(steps, 3);

    control.Resume();
    ASSERT_TRUE(serveUntil([&] { return steps > 3; }));
    EXPECT_TRUE(control.Destroy());
}

// The worker blocks in SynchronizeMethod while the user-interface thread,
// which has not served it, starts Destroy: Destroy must serve the call, or
// neither thread ever goes on.
TEST_F(ThreadControlTest, DestroyServesWorkerWaitingInSynchronizeMethod)
{
    std::atomic<bool> entered{false};
    std::thread::id handOffThread;
    int handOffs = 0;
    control.SetOnExecute([&](TKivThreadControl* sender) {
        entered = true;
        sender->SynchronizeMethod([&] {
            handOffThread = std::this_thread::get_id();
            ++handOffs;
        });
    });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    while (!entered)
        std::this_thread::yield();
    EXPECT_TRUE(control.Destroy());
    EXPECT_GE(handOffs, 1);
    EXPECT_EQ(handOffThread, std::this_thread::get_id());
}

// With Synchronize set even OnTerminate waits for the user-interface thread,
// which is inside Destroy by then.
TEST_F(ThreadControlTest, DestroyServesSynchronizedTerminate)
{
    control.SetSynchronize(true);
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return log.count("exec") >= 2; }));
    EXPECT_TRUE(control.Destroy());
    EXPECT_EQ(log.events().back(), "term");
    EXPECT_EQ(log.all().back().thread, std::this_thread::get_id());
}

TEST_F(ThreadControlTest, LongStepEndsWhenItSeesTerminated)
{
    std::atomic<bool> started{false};
    control.SetOnExecute([&](TKivThreadControl* sender) {
        started = true;
        while (!sender->Terminated())
            std::this_thread::sleep_for(1ms);
        log.add("step seen terminated");
    });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return bool(started); }));
    EXPECT_TRUE(control.Destroy());
    EXPECT_EQ(log.events(), (std::vector<std::string>{"init", "step seen terminated", "term"}));
}

TEST_F(ThreadControlTest, SynchronizeMethodOnTheUiThreadRunsDirectly)
{
    ASSERT_TRUE(control.Create()); // paused, so the worker never competes
    bool ran = false;
    control.SynchronizeMethod([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST_F(ThreadControlTest, SynchronizeMethodRethrowsOnTheWorker)
{
    std::atomic<bool> caught{false};
    control.SetOnExecute([&](TKivThreadControl* sender) {
        try {
            sender->SynchronizeMethod([] { throw std::runtime_error("ui side"); });
        } catch (const std::runtime_error&) {
            caught = true;
        }
    });
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return finished(); }));
    EXPECT_TRUE(caught);
}

TEST_F(ThreadControlTest, LoadedCreatesOnlyWithAutoCreate)
{
    control.Loaded();
    EXPECT_FALSE(control.Created());
    control.SetAutoCreate(true);
    control.Loaded();
    EXPECT_TRUE(control.Created());
    EXPECT_TRUE(control.Suspended());
}

TEST_F(ThreadControlTest, DestroyFromTheWorkerOnlyAsksToStop)
{
    std::atomic<bool> answered{true};
    control.SetOnExecute([&](TKivThreadControl* sender) { answered = sender->Destroy(); });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return finished(); }));
    EXPECT_FALSE(answered);
    EXPECT_EQ(log.events(), (std::vector<std::string>{"init", "term"}));
    EXPECT_TRUE(control.Terminated());
    EXPECT_TRUE(control.Destroy());
}

// Lowering a thread's priority needs no privilege, so these levels can be
// checked on any machine through the worker's nice value.
TEST_F(ThreadControlTest, PriorityBecomesTheWorkersNiceValue)
{
    errno = 0;
    const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    ASSERT_EQ(errno, 0);
    std::atomic<int> niceAtStart{-100};
    std::atomic<int> niceNow{-100};
    control.SetOnInitialize([&](TKivThreadControl*) {
        niceAtStart = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    });
    control.SetOnExecute([&](TKivThreadControl*) {
        niceNow = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    });
    control.SetLoopExecute(true);
    control.SetCreateSuspended(false);
    control.SetPriority(tpLower);
    ASSERT_TRUE(control.Create());
    ASSERT_TRUE(serveUntil([&] { return niceAtStart != -100; }));
    EXPECT_EQ(niceAtStart, std::min(base + 5, 19));

    control.SetPriority(tpIdle);
    EXPECT_EQ(control.Priority(), tpIdle);
    ASSERT_TRUE(serveUntil([&] { return niceNow == 19; }));
    EXPECT_TRUE(control.Destroy());

    control.SetPriority(static_cast<TThreadPriority>(7));
    EXPECT_EQ(control.Priority(), tpIdle);
}

} // namespace
