// The world scene's camera: beat envelopes, the three presets the hits
// switch between, and the perspective set-up.
#pragma once
#include "render/render_flags.h"
#include "render/view.h"

// Trapezoid repeating every 16 units of x: 0 for the first 7, rising over
// one, 1 for 7, falling over the last one.
double beatGate(double x);
// Smooth step of a gate value: 0 below 0, 1 above 1, a half cosine between.
double beatSoft(double g);

// An eye (x, y, z, field of view in degrees), the point it looks at and
// the camera's up direction.
struct CameraPreset {
    float eye[4];
    float target[3];
    float up[3];
};
constexpr int cameraPresetCount = 3;
// The three presets at show time t: 0 flies in along z, 1 is a telephoto
// from far away rolling a quarter turn a pattern, 2 a wide angle close in;
// all pulse on the beat.
void cameraPresets(float t, CameraPreset presets[cameraPresetCount]);

// Perspective camera: the viewport of the work area (RF_OFFSCREEN) or the
// picture area, a perspective of eye[3] degrees (90 when 0) at the 16:9
// aspect, shifted by the view's projectionShift, looking from eye to target
// with its cameraUp (one unit along +z when the two coincide). When viewNear
// and viewFar are both unset they are derived from the eye-target distance.
void camera_setup(View& view, const float eye[4], const float target[3], RenderFlags flags);
// camera_setup through a preset: the view's depth range set to viewNear ..
// viewFar, its projection unshifted and its up direction the preset's.
void presetCamera(View& view, const CameraPreset& preset, float viewNear, float viewFar, RenderFlags flags);
