// The 3D world scene: drawn first every frame, into the 512 x 256 work area.
#pragma once
#include <cstdint>

#include "show/show.h"

// Draws the world at the frame's time: a warped backdrop with a plasma
// multiplied over it, then the bubbles on the metaball surface and a small
// wobbling sphere, seen through the camera preset of the current hit and
// shaken by the frame's bass and low-mid levels. The bubbles are built in
// and drawn from the show's world storage.
void scene_world(Show& show, const FrameInputs& frame);

// The world's brightness at t: fades in over the first pattern, out over
// pattern 14.
float worldBrightness(float t);

// The particles of a frame, after isoBuild has made world.surface: the 512
// sphere points appended to the surface's vertices, the sprite images of
// all in world.particleFrames, the shake of the points that the time and
// the hit count choose, and the sizes (a malloc'd array the caller frees).
// Returns the particle count; more than the sort can take is fatal before
// anything is written.
int worldParticles(WorldStorage& world, float t, int hits, const float levels[4], float** sizes);

// Moves points [first, last) of positions (3 floats each) by the spectrum
// levels: x by a x k1 x sin(10 y + 256 PI t) with k1 from the low-mid level,
// then y by b2 x k0 x sin(10 x + 64 PI t) with k0 from the bass level.
// Quiet music (bass <= 0.6, low-mid <= 0.3) moves nothing.
void shakePoints(float* positions, int first, int last, float a, float b2, float t, const float levels[4]);
