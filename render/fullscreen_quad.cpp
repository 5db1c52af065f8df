// The fullscreen quad of the 2D passes and the state it is drawn in.
#include "render/fullscreen_quad.h"

#include "platform/gl_api.h"
#include "render/render_state.h"

void fullscreenQuad(const View& view, float dx, float dy, float s0, float t0, float s1, float t1)
{
    float z = view.viewNear + 0.001f;
    glBegin(GL_POLYGON);
    glTexCoord2f(s0, t0);
    glVertex3f(-1.0f + dx, -1.0f + dy, z);
    glTexCoord2f(s1, t0);
    glVertex3f(1.0f + dx, -1.0f + dy, z);
    glTexCoord2f(s1, t1);
    glVertex3f(1.0f + dx, 1.0f + dy, z);
    glTexCoord2f(s0, t1);
    glVertex3f(-1.0f + dx, 1.0f + dy, z);
    glEnd();
}

void flatQuadState()
{
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
}
