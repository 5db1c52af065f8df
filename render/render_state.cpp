// Render-state presets: the flag word applied to blending, depth, culling,
// shading and stencil, the save/restore pair, the frame reset and the 2D
// set-up.
#include "render/render_state.h"

#include "platform/gl_api.h"

// Current, point, polygon, polygon stipple, pixel mode, lighting, fog, depth
// buffer, accumulation buffer, stencil buffer, viewport, enable, hint,
// display list and texture groups; not line, transform, colour buffer,
// evaluator or scissor.
static constexpr GLbitfield savedAttributes = 0x6affb;

void pushRenderState()
{
    glPushAttrib(savedAttributes);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
}

void popRenderState()
{
    glPopAttrib();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void applyRenderFlags(RenderFlags flags)
{
    RenderFlags f = flags & RF_STATE_MASK;

    if (f & RF_NOCULL) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(f & RF_CULLFRONT ? GL_FRONT : GL_BACK);
    }

    if (f & RF_NODEPTH)
        glDisable(GL_DEPTH_TEST);
    else
        glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(f & (RF_NODEPTH | RF_NOZWRITE) ? GL_FALSE : GL_TRUE);

    bool blend = true;
    if (f & RF_ADD) {
        glBlendFunc(GL_ONE, GL_ONE);
    } else if (f & RF_INVMUL) {
        glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
    } else if (f & RF_MUL) {
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    } else if (f & RF_ALPHA) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.0f);
    } else if (f & RF_SCREEN) {
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_COLOR);
    } else {
        blend = false;
    }
    if (blend) {
        glEnable(GL_BLEND);
        glDepthFunc(GL_LEQUAL);
    } else {
        glDisable(GL_BLEND);
    }

    glShadeModel(f & RF_FLAT ? GL_FLAT : GL_SMOOTH);

    if (f & RF_STENCIL) {
        glEnable(GL_STENCIL_TEST);
        glStencilFunc(GL_EQUAL, 1, 0xffffffffu);
        glStencilOp(GL_KEEP, GL_KEEP, GL_DECR);
    }
}

void viewportRect(const View& view, RenderFlags flags, int rect[4])
{
    if (flags & RF_OFFSCREEN) {
        rect[0] = 0, rect[1] = 0, rect[2] = offscreenWidth, rect[3] = offscreenHeight;
        return;
    }
    const Display& display = *view.display;
    rect[0] = 0;
    rect[1] = (int)((float)display.height * (1.0f - display.aspectFactor) * 0.5f);
    rect[2] = display.width;
    rect[3] = (int)((float)display.height * display.aspectFactor);
}

void setViewport(const View& view, RenderFlags flags)
{
    int rect[4];
    viewportRect(view, flags, rect);
    glViewport(rect[0], rect[1], rect[2], rect[3]);
}

void clearFrame(const View& view)
{
    setViewport(view, 0);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void textureGenerationOff()
{
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_Q);
}

void resetTextureAndProjection()
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
}

void resetModelView()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void resetRenderState(View& view)
{
    resetRenderStateWithoutClear(view);
    clearFrame(view);
}

bool areaCoversWindow(const View& view, RenderFlags flags)
{
    int rect[4];
    viewportRect(view, flags, rect);
    return rect[0] == 0 && rect[1] == 0 && rect[2] == view.display->width && rect[3] == view.display->height;
}

void resetRenderStateWithoutClear(View& view)
{
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    textureGenerationOff();
    glDisable(GL_TEXTURE_1D);
    glDisable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);
    glDisable(GL_AUTO_NORMAL);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_ALWAYS, 0.0f);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DITHER);
    glDisable(GL_LINE_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_LINE_STIPPLE);
    glDisable(GL_INDEX_LOGIC_OP);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    for (int i = 0; i < 6; i++)
        glDisable(GL_CLIP_PLANE0 + i);

    glColor4f(1, 1, 1, 1);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    static const GLfloat ambient[4] = {0, 0, 0, 1};
    static const GLfloat diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    static const GLfloat specular[4] = {0, 0, 0, 1};
    static const GLfloat emission[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0.0f);

    view.cameraUp[0] = 0.0f;
    view.cameraUp[1] = 1.0f;
    view.cameraUp[2] = 0.0f;
    view.projectionShift[0] = 0.0f;
    view.projectionShift[1] = 0.0f;
    view.viewNear = 0.0f;
    view.viewFar = 0.0f;
}

void setOrtho(View& view, RenderFlags flags)
{
    if (view.viewNear <= 0.0f && view.viewFar <= 0.0f) {
        view.viewNear = 0.1f;
        view.viewFar = 10.0f;
    }
    setViewport(view, flags);
    resetTextureAndProjection();
    glOrtho(-1, 1, -1, 1, -view.viewNear, -view.viewFar);
    resetModelView();
}
