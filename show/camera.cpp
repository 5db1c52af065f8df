// Beat envelopes, camera presets and the perspective camera set-up.
#include "show/camera.h"

#include <cmath>

#include "base/constants.h"
#include "platform/gl_api.h"
#include "render/render_state.h"

double beatGate(double x)
{
    double f = std::fmod(std::fmod(x, 16.0) + 16.0, 16.0);
    int k = (int)f;
    if (k == 7)
        return f - 7.0;
    if (k >= 8 && k <= 14)
        return 1.0;
    if (k == 15)
        return 16.0 - f;
    return 0.0;
}

double beatSoft(double g)
{
    if (g < 0.0)
        return 0.0;
    if (g > 1.0)
        return 1.0;
    return 1.0 - (0.5 + 0.5 * std::cos(g * PI));
}

void cameraPresets(float t, CameraPreset presets[cameraPresetCount])
{
    double s = t;

    CameraPreset& fly = presets[0];
    fly.eye[0] = 0.0f;
    fly.eye[1] = 0.0f;
    fly.eye[2] = (float)(0.475 * s - 8.0);
    fly.eye[3] = (float)(60.0 + 15.0 * beatGate(16.0 * s));
    fly.target[0] = 0.0f;
    fly.target[1] = 0.0f;
    fly.target[2] = (float)((1.0 - s / 15.0) * (2.0 * beatSoft(beatGate(24.0 * s)) - 3.0 * beatSoft(beatGate(15.0 * s))));
    fly.up[0] = 0.0f;
    fly.up[1] = 1.0f;
    fly.up[2] = 0.0f;

    CameraPreset& tele = presets[1];
    tele.eye[0] = (float)(std::sin(4.1728 * s) - std::sin(2.1892 * s));
    tele.eye[1] = (float)(std::sin(3.1827 * s) - std::sin(4.9471 * s));
    tele.eye[2] = -40.0f;
    tele.eye[3] = (float)(10.0 + 2.0 * beatSoft(beatGate(9.0 * s)) - 3.0 * beatSoft(beatGate(15.0 * s)));
    tele.target[0] = tele.eye[0];
    tele.target[1] = tele.eye[1];
    tele.target[2] = (float)(2.0 * beatSoft(beatGate(9.0 * s)) - 3.0 * beatSoft(beatGate(15.0 * s)));
    float roll = (float)PI * 0.5f * t;
    tele.up[0] = std::sin(roll);
    tele.up[1] = std::cos(roll);
    tele.up[2] = 0.0f;

    CameraPreset& wide = presets[2];
    wide.eye[0] = 0.0f;
    wide.eye[1] = 0.0f;
    wide.eye[2] = -6.0f;
    wide.eye[3] = (float)(80.0 + 10.0 * beatSoft(beatGate(7.0 * s)) - 5.0 * beatSoft(beatGate(17.0 * s)));
    wide.target[0] = 0.0f;
    wide.target[1] = 0.0f;
    wide.target[2] = (float)(10.0 * beatSoft(beatGate(7.0 * s)) - 5.0 * beatSoft(beatGate(17.0 * s)));
    wide.up[0] = 0.0f;
    wide.up[1] = 1.0f;
    wide.up[2] = 0.0f;
}

void camera_setup(View& view, const float eye[4], const float target[3], RenderFlags flags)
{
    // An eye on its target has no direction to look in (the fly-in preset
    // passes through its target after the music has ended): it then looks
    // one unit along +z, the way the fly-in travels.
    float at[3] = {target[0], target[1], target[2]};
    if (at[0] == eye[0] && at[1] == eye[1] && at[2] == eye[2])
        at[2] += 1.0f;
    if (view.viewNear <= 0.0f && view.viewFar <= 0.0f) {
        float dx = at[0] - eye[0], dy = at[1] - eye[1], dz = at[2] - eye[2];
        view.viewFar = 2.0f * std::sqrt(dx * dx + dy * dy + dz * dz);
        view.viewNear = view.viewFar * 0.001f;
    }
    float fov = std::fabs(eye[3]) > 0.0f ? eye[3] : 90.0f;
    setViewport(view, flags);
    resetTextureAndProjection();
    glTranslatef(view.projectionShift[0], view.projectionShift[1], 0.0f);
    const Display& display = *view.display;
    gluPerspective(fov, display.aspectRatio / display.aspectFactor, view.viewNear, view.viewFar);
    resetModelView();
    const float* up = view.cameraUp;
    gluLookAt(eye[0], eye[1], eye[2], at[0], at[1], at[2], up[0], up[1], up[2]);
}

void presetCamera(View& view, const CameraPreset& preset, float viewNear, float viewFar, RenderFlags flags)
{
    view.viewNear = viewNear;
    view.viewFar = viewFar;
    view.projectionShift[0] = 0.0f;
    view.projectionShift[1] = 0.0f;
    for (int i = 0; i < 3; i++)
        view.cameraUp[i] = preset.up[i];
    camera_setup(view, preset.eye, preset.target, flags);
}
