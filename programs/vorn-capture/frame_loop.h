// The frames of a capture: their show times, the start-up that precedes
// them, drawing one frame, and the loop that renders a span into an output.
#pragma once
#include "programs/vorn-capture/frame_output.h"
#include "programs/vorn-capture/offscreen_context.h"

// Frame n shows time first + n / framesPerPattern, for n < count.
struct FrameSpan {
    double first;             // patterns
    double framesPerPattern;  // fps x seconds per pattern
    long count;
};

// The frames from `from` up to but not including `to` (patterns) at fps
// frames per second of show time; at least one frame.
FrameSpan makeFrameSpan(double from, double to, double fps);
// Show time of frame n in patterns, computed from n (no running sum).
double frameTime(const FrameSpan& span, long n);

// The demo's start-up after its setup, minus the pause and the playback:
// asset pre-calculation (drawing the loading bar) and render-state reset.
// Needs the context and the loaded music.
void startCaptureShow(CaptureShow* capture);
// Draws the frame at show time t with the band levels of the music at that
// position and the capture's random state. A pending GL error is fatal, as in the demo.
void drawCaptureFrame(CaptureShow* capture, double t);

// Renders the span, reading each frame back into the output (bench: only
// finishing it). Returns false when stopped early by quitRequested (Ctrl-C)
// or a failing output; *framesDone counts the frames handed over.
bool captureSpan(CaptureShow* capture, const FrameSpan& span, FrameOutput* output, bool progressBar,
                 long* framesDone);
