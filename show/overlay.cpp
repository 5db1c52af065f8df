// The overlay mode, fullscreen textures, the fade ramp and texture-matrix
// scrolling shared by the scenes.
#include "show/overlay.h"

#include <algorithm>

#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/render_state.h"
#include "render/texture_record.h"

float fadeRamp(float t, float t0)
{
    return std::clamp(t - t0, 0.0f, 1.0f);
}

void overlay_begin(View& view, RenderFlags flags)
{
    applyRenderFlags(flags);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    textureGenerationOff();
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_NORMALIZE);
    glDisable(GL_AUTO_NORMAL);
    glDisable(GL_ALPHA_TEST);
    glShadeModel(GL_SMOOTH);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDepthMask(GL_FALSE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    view.cameraUp[0] = 0.0f;
    view.cameraUp[1] = 1.0f;
    view.cameraUp[2] = 0.0f;
    view.projectionShift[0] = 0.0f;
    view.projectionShift[1] = 0.0f;
    view.viewNear = -1.0f;
    view.viewFar = 1.0f;
    setOrtho(view, flags);
}

// The blend of a fullscreen texture: like applyRenderFlags' choice, but
// without the alpha test for RF_ALPHA. Returns what a texel must hold to
// change the picture: colour for RF_ADD, RF_INVMUL and RF_SCREEN, alpha for
// RF_ALPHA, 0 when even a zero texel changes it.
static uint8_t fullscreenBlend(RenderFlags flags)
{
    GLenum source = GL_ONE, destination = GL_ZERO;
    uint8_t trace = COVER_COLOUR;
    if (flags & RF_ADD) {
        source = GL_ONE, destination = GL_ONE;
    } else if (flags & RF_INVMUL) {
        source = GL_ZERO, destination = GL_ONE_MINUS_SRC_COLOR;
    } else if (flags & RF_MUL) {
        source = GL_ZERO, destination = GL_SRC_COLOR;
        trace = 0;
    } else if (flags & RF_ALPHA) {
        source = GL_SRC_ALPHA, destination = GL_ONE_MINUS_SRC_ALPHA;
        trace = COVER_ALPHA;
    } else if (flags & RF_SCREEN) {
        source = GL_ONE, destination = GL_ONE_MINUS_SRC_COLOR;
    } else {
        glDisable(GL_BLEND);
        glDepthFunc(GL_LESS);
        return 0;
    }
    glEnable(GL_BLEND);
    glBlendFunc(source, destination);
    glDepthFunc(GL_LEQUAL);
    return trace;
}

void fullscreen_texture(View& view, const Texture* texture, float alpha, RenderFlags flags)
{
    pushRenderState();
    uint8_t trace = fullscreenBlend(flags);
    setOrtho(view, flags);
    bindTexture(view.display->gl, texture, flags);
    flatQuadState();
    glColor4f(alpha, alpha, alpha, alpha);
    if (trace) {
        // The bind's texture matrix scales by the record's scale.
        TextureSpan span = {0.0, texture->scaleS, 0.0, texture->scaleT};
        fullscreenQuadOverCoverage(view, flags, texture, flags, 0.0f, 0.0f, 1.0f, 1.0f, span, trace);
    } else {
        fullscreenQuad(view);
    }
    popRenderState();
}

void scrollTextureMatrix(float sx, float sy, float kx, float ky, float degrees)
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(sx, sy, 0.0f);
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef(kx, ky, 1.0f);
    glRotatef(degrees, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.5f, -0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

TextureSpan scrolledSpan(float sx, float sy, float kx, float ky)
{
    // s = sx + 0.5 + kx (u - 0.5); t = sy + 0.5 + ky ((1 - v) - 0.5).
    return {(double)sx + 0.5 - 0.5 * kx, (double)kx, (double)sy + 0.5 + 0.5 * ky, -(double)ky};
}
