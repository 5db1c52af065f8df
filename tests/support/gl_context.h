// Test support: a real OpenGL context on Mesa, headless (SDL offscreen driver).
#pragma once
#include "show/show.h"

// Opens (once per process) a hidden window of the given size with the
// program's own createHiddenWindow and checks (which fill testDisplay().gl),
// and makes its context current.
void openTestContext(int width = 640, int height = 360);
// The display of the test context (16:9 unless a test sets otherwise), and
// a show whose view draws on it; its assets are those of precalcTestShow.
Display& testDisplay();
Show& testShow();
// Builds the test show's assets once per process, with the display's
// set-up sizes, drawing from testRandom().
void precalcTestShow();
// The random state of the test show's run.
RandomState& testRandom();
// Keeps the GL driver's libraries loaded until exit, so LeakSanitizer can
// name them; call it once a GL context or SDL renderer has been made.
void pinGlDriver();
// Reads back the RGBA pixel at window coordinates (x, y) after glFinish.
void readPixel(int x, int y, unsigned char rgba[4]);
