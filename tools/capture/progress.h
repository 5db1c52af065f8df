// The progress bar of a span on standard error: frames done, frames per
// second, time left.
#pragma once

struct Progress {
    long total;          // frames in the span
    double startMs;      // clockMs() when the span began
    double lastDrawMs;   // clockMs() of the last redraw
    bool enabled;        // false with --quiet
    bool terminal;       // standard error is a terminal: redraw in place
};

void progressStart(Progress* progress, long total, bool enabled);
// Shows that done frames are finished; redraws a few times a second.
void progressUpdate(Progress* progress, long done);
// Draws the final state and ends the line.
void progressEnd(Progress* progress, long done);

// Frames per second of done frames in elapsedSeconds; 0 before any time.
double progressRate(long done, double elapsedSeconds);
