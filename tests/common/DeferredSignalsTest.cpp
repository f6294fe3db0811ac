#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>

#include "common/DeferredSignals.h"

namespace {
std::atomic<int> g_nDelivered{0};

void Count(int) {
    g_nDelivered.fetch_add(1);
}
}  // namespace

TEST(DeferredSignals, InterruptsWaitUntilTheGuardEnds) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        struct sigaction previous {};
        action.sa_handler = Count;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, &previous);
        g_nDelivered = 0;
        {
            CDeferredSignals deferred;
            raise(signal);
            EXPECT_EQ(g_nDelivered, 0) << signal;
        }
        EXPECT_EQ(g_nDelivered, 1) << signal;
        raise(signal);  // the old mask is back: delivered at once
        EXPECT_EQ(g_nDelivered, 2) << signal;
        sigaction(signal, &previous, nullptr);
    }
}
