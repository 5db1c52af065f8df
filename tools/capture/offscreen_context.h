// The capture's GL context: a window that is never shown, made by SDL's
// offscreen driver (an EGL pbuffer on Mesa), of exactly the requested size,
// set up as the demo sets up its own after the dialog.
#pragma once
#include <string>

// Opens the context at width x height with the aspect item's letterbox
// (0 4:3, 1 16:10, 2 16:9, as the dialog), runs the shell's set-up and
// checks, and leaves the context current. Empty on success; the problem
// when the size is beyond what the GL allows. Other failures are fatal, as
// in the demo.
std::string openCaptureContext(int width, int height, int aspectItem);
