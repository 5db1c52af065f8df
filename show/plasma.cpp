// The plasma: a 1024-entry wave table of three sines drifting with tau,
// indexed by combinations of itself to give moving grey bands.
#include "show/plasma.h"

#include <cmath>
#include <cstdint>

#include "base/constants.h"
#include "platform/gl_api.h"
#include "render/render_state.h"
#include "textures/texture.h"

constexpr int plasmaWidth = 128;
constexpr int plasmaHeight = 64;

void plasmaImage(unsigned char* image, float k, float tau)
{
    int wave[1024];
    float s = (float)(0.2 * tau);
    for (int i = 0; i < 1024; i++) {
        double a = i * PI;
        wave[i] = (int)(350.0 * std::sin(1.5 * s + a / 512.0) + 130.0 * std::sin(3.0 * a / 512.0 - 0.9 * s) +
                        20.0 * std::sin(13.0 * a / 512.0 - 0.4 * s) + 512.0);
    }
    // Masking with 1023 folds negative sums into the table as two's
    // complement does.
    for (int y = 0; y < plasmaHeight; y++) {
        for (int x = 0; x < plasmaWidth; x++) {
            int a = y + wave[(4 * x - 3 * y) & 1023];
            int b = 3 * x + wave[(2 * x + 2 * y) & 1023];
            int w = wave[(wave[(a + b) & 1023] - wave[(a - b) & 1023] + x) & 1023];
            uint8_t g = (uint8_t)(255 - ((int)((float)(w >> 2) * k) & 0xff));
            unsigned char* texel = image + 4 * (y * plasmaWidth + x);
            texel[0] = texel[1] = texel[2] = g;
            texel[3] = 255;
        }
    }
}

void plasma_update(const GlCaps& gl, const Texture* texture, float k, float tau)
{
    static unsigned char image[plasmaWidth * plasmaHeight * 4];
    plasmaImage(image, k, tau);
    bindTexture(gl, texture, 0);
    if (texture->flags & RF_NOMIPMAP)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, plasmaWidth, plasmaHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, image);
    else
        uploadTexture(plasmaWidth, plasmaHeight, image);
}
