// The progress bar of a span on standard error: frames done, frames per
// second and time left, both from the rate of the recent frames (later
// frames of the show cost more than early ones).
#pragma once
#include "base/clock.h"

// Frames done at moments about a second apart, over the last 15 s or so.
struct RecentFrames {
    static constexpr int slots = 16;
    static constexpr double spacingMs = 1000.0;
    long done[slots];
    double ms[slots];
    int count;  // samples held
    int next;   // slot of the next sample
};

// Records that done frames were finished at ms, unless the last sample is
// less than spacingMs old.
void recentFramesAdd(RecentFrames* recent, long done, double ms);
// Frames per second from the oldest sample held to (done, ms); 0 when no
// time has passed or no sample is held.
double recentFramesRate(const RecentFrames& recent, long done, double ms);

struct Progress {
    long total;           // frames in the span
    double startMs;       // clockMs() when the span began
    double lastDrawMs;    // clockMs() of the last redraw
    bool enabled;         // false with --quiet
    bool terminal;        // standard error is a terminal: redraw in place
    RecentFrames recent;
};

void progressStart(Progress* progress, long total, bool enabled);
// Shows that done frames are finished; redraws a few times a second.
void progressUpdate(Progress* progress, long done);
// Draws the final state (the rate of the whole span) and ends the line.
void progressEnd(Progress* progress, long done);
