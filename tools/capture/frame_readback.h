// Reading finished frames back from the GL's back buffer.
#pragma once

struct FrameReadback {
    int width;
    int height;
};

void readbackStart(FrameReadback* readback, int width, int height);
// Copies the frame just drawn (RGBA, rows bottom-up) into rgba, which holds
// width x height x 4 bytes.
void readbackFrame(FrameReadback* readback, unsigned char* rgba);
void readbackEnd(FrameReadback* readback);
