// The construction steps shared by the texture constructors that fill a
// pixel buffer themselves: record, GL name, upload, loading-bar step.
#include "textures/texture_record.h"

#include "textures/loading_bar.h"

Texture* textureFromTexels(int width, int height, uint8_t* texels, float scaleS, float scaleT, float scaleR,
                           RenderFlags flags, int frameLayout)
{
    Texture* texture = new Texture;
    glGenTextures(1, &texture->name);
    texture->scaleS = scaleS;
    texture->scaleT = scaleT;
    texture->scaleR = scaleR;
    texture->width = width;
    texture->height = height;
    texture->flags = flags & RF_CREATE_MASK;
    texture->frameLayout = frameLayout;
    glBindTexture(GL_TEXTURE_2D, texture->name);
    if (texture->flags & RF_NOMIPMAP)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    else
        uploadTexture(width, height, texels);
    drawLoadingBar();
    return texture;
}
