// A serial port opened on a fresh pty with the settings the program uses
// (character event, 2000 ms, 2048/1024 queues), for the port's I/O tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <thread>

#include <gtest/gtest.h>

#include "serial/kiv_comm_port.h"
#include "support/pty_pair.h"

class PortOnPty : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        ASSERT_TRUE(port.SetBuffers(kEventRxChar, 2000, 2048, 1024));
        ASSERT_TRUE(port.SetParams(pty.slavePath(), 9600, 2, 8, 0, 0, false));
    }

    void open() { ASSERT_TRUE(port.Open()) << port.lastErrorText() << " " << port.lastError(); }

    // Bytes written on the master reach the slave's queue a moment later.
    bool waitForBytes(uint32_t n, int timeoutMs = 2000)
    {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (port.BytesWaiting() < n) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    PtyPair pty;
    TKivCommPort port;
};
