// Screen-space post passes. They read back what the world scene drew into
// the 512 x 256 work area (the lower-left corner of the framebuffer) with
// framebuffer-to-texture copies and draw it again through textured quads:
// an embossing relief, a glow built from a chain of ever smaller blurred
// copies, and a grid warp that draws a texture through a field of moving
// texture coordinates. Each pass brackets its drawing with
// pushRenderState / popRenderState; every size is that of the work area,
// so the glow costs the same in every display mode.
#pragma once
#include "render/render_flags.h"
#include "render/view.h"

struct Texture;
struct BlurChain;

// Relief: copies the work area into texture, then redraws it (with
// RF_OFFSCREEN, into the work area) as P x (1 - P moved d/2 pixels right
// and up) + 0.5 P per channel, clamped to 0..1.
void post_relief(View& view, const Texture* texture, float offset, RenderFlags flags);

// Copies the work area into level 0 of the chain, then makes each further
// level from the one before as the mean of eight bilinear taps on a circle
// of radius pixels of the new level; level 0's taps are weighted by tint.
// With square non-zero level 1 is multiplied by itself, which favours the
// bright parts of the glow.
void blur_chain_build(View& view, const BlurChain* chain, int square, float radius, const float tint[4]);

// Draws on the area chosen by flags (the picture area for 0) level 0 of the
// chain plus weight times each further level, all stretched to the area
// with linear filtering.
void blur_chain_compose(View& view, const BlurChain* chain, float weight, RenderFlags flags);

// A field function: the texture coordinate (out) of a grid vertex at time.
typedef void (*WarpField)(float time, const float vertex[3], const float aux[3], float p5, float p6,
                          float out[3]);

// Draws texture through an nx x ny grid spanning the area chosen by flags,
// each grid vertex at the texture coordinate field gives it. Blending
// follows flags; the current colour modulates the texture.
void warp_grid(const View& view, const Texture* texture, int nx, int ny, float time, WarpField field, float p5,
               float p6, RenderFlags flags);

// The backdrop's field: the middle 80 % of the texture (0.1 .. 0.9) with a
// wobble of up to 0.04 x p6 texture units. p5 and aux are not used.
void warp_field(float time, const float vertex[3], const float aux[3], float p5, float p6, float out[3]);
