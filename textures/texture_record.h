// The construction steps shared by the texture constructors that fill a
// pixel buffer themselves.
#pragma once
#include <cstdint>

#include "render/render_flags.h"
#include "textures/texture.h"

// Makes the record (flags masked with RF_CREATE_MASK), generates and binds
// its GL name and uploads texels: one RGBA8 level with RF_NOMIPMAP, else
// the filtered mipmap chain (which overwrites texels). Then one loading-bar
// step. The caller still owns and frees texels.
Texture* textureFromTexels(int width, int height, uint8_t* texels, float scaleS, float scaleT, float scaleR,
                           RenderFlags flags, int frameLayout);
