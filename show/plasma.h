// The plasma texture of the world scene, refilled every frame.
#pragma once
#include "platform/gl_caps.h"

struct Texture;

// Fills the 128 x 64 texels of image (RGBA) with the plasma pattern at phase
// tau: grey levels 255 - (w / 4 x k) from a wave table folded into itself,
// between about 180 and 255 for k = 0.3. The table drifts with 0.2 x tau
// rounded once to a float.
void plasmaImage(unsigned char* image, float k, float tau);
// Refills texture with plasmaImage(k, tau) and uploads it, bound with gl.
void plasma_update(const GlCaps& gl, const Texture* texture, float k, float tau);
