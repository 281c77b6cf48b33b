#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "link/Timing.h"

using namespace veltrin;
using namespace std::chrono_literals;

TEST(Timing, DeadlineCountsDownOnTheMonotonicClock) {
    for (int ms : {0, -5}) {   // nothing to wait for: already over
        Deadline none(ms);
        EXPECT_TRUE(none.Expired());
        EXPECT_EQ(none.RemainingMs(), 0);
    }

    Deadline d(80);
    int left = d.RemainingMs();
    EXPECT_GT(left, 0);
    EXPECT_LE(left, 80);
    // Waiting the remaining time (rounded up) always reaches the deadline.
    std::this_thread::sleep_for(std::chrono::milliseconds(left));
    EXPECT_TRUE(d.Expired());
    EXPECT_EQ(d.RemainingMs(), 0);
}

TEST(Timing, PauseSleepsAtLeastItsTime) {
    auto start = std::chrono::steady_clock::now();
    PauseMs(20);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    PauseMs(0);
    PauseMs(-3);   // no sleep, no error
}
