// The hits of the music: the rows where the white flashes land and the
// world scene's camera changes preset, and the flash itself.
#pragma once
#include "render/view.h"

// Hit positions in rows (1/64 pattern); the last entry never fires.
constexpr int hitCountMax = 10;
extern const int htab[hitCountMax];

// Number of hits at or before show time t (a hit counts from its own row on).
int hitsReached(float t);

// Weight of the flash at t: for each hit a triangular pulse of height 1 at
// its row, 0 two rows before and after; overlapping pulses add.
float flashLevel(float t);

// Adds flashLevel(t) x strength to every channel of the picture area. Leaves
// additive blending, no texturing, no depth test and no culling behind.
void hit_flash(View& view, float t, float strength);
