// Frame read-back with glReadPixels in the driver's native RGBA layout.
#include "tools/capture/frame_readback.h"

#include <GL/gl.h>

void readbackStart(FrameReadback* readback, int width, int height)
{
    readback->width = width;
    readback->height = height;
}

void readbackFrame(FrameReadback* readback, unsigned char* rgba)
{
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, readback->width, readback->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

void readbackEnd(FrameReadback*)
{
}
