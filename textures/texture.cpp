// Texture records: the construction steps every constructor shares, the
// solid-colour texture and the two kinds of render-target textures.
#include "textures/texture.h"

#include <cstdlib>


Texture* finishTexture(int width, int height, uint8_t* pixels, float scaleS, float scaleT, float scaleR,
                       RenderFlags flags, int frameLayout)
{
    Texture* texture = new Texture;
    glGenTextures(1, &texture->name);
    texture->flags = flags & RF_CREATE_MASK;
    texture->width = width;
    texture->height = height;
    texture->scaleS = scaleS;
    texture->scaleT = scaleT;
    texture->scaleR = scaleR;
    texture->frameLayout = frameLayout;

    glBindTexture(GL_TEXTURE_2D, texture->name);
    if (texture->flags & RF_NOMIPMAP)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    else {
        auto coverage = std::make_shared<TexelCoverage>();
        uploadTexture(width, height, pixels, coverage.get());
        texture->coverage = coverage;
    }
    std::free(pixels);
    return texture;
}

Texture* makeSolidTexture(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a, float scaleS,
                          float scaleT, float scaleR, RenderFlags flags)
{
    size_t count = (size_t)width * height;
    uint8_t* pixels = (uint8_t*)std::malloc(count * 4);
    for (size_t i = 0; i < count; i++) {
        pixels[i * 4 + 0] = r;
        pixels[i * 4 + 1] = g;
        pixels[i * 4 + 2] = b;
        pixels[i * 4 + 3] = a;
    }
    return finishTexture(width, height, pixels, scaleS, scaleT, scaleR, flags, 0);
}

// RGBA8 when the framebuffer keeps alpha (more than 31 bits in all), else RGB8.
static GLint renderTargetFormat()
{
    GLint red = 0, green = 0, blue = 0, alpha = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    return red + green + blue + alpha > 31 ? GL_RGBA8 : GL_RGB8;
}

// One black level of the given size; the copies of the post passes fill it.
static void makeRenderTarget(const Display& display, Texture* texture, int width, int height, RenderFlags flags,
                             GLint format)
{
    glGenTextures(1, &texture->name);
    texture->scaleS = 512.0f / (float)display.largeTexSize;
    texture->scaleT = 256.0f / (float)display.smallTexSize;
    texture->scaleR = 1.0f;
    texture->width = width;
    texture->height = height;
    texture->flags = flags;
    texture->frameLayout = 0;
    uint8_t* zeros = (uint8_t*)std::calloc((size_t)width * height * 4 + 4, 1);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros);
    std::free(zeros);
}

Texture* makeScreenTexture(const Display& display)
{
    Texture* texture = new Texture;
    makeRenderTarget(display, texture, display.largeTexSize, display.smallTexSize, RF_NOMIPMAP | RF_CLAMP,
                     renderTargetFormat());
    return texture;
}

BlurChain* makeBlurChain(const Display& display)
{
    BlurChain* chain = new BlurChain;
    chain->count = 0;
    GLint format = renderTargetFormat();
    int width = display.largeTexSize, height = display.smallTexSize;
    while (width + height > 5 && chain->count < 16) {
        makeRenderTarget(display, &chain->levels[chain->count], width, height, RF_NOMIPMAP, format);
        chain->count++;
        width /= 2;
        height /= 2;
    }
    return chain;
}
