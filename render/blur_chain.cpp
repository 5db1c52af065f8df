// The glow: a chain of ever smaller blurred copies of the work area, and
// their sum drawn over the picture.
//
// Each level is half the size of the one before and is made from it with
// eight bilinear taps on a circle (the first drawn opaque, the others added
// at 1/8 each), rendered into the lower-left corner of the framebuffer and
// copied into the level's texture. The compose pass stretches every level
// over the target area, the sharp level 0 at full strength and the blurred
// ones added at a small weight.

#include <cmath>

#include "base/constants.h"
#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "render/texture_record.h"

void blur_chain_build(View& view, const BlurChain* chain, int square, float radius, const float tint[4])
{
    const Texture* levels = chain->levels;
    bindTexture(view.display->gl, &levels[0], 0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, levels[0].width, levels[0].height);

    pushRenderState();
    for (int i = 0; i + 1 < chain->count; i++) {
        int w = levels[i + 1].width;
        int h = levels[i + 1].height;
        setOrtho(view, 0);
        glViewport(0, 0, w, h);

        bindTexture(view.display->gl, &levels[i], RF_CLAMP);
        flatQuadState();
        glDepthMask(GL_FALSE);
        if (i == 0)
            glColor4f(tint[0] * 0.125f, tint[1] * 0.125f, tint[2] * 0.125f, tint[3] * 0.125f);
        else
            glColor4f(0.125f, 0.125f, 0.125f, 0.125f);

        // r = 1 is one pixel of the new level, two texels of the source.
        for (int k = 0; k < 8; k++) {
            float angle = 2.0f * (float)k * (float)PI / 8.0f;
            float du = std::sin(angle) * radius / (float)w;
            float dv = std::cos(angle) * radius / (float)h;
            if (k == 0) {
                glDisable(GL_BLEND);
            } else {
                glEnable(GL_BLEND);
                glBlendFunc(GL_ONE, GL_ONE);
            }
            fullscreenQuad(view, 0.0f, 0.0f, du, dv, 1.0f + du, 1.0f + dv);
        }

        bindTexture(view.display->gl, &levels[i + 1], 0);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);

        if (square && i == 0) {
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            glEnable(GL_BLEND);
            glBlendFunc(GL_ZERO, GL_SRC_COLOR);
            fullscreenQuad(view);
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, w, h);
        }
    }
    popRenderState();
}

void blur_chain_compose(View& view, const BlurChain* chain, float weight, RenderFlags flags)
{
    pushRenderState();
    // Level 0 is drawn opaque over the whole area: the window needs a clear
    // only where the area leaves letterbox bars, which must be black.
    resetRenderStateWithoutClear(view);
    if (!areaCoversWindow(view, flags))
        clearFrame(view);
    setOrtho(view, flags);
    for (int i = 0; i < chain->count; i++) {
        bindTexture(view.display->gl, &chain->levels[i], RF_CLAMP);
        if (i == 0) {
            applyRenderFlags(flags | RF_NODEPTH | RF_NOCULL);
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        } else {
            applyRenderFlags(flags | RF_ADD | RF_NODEPTH | RF_NOCULL);
            glColor4f(weight, weight, weight, weight);
        }
        fullscreenQuad(view);
    }
    popRenderState();
}
