// The records of the show's textures as the render passes use them: a GL
// name, the texture-matrix scale a bind loads, the size and default flags,
// and the chain of glow levels.
#pragma once
#include <memory>

#include "platform/gl_api.h"
#include "render/render_flags.h"
#include "render/texel_coverage.h"

// One texture of the show; made once at start-up and kept until exit.
struct Texture {
    GLuint name;                    // OpenGL texture name
    float scaleS, scaleT, scaleR;   // texture-matrix scale loaded by bindTexture
    int width, height;              // size of mipmap level 0 in texels
    RenderFlags flags;              // default flags ORed into every bind
    int frameLayout;                // 2 for the two-image blur atlas, else 0
    // Where its levels are not zero; textures with a mipmap chain have it
    // (they are never refilled), render targets and the plasma do not.
    std::shared_ptr<const TexelCoverage> coverage;
};

// Levels of halving size for the glow: 512 x 256 down to 4 x 2.
struct BlurChain {
    int count;
    Texture levels[16];
};
