// The relief pass: the work area embossed by a shifted inverse copy of
// itself.
//
// The area P is copied to a texture and drawn back in place; the same copy,
// moved d/2 pixels right and up, then darkens it (blend ZERO,
// ONE_MINUS_SRC_COLOR) and half of P is added on top, so bright regions
// darken where a bright copy lies over them: P x (1 - P') + 0.5 P.
#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "render/texture_record.h"

void post_relief(View& view, const Texture* texture, float offset, RenderFlags flags)
{
    pushRenderState();
    bindTexture(texture, 0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, texture->width, texture->height);

    // No clear: the copy drawn back opaque covers the whole area, and what
    // lies outside it is not read before the glow's compose pass covers or
    // clears the window.
    resetRenderStateWithoutClear(view);
    setOrtho(view, flags);
    flatQuadState();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    bindTexture(texture, 0);
    glDisable(GL_BLEND);
    fullscreenQuad(view);

    // In normalised device units; d / 512 of the 2-unit width is d / 2 pixels
    // of the 512-pixel area, likewise vertically.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    fullscreenQuad(view, offset / (float)offscreenWidth, offset / (float)offscreenHeight, 0.0f, 0.0f, 1.0f, 1.0f);

    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    glBlendFunc(GL_ONE, GL_ONE);
    fullscreenQuad(view);
    popRenderState();
}
