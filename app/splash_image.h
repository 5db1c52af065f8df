// The splash picture of the set-up dialog, embedded in the program: rows of
// RGB bytes, top row first. Generated at build time by generators/make_splash.
#pragma once

extern const int splashWidth;   // 320
extern const int splashHeight;  // 160
extern const unsigned char splashPixels[320 * 160 * 3];
