// The view every pass draws through: the display (its size and letterbox)
// and the current projection's depth range and camera adjustments. The
// scenes set the projection fields; the viewport, the 2D and perspective
// set-ups and the quads read them.
#pragma once
#include "platform/display.h"

struct View {
    const Display* display = nullptr;
    // Depth range of the current projection; both 0 means "not chosen yet".
    float viewNear = 0.0f;
    float viewFar = 0.0f;
    // The perspective camera's up direction and its projection's offset.
    float cameraUp[3] = {0.0f, 1.0f, 0.0f};
    float projectionShift[2] = {0.0f, 0.0f};
};
