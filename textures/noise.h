// The static grey noise texture of the film grain.
#pragma once
#include <cstdint>

#include "base/random.h"
#include "render/render_flags.h"
#include "textures/texture.h"

// Fills width x height RGBA texels with grey levels low .. high - 1 drawn
// from random (one step per texel, row 0 first), alpha 255.
void fillNoiseTexels(RandomState& random, uint8_t* texels, int width, int height, int low, int high);

// A noise texture; draws width x height numbers from random.
Texture* makeNoiseTexture(RandomState& random, int width, int height, int low, int high, float scaleS, float scaleT,
                          float scaleR, RenderFlags flags);
