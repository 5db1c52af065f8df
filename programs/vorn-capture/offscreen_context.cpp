// The hidden capture window on SDL's offscreen driver, with the size limit
// read from the GL itself.
#include "programs/vorn-capture/offscreen_context.h"

#include <cstdlib>

#include "app/setup_choices.h"
#include "base/fatal.h"
#include "platform/gl_api.h"
#include "platform/window.h"
#include "render/render_state.h"

#ifndef GL_MAX_RENDERBUFFER_SIZE
#define GL_MAX_RENDERBUFFER_SIZE 0x84E8
#endif

// The largest window this GL can render: its viewport and renderbuffer
// limits, read on the current context.
static void readSizeLimit(int* width, int* height)
{
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetError();  // a GL without renderbuffers reports its own error here
    *width = viewport[0];
    *height = viewport[1];
    if (renderbuffer > 0) {
        *width = *width < renderbuffer ? *width : renderbuffer;
        *height = *height < renderbuffer ? *height : renderbuffer;
    }
}

static std::string sizeProblem(int width, int height, int limitWidth, int limitHeight)
{
    return "--size: " + std::to_string(width) + "x" + std::to_string(height) + " is larger than this GL allows ("
           + std::to_string(limitWidth) + "x" + std::to_string(limitHeight) + ")";
}

static void drawCaptureLoadingBar(void* user)
{
    CaptureShow* capture = (CaptureShow*)user;
    drawLoadingBar(&capture->loadingBar, capture->display);
}

ProgressReport captureLoadingBar(CaptureShow* capture)
{
    ProgressReport report;
    report.step = drawCaptureLoadingBar;
    report.user = capture;
    return report;
}

std::string openCaptureContext(CaptureShow* capture, int width, int height, int aspectItem)
{
    Display* display = &capture->display;
    capture->show.view.display = display;
    // Never a visible window, whatever display there is. Windows' SDL has
    // no GL on its offscreen driver: there the window is simply never shown.
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
    aspectForItem(aspectItem, &display->aspectRatio, &display->aspectFactor);

    // A context opened only to read the limit stays until the process ends
    // with the usage error (closing the last one unloads the GL driver).
    int limitWidth = 0, limitHeight = 0;
    if (!createHiddenWindow(display, width, height, 32, "VORN capture")) {
        // Refused at this size: if the smallest size opens, the size was the
        // problem; if not, nothing opens here at all.
        releaseWindow();
        if (!createHiddenWindow(display, offscreenWidth, offscreenHeight, 32, "VORN capture"))
            fatalError("Init failed!");
        readSizeLimit(&limitWidth, &limitHeight);
        return sizeProblem(width, height, limitWidth, limitHeight);
    }
    readSizeLimit(&limitWidth, &limitHeight);
    if (width > limitWidth || height > limitHeight || display->width != width || display->height != height)
        return sizeProblem(width, height, limitWidth, limitHeight);
    setupContext(display, &capture->setupLeftovers, captureLoadingBar(capture));
    return "";
}
