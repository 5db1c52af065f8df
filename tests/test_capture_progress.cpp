// vorn-capture's progress estimate: the rate of the recent frames, so the
// time left follows a show whose later frames cost more.
#include <gtest/gtest.h>

#include "programs/vorn-capture/progress.h"

// Frames finished every msPerFrame from (done, ms) until untilMs, each
// reported as the frame loop reports it; returns the frames done.
static long render(RecentFrames* recent, long done, double* ms, double msPerFrame, double untilMs)
{
    while (*ms + msPerFrame <= untilMs) {
        *ms += msPerFrame;
        recentFramesAdd(recent, ++done, *ms);
    }
    return done;
}

TEST(CaptureProgress, RateFollowsTheLastFifteenSecondsOrSo)
{
    RecentFrames recent{};
    EXPECT_EQ(recentFramesRate(recent, 5, 1000.0), 0.0);
    recentFramesAdd(&recent, 0, 0.0);
    EXPECT_EQ(recentFramesRate(recent, 0, 0.0), 0.0);

    // 10 fps for a minute, then 5 fps: ten seconds into the slower part the
    // rate mixes the last five fast seconds with the ten slow ones, far from
    // the 9.3 fps of the whole span and from the 5 fps of the last frames.
    double ms = 0;
    long done = render(&recent, 0, &ms, 100.0, 60000.0);
    EXPECT_NEAR(recentFramesRate(recent, done, ms), 10.0, 0.01);
    done = render(&recent, done, &ms, 200.0, 70000.0);
    EXPECT_NEAR(recentFramesRate(recent, done, ms), 100.0 / 15.0, 0.4);
}
