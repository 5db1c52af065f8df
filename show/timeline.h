// The per-frame timeline: show time, spectrum step, then the scenes in order.
#pragma once
#include "music/music.h"
#include "show/show.h"

// One frame of the real-time show: t from the playing music (or the frozen
// time), the spectrum levels of what is audible, then show_draw(t).
void show_frame(Show& show, MusicClock* music);
// Draws the frame of show time t (patterns): the world scene, the layered
// show and the grain, in that order. Reads nothing but t, the show's view
// and assets, bandLevel and randseed, so any moment can be drawn without the music playing; the
// real-time loop and offline rendering share it.
void show_draw(Show& show, float t);
