// The grain overlay: the noise texture repeated over the picture area (one
// texel over two pixels across) at a random offset each frame, multiplied.
#include "show/grain.h"

#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/render_state.h"

void grain_overlay(Show& show, RandomState& random)
{
    // 1 / 4292967296, a little above 1 / 2^32: offsets in [0, 1.0005).
    uint32_t u1 = randNext(random);
    uint32_t u2 = randNext(random);
    float ox = (float)((double)u1 * 2.3293911438173694e-10);
    float oy = (float)((double)u2 * 2.3293911438173694e-10);

    View& view = show.view;
    const Texture* grainTexture = show.assets.grainTexture;
    setOrtho(view, 0);
    bindTexture(view.display->gl, grainTexture, 0);
    // The vertical repeat follows the window height times 16/9, whatever the
    // letterbox, so the grain keeps square texels on the 16:9 picture.
    float g = (float)grainTexture->width;
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    const Display& display = *view.display;
    glScalef((float)display.width / g * 0.5f, (float)((double)display.height * 1.7777777777777777 / g * 0.5), 1.0f);
    glTranslatef(ox, oy, 0.0f);
    glMatrixMode(GL_MODELVIEW);

    applyRenderFlags(RF_MUL | RF_NODEPTH | RF_NOCULL);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    fullscreenQuadFlipped(view);
}
