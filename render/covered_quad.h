// Fullscreen quads that leave out what would leave no trace. Under a blend
// where a zero texel keeps the framebuffer as it was (adding, darkening by
// the source colour, screening), the parts of a quad whose every fragment
// samples zero texels need not be drawn: the quad is cut on the pixel grid
// into rectangles along the cells of the texture's coverage (8 x 8 texels),
// and only those over cells with something in them are drawn, each pixel
// once, at the texture coordinates the whole quad gives it.
#pragma once
#include <cstdint>

#include "render/render_flags.h"
#include "render/view.h"

struct Texture;

// Where the quad's texture coordinates land once the texture matrix has
// moved them: at fraction (u, v) of the area (v upwards) the sample is at
// (s0 + su u, t0 + tv v), before wrapping. Only axis-aligned maps cut.
struct TextureSpan {
    double s0, su, t0, tv;
};

// Draws the quad of fullscreenQuad(view, 0, 0, s0, t0, s1, t1) on the area
// areaFlags chooses (the picture area, or the work area with RF_OFFSCREEN),
// as the rectangles whose pixels sample, at the mipmap levels the span's
// scale selects, a cell of texture (bound with textureFlags) that holds
// one of the COVER_* bits of `what`. A texture without coverage, clamped
// or with generated coordinates gets the whole quad.
void fullscreenQuadOverCoverage(const View& view, RenderFlags areaFlags, const Texture* texture,
                                RenderFlags textureFlags, float s0, float t0, float s1, float t1,
                                const TextureSpan& span, uint8_t what);

// Runs of pixels whose centres sample the same block of texels: pixels
// [first, end) in block `block` (wrapped into 0 .. blocks - 1).
struct BlockStrip {
    int first, end, block;
};

// Splits `pixels` pixels into such runs for a texture `texels` wide in
// blocks of blockTexels, the coordinate at the area's start being `start`
// and growing by `perPixel` a pixel. Returns the number of runs written to
// strips, which must have room for `pixels`.
int blockStrips(int pixels, double start, double perPixel, int texels, int blockTexels, BlockStrip* strips);
