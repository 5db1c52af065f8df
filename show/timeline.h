// The per-frame timeline: show time, spectrum step, then the scenes in order.
#pragma once
#include "base/random.h"
#include "music/music.h"
#include "show/show.h"

// One frame of the real-time show: t from the playing music (or the frozen
// time), the spectrum levels of what is audible, then show_draw with the
// run's random state.
void show_frame(Show& show, MusicClock* music, RandomState& random);
// Draws the frame of the inputs: the world scene, the layered show and the
// grain, in that order. Reads nothing but the inputs, the show's view and
// assets, and whether the show's particle tables are made yet, so any
// moment can be drawn without the music playing; the real-time loop and
// offline rendering share it.
void show_draw(Show& show, const FrameInputs& frame);
