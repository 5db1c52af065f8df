// Test helpers for texture records: their fields in one comparable tuple,
// the texels of a level, and handing records back.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <tuple>
#include <vector>

#include <GL/gl.h>

#include "textures/texture.h"

// width, height, scaleS, scaleT, scaleR, flags, frameLayout.
using RecordFields = std::tuple<int, int, float, float, float, RenderFlags, int>;

inline RecordFields fieldsOf(const Texture* t)
{
    return {t->width, t->height, t->scaleS, t->scaleT, t->scaleR, t->flags, t->frameLayout};
}

// RGBA texels of a level of the texture bound on the active unit.
inline std::vector<uint8_t> readLevel(int level, int width, int height)
{
    std::vector<uint8_t> texels((size_t)width * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// The show keeps its records for good; tests give theirs back.
inline void dropTextures(std::initializer_list<Texture*> textures)
{
    for (Texture* texture : textures) {
        glDeleteTextures(1, &texture->name);
        delete texture;
    }
}
