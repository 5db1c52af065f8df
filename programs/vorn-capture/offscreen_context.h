// The capture's GL context: a window that is never shown, made by SDL's
// offscreen driver (an EGL pbuffer on Mesa), of exactly the requested size,
// set up as the demo sets up its own after the dialog.
#pragma once
#include <string>

#include "app/loading_bar.h"
#include "app/setup.h"
#include "base/random.h"
#include "music/music.h"
#include "platform/display.h"
#include "show/assets.h"
#include "show/show.h"

// What a capture draws with: its window's display, the show, and the
// loading bar and leftovers of a start-up made as the demo makes its own
// (the bar is drawn into the hidden window, so the GL state the first frame
// finds is the demo's).
struct CaptureShow {
    Display display;
    Show show;  // its view draws on display (openCaptureContext links them)
    RandomState random;  // the run's random numbers: the pre-calculation's first, then the frames'
    MusicClock music;  // the music, loaded but never played
    LoadingBar loadingBar;
    SetupLeftovers setupLeftovers;
    PrecalcLeftovers precalcLeftovers;
};

// A report that draws a step of capture's loading bar.
ProgressReport captureLoadingBar(CaptureShow* capture);

// Opens the context at width x height with the aspect item's letterbox
// (0 4:3, 1 16:10, 2 16:9, as the dialog), runs the demo's set-up and
// checks, and leaves the context current. Empty on success; the problem
// when the size is beyond what the GL allows. Other failures are fatal, as
// in the demo.
std::string openCaptureContext(CaptureShow* capture, int width, int height, int aspectItem);
