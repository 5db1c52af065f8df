// The hit table, the hit count and the additive white flash.
#include "show/hits.h"

#include <algorithm>
#include <cmath>

#include "platform/gl_api.h"
#include "render/render_state.h"

const int htab[hitCountMax] = {149, 201, 295, 391, 481, 536, 631, 746, 778, 1000000};

int hitsReached(float t)
{
    int count = 0;
    for (int i = 0; i < hitCountMax; i++)
        if ((float)htab[i] <= 64.0f * t)
            count++;
    return count;
}

float flashLevel(float t)
{
    float sum = 0.0f;
    for (int i = 0; i < hitCountMax; i++)
        sum += std::clamp(1.0f - std::fabs((float)htab[i] - 64.0f * t) * 0.5f, 0.0f, 1.0f);
    return sum;
}

void hit_flash(View& view, float t, float strength)
{
    float k = flashLevel(t) * strength;
    setOrtho(view, 0);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);

    // Adding 0 leaves every colour as it is: away from the hits the pass
    // sets its state and draws nothing.
    if (k == 0.0f)
        return;
    float z = view.viewNear + 0.001f;
    glColor4f(k, k, k, 1.0f);
    glBegin(GL_POLYGON);
    glVertex3f(-1.0f, 1.0f, z);
    glVertex3f(1.0f, 1.0f, z);
    glVertex3f(1.0f, -1.0f, z);
    glVertex3f(-1.0f, -1.0f, z);
    glEnd();
}
