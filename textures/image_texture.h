// Textures made from JPEG files: padded to powers of two, with alpha from a
// second file or from a function of the colour.
#pragma once
#include <cstdint>

#include "render/render_flags.h"
#include "textures/texture.h"

// Alpha of a texel computed from its colour.
typedef uint8_t (*AlphaFunction)(uint8_t r, uint8_t g, uint8_t b);

// min(255, |128 - r| + |128 - g| + |128 - b|): mid-grey is transparent,
// strong colours, white and black are opaque.
uint8_t alphaFromGreyDistance(uint8_t r, uint8_t g, uint8_t b);

// Builds the RGBA texels of a w x h RGB picture padded with white to
// *paddedWidth x *paddedHeight (the next powers of two). Alpha is the red
// byte of alphaRgb when given, else alphaFunction(r, g, b) when given, else
// 255. RF_INVERT in flags complements the picture texels, alpha included.
// Returns a heap buffer the caller frees with free().
uint8_t* padImageTexels(const uint8_t* rgb, const uint8_t* alphaRgb, AlphaFunction alphaFunction, int w, int h,
                        RenderFlags flags, int* paddedWidth, int* paddedHeight);

// Fatal error unless the alpha image has the colour image's size.
void checkAlphaSize(const char* alphaName, int alphaWidth, int alphaHeight, const char* colourName, int w, int h);

// Fatal "out of tempmalloc" unless the pool can give the mipmap filter its
// scratch arrays for a width x height texture.
void reserveUploadScratch(int width, int height);

// A texture of the JPEG file colourName, alpha from the JPEG file alphaName
// (may be null; its red channel is used) or from alphaFunction (may be null).
// The scale arguments are multiplied by the fraction of the padded texture
// that the picture covers.
Texture* makeJpegTexture(const char* colourName, const char* alphaName, AlphaFunction alphaFunction, float scaleS,
                         float scaleT, float scaleR, RenderFlags flags);
