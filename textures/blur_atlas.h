// The two-image blur atlas: ten ever more defocused copies of each of two
// sprite images packed into one texture for the depth-of-field particles.
#pragma once
#include <cstdint>

#include "base/progress.h"
#include "render/render_flags.h"
#include "textures/image_texture.h"
#include "textures/texture.h"

// The cells of the atlas: level L is the rectangle (s0, t0)-(s1, t1) of one
// sprite image, level 0 sharp, level 9 most blurred. A texture with
// frameLayout 2 holds image 0 in its left half and image 1 in its right half.
extern const float particleAtlasLevels[10][4];

// Radius fraction of the blur of level k (k = 1..9): 0.1 x ((k + 1) / 11)^1.5.
float blurAtlasRadius(int k);

// Fills the RGBA working image (w0 x h0 texels) from an RGB picture: alpha
// is the red byte of alphaRgb when given, else alphaFunction(r, g, b) when
// given, else 0.
void fillAtlasSource(uint8_t* texels, const uint8_t* rgb, const uint8_t* alphaRgb, AlphaFunction alphaFunction,
                     int w0, int h0);

// Writes the ten levels of the w0 x h0 RGBA image source into the atlas
// (4 w0 x 2 h0 texels) starting at column firstColumn (0 or 2 w0). Level k
// goes to the corner (s0, t0) of particleAtlasLevels[k], the cell table the
// particles draw with: levels 0..2 full size, 3..5 half, 6..9 quarter.
// source is used as working memory and ends up reduced.
void writeAtlasHalf(uint8_t* atlas, uint8_t* source, int w0, int h0, int firstColumn);

// One picture of the atlas: width x height RGB, with alpha from the red byte
// of alphaRgb (same size) when given, else from alphaFunction when given,
// else 0.
struct AtlasPicture {
    const uint8_t* rgb;
    const uint8_t* alphaRgb;
    AlphaFunction alphaFunction;
    int width, height;
};

// The texels of the atlas of two pictures: 4 w x 2 h RGBA, the first
// picture's levels from column 0, the second's from column 2 w. Both must
// be w x h: null when their sizes differ. halfDone reports a step once the
// first half is written. The caller frees the result with free().
uint8_t* blurAtlasTexels(const AtlasPicture& first, const AtlasPicture& second, const ProgressReport& halfDone);

// The atlas texture of two equally sized JPEG images (4 w0 x 2 h0 texels,
// scale (0.25, 0.5, 0.5), frameLayout 2). Reports one step to halfDone once
// the first image's half is done.
Texture* makeBlurAtlas(const char* name0, const char* alphaName0, AlphaFunction alphaFunction0, const char* name1,
                       const char* alphaName1, AlphaFunction alphaFunction1, RenderFlags flags,
                       const ProgressReport& halfDone);
