// The relief pass: the work area embossed by a shifted inverse copy of
// itself.
//
// The area P is copied to a texture; the copy, moved d/2 pixels right and
// up, then darkens the area (blend ZERO, ONE_MINUS_SRC_COLOR) and half of P
// is added on top, so bright regions darken where a bright copy lies over
// them: P x (1 - P') + 0.5 P.
#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "render/texture_record.h"

void post_relief(View& view, const Texture* texture, float offset, RenderFlags flags)
{
    pushRenderState();
    bindTexture(view.display->gl, texture, 0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, texture->width, texture->height);

    // Into the work area it was copied from (as the show draws it), P is
    // still there without a clear, and drawing the copy back in place,
    // texel for pixel, would leave every pixel as it is; what lies outside
    // the area is not read before the glow's compose pass covers or clears
    // the window. Elsewhere the window is cleared and the copy drawn.
    bool inPlace = (flags & RF_OFFSCREEN) && texture->width == offscreenWidth && texture->height == offscreenHeight;
    if (inPlace)
        resetRenderStateWithoutClear(view);
    else
        resetRenderState(view);
    setOrtho(view, flags);
    flatQuadState();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    bindTexture(view.display->gl, texture, 0);
    if (!inPlace) {
        glDisable(GL_BLEND);
        fullscreenQuad(view);
    }

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
