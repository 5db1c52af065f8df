// The display the show draws on. Start-up writes it in three steps (the
// window's drawable size, the dialog's aspect choice, the work area's
// texture sizes); the viewport, the camera, the grain and the render
// targets read it from there.
#pragma once

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
};
