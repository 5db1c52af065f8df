// Reading finished frames back from the GL's back buffer.
#pragma once

// Copies the frame just drawn, width x height from the lower-left corner,
// into rgba (width x height x 4 bytes, rows bottom-up). Waits for the
// frame's drawing to finish.
void readFrame(int width, int height, unsigned char* rgba);
