// The display the show draws on. Start-up writes it in four steps (the
// window's drawable size, the dialog's aspect choice, the work area's
// texture sizes, what the context checks found of its GL context); the
// viewport, the camera, the grain, the render targets and every texture
// bind read it from there.
#pragma once
#include "platform/gl_caps.h"

struct Display {
    // Size in pixels of the window's drawable area.
    int width = 640;
    int height = 480;
    // The monitor's width / height, and aspectRatio / (16/9): the share of
    // the window's height the 16:9 picture fills (0.75, 0.9 or 1.0).
    float aspectRatio = 1.3333334f;
    float aspectFactor = 0.75f;
    // Power-of-two sizes of the 512 x 256 off-screen work area's copies.
    int largeTexSize = 512;
    int smallTexSize = 256;
    // The GL context's clamp mode, texture units and multitexture entry
    // points, filled by the context checks.
    GlCaps gl;
};
