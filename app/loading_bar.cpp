// The loading bar: four boxes, an underline and a bar growing upward from
// the second box, redrawn and shown after every start-up item.
#include "app/loading_bar.h"

#include "platform/gl_api.h"
#include "platform/window.h"

static void quad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3)
{
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glVertex2f(x2, y2);
    glVertex2f(x3, y3);
}

void drawLoadingBar(LoadingBar* bar, const Display& display)
{
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, display.width, display.height);
    glColor4f(1, 1, 1, 1);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(-1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(-0.9f, -0.7f, 0);
    glScalef(0.5f, 0.5f, 1);

    glBlendFunc(GL_ONE, GL_ONE);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);

    float top = bar->loadingProgress / 4 * 0.5f;
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; i++) {
        float x = 0.2f * (float)i;
        quad(x, 0, x + 0.1f, 0, x + 0.1f, -0.3f, x, -0.3f);
    }
    quad(0, -0.3f, 0.7f, -0.3f, 0.7f, -0.4f, 0, -0.4f);
    quad(0.2f, top, 0.3f, top, 0.3f, 0, 0.2f, 0);
    glEnd();

    swapBuffers();
    bar->loadingProgress += 0.1f;
}
