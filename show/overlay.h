// Drawing conventions the scenes share: the fade ramp, the 2D overlay mode,
// a texture drawn over the whole view, and texture-matrix scrolling.
#pragma once
#include "render/covered_quad.h"
#include "render/render_flags.h"
#include "render/view.h"

struct Texture;

// clamp(t - t0, 0, 1): a layer that begins at t0 fades in over one pattern.
float fadeRamp(float t, float t0);

// Enters 2D overlay drawing: flags applied, then culling, lighting, fog,
// depth test, texture generation, 1D texturing, normalisation and the alpha
// test off, smooth shading, white colour, no depth writes; the view's
// camera fields reset and the projection -1..1 over the picture area (or
// the work area with RF_OFFSCREEN), depth range -1..1.
void overlay_begin(View& view, RenderFlags flags);

// Draws texture over the whole view (picture area, or work area with
// RF_OFFSCREEN) at colour (alpha, alpha, alpha, alpha), blended as the
// first of RF_ADD, RF_INVMUL, RF_MUL, RF_ALPHA, RF_SCREEN in flags says.
// The record's texture-coordinate scale applies, so a (1, -1, 1) record
// shows flipped. The render state is restored afterwards. Under a blend
// that a zero texel leaves the picture unchanged by (all but RF_MUL and no
// blend), only the parts over texels that are not zero are drawn.
void fullscreen_texture(View& view, const Texture* texture, float alpha, RenderFlags flags);

// Loads the texture matrix (from identity) with translate(sx, sy) x
// translate(0.5, 0.5) x scale(kx, ky) x rotate(degrees about z) x
// translate(-0.5, -0.5): the texture scaled and turned about its centre,
// then moved. Leaves the matrix mode at modelview.
void scrollTextureMatrix(float sx, float sy, float kx, float ky, float degrees);
// Where the flipped fullscreen quad samples under scrollTextureMatrix(sx,
// sy, kx, ky, 0).
TextureSpan scrolledSpan(float sx, float sy, float kx, float ky);
