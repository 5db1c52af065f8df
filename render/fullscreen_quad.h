// The fullscreen quad every 2D pass draws: one polygon over the square
// -1..1 of the current 2D projection, just inside its near side.
#pragma once
#include "render/view.h"

// Lighting, fog, depth test, culling and s, t coordinate generation off:
// the state a textured 2D pass draws its quads in.
void flatQuadState();
// Draws the quad moved by (dx, dy) in normalised device units, at
// z = view.viewNear + 0.001. Texture coordinates (s0, t0) at the lower left,
// (s1, t0) lower right, (s1, t1) upper right, (s0, t1) upper left; the
// current colour modulates the texture.
void fullscreenQuad(const View& view, float dx, float dy, float s0, float t0, float s1, float t1);
// The plain quad with texture coordinates 0..1.
inline void fullscreenQuad(const View& view) { fullscreenQuad(view, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f); }
// The quad with vertically flipped coordinates, as the scrolling layers and
// the grain draw it.
inline void fullscreenQuadFlipped(const View& view) { fullscreenQuad(view, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f); }
