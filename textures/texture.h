// Texture construction: the upload with a filtered mipmap chain, and the
// shared finishing steps, solid-colour and render-target constructors.
#pragma once
#include <cstdint>

#include "platform/display.h"
#include "platform/gl_api.h"
#include "render/render_flags.h"
#include "render/texture_record.h"

// Uploads level 0 and a gamma-aware windowed-sinc mipmap chain down to 1 x 1
// into the texture bound on the active unit. Overwrites pixels (RGBA bytes).
// With coverage, records there where each level's texels are not zero.
void uploadTexture(int width, int height, uint8_t* pixels, TexelCoverage* coverage = nullptr);

// The 16 normalised taps of the mipmap reduction filter, centred between
// taps 7 and 8.
void mipmapKernel(float taps[16]);

// Converts count bytes taken stride apart to floats in 0..1; boost lifts
// highlights above 0.85, square converts to linear light.
void unpackChannel(float* destination, const uint8_t* source, int stride, int count, bool square, bool boost);

// The steps every texture constructor shares once its RGBA buffer is filled:
// a new record with flags masked by RF_CREATE_MASK, a GL name, one RGBA8
// level with RF_NOMIPMAP or the filtered chain and its coverage otherwise.
// Frees pixels, which must come from malloc.
Texture* finishTexture(int width, int height, uint8_t* pixels, float scaleS, float scaleT, float scaleR,
                       RenderFlags flags, int frameLayout);

Texture* makeSolidTexture(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a, float scaleS,
                          float scaleT, float scaleR, RenderFlags flags);
// The render targets the post passes copy the work area into, sized by the
// display's largeTexSize x smallTexSize: the relief's copy, and the glow's
// chain of halving levels.
Texture* makeScreenTexture(const Display& display);
BlurChain* makeBlurChain(const Display& display);
