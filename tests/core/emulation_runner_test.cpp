// The emulation runner end to end on a real pty: status texts, lamps, Run,
// Stop and Destroy.
#include "core/runner_fixture.h"

namespace {

const Bytes kDb1Word0 = {0x00, 0x00};

TEST_F(RunnerOnPty, StatusTextFollowsTheTraffic)
{
    ASSERT_TRUE(ServeUntilText("OFF LINE"));
    Run();
    EXPECT_EQ(host.texts.back(), "ON LINE");

    // A PG that stops before its parameter telegram: step 8 times out.
    pg::Exchange broken = pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0);
    broken.steps.resize(pg::kReadAckToStx + 1);
    broken.steps.back().reply = {0x16, 0x10, 0x03};
    ASSERT_TRUE(Play(broken));
    pty.send({0x10, 0x06});
    ASSERT_TRUE(ServeUntilText("Err: 74"));
    ASSERT_TRUE(ServeUntilText("ON LINE"));

    // Bytes without STX.
    pty.send({0x55});
    ASSERT_TRUE(ServeUntilText("WAIT"));
    ASSERT_TRUE(ServeUntilText("ON LINE"));

    // A complete exchange keeps it on line.
    image.WriteDbWord(1, 0, 0x1234);
    const Bytes word = {0x12, 0x34};
    EXPECT_TRUE(Play(pg::ReadMemory(0xDF8A, 0xDF8B, word)));
    ServeUntil([] { return false; }, 50ms);
    EXPECT_EQ(host.texts.back(), "ON LINE");
    EXPECT_EQ(runner->statusText(), "ON LINE");

    runner->EmulationStopExecute();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    ServeUntil([] { return false; }, 50ms);
    EXPECT_EQ(host.texts.back(), "OFF LINE");
}

TEST_F(RunnerOnPty, WriteAfterReadLightsTheWriteLampForOneStep)
{
    Run();
    const Bytes data = {0xAB, 0xCD};
    ASSERT_TRUE(Play(pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0)));
    ASSERT_TRUE(ServeUntil([&] { return !host.repaints.empty(); }));
    ASSERT_TRUE(Play(pg::WriteMemory(0xDF8A, data)));
    ASSERT_TRUE(ServeUntil([&] { return host.repaints.size() >= 3; }));
    ServeUntil([] { return false; }, 50ms);
    const std::vector<Lamps> expected = {{true, false}, {true, true}, {true, false}};
    EXPECT_EQ(host.repaints, expected);
    EXPECT_EQ(image.ReadDbWord(1, 0), 0xABCD);
}

TEST_F(RunnerOnPty, WriteWithTheReadLampDarkStaysLit)
{
    Run();
    const Bytes data = {0x00, 0x07};
    ASSERT_TRUE(Play(pg::WriteMemory(0xEC00, data)));
    ASSERT_TRUE(ServeUntil([&] { return !host.repaints.empty(); }));
    ServeUntil([] { return false; }, 100ms);
    const std::vector<Lamps> lit = {{false, true}};
    EXPECT_EQ(host.repaints, lit);
    EXPECT_EQ(image.ReadCell(PlcArea::T, 0), 7);

    // Stop puts it out at the next poll step.
    runner->EmulationStopExecute();
    ASSERT_TRUE(ServeUntil([&] { return host.repaints.size() == 2; }));
    EXPECT_EQ(host.repaints.back(), (Lamps{false, false}));
}

TEST_F(RunnerOnPty, RunForAMissingDeviceReportsAndStaysOffLine)
{
    ASSERT_TRUE(ServeUntilText("OFF LINE"));
    host.device = "/dev/orvane-no-such-device";
    runner->EmulationRunExecute();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(host.openFailures, 1);
    EXPECT_EQ(host.openFailure, "/dev/orvane-no-such-device: no such device");
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    EXPECT_FALSE(runner->InForce());
}

TEST_F(RunnerOnPty, RunWhileOpenOnlySetsOnLine)
{
    Run();
    const size_t texts = host.texts.size();
    runner->EmulationRunExecute();
    EXPECT_EQ(host.openFailures, 0);
    EXPECT_TRUE(port.IsOpen());
    ASSERT_EQ(host.texts.size(), texts + 1);
    EXPECT_EQ(host.texts.back(), "ON LINE");
}

TEST_F(RunnerOnPtyWaitingLong, StopInTheMiddleOfATransactionEndsTheWaitAtOnce)
{
    Run();
    // The PG opens a read and goes silent before acknowledging SYN DLE ETX.
    pg::Exchange opening = pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0);
    opening.steps.resize(pg::kReadAckToStx + 1);
    ASSERT_TRUE(Play(opening));

    runner->EmulationStopExecute();
    EXPECT_EQ(host.texts.back(), "OFF LINE");
    ASSERT_TRUE(ServeUntil([&] {
        return host.texts.size() >= 2 && host.texts[host.texts.size() - 2].rfind("Err: ", 0) == 0 &&
               host.texts.back() == "OFF LINE";
    }));
    EXPECT_NE(std::find(host.texts.begin(), host.texts.end(), "Err: 62"), host.texts.end());
}

TEST_F(RunnerOnPty, DestroyWhileATransactionWaitsForThePg)
{
    Run();
    pg::Exchange opening = pg::ReadMemory(0xDF8A, 0xDF8B, kDb1Word0);
    opening.steps.resize(pg::kReadFunction + 1);
    ASSERT_TRUE(Play(opening));
    EXPECT_TRUE(thread.Destroy());
    EXPECT_FALSE(thread.Created());
    EXPECT_TRUE(port.IsOpen());
}

} // namespace
