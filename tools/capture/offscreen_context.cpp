// The hidden capture window on SDL's offscreen driver, with the size limit
// read from the GL itself.
#include "tools/capture/offscreen_context.h"

#include <cstdlib>

#include "glapi/gl_api.h"
#include "render/render_state.h"
#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "shell/setup_choices.h"

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

std::string openCaptureContext(int width, int height, int aspectItem)
{
    // Never a visible window, whatever display there is. Windows' SDL has
    // no GL on its offscreen driver: there the window is simply never shown.
#ifndef _WIN32
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
#endif
    fullscreen = 0;
    displayModeIndex = -1;
    aspectForItem(aspectItem, &aspectRatio, &aspectFactor);

    // A context opened only to read the limit stays until the process ends
    // with the usage error (closing the last one unloads the GL driver).
    int limitWidth = 0, limitHeight = 0;
    if (!createHiddenWindow(width, height, 32, "VORN capture")) {
        // Refused at this size: if the smallest size opens, the size was the
        // problem; if not, nothing opens here at all.
        releaseWindow();
        if (!createHiddenWindow(offscreenWidth, offscreenHeight, 32, "VORN capture"))
            fatalError("Init failed!");
        readSizeLimit(&limitWidth, &limitHeight);
        return sizeProblem(width, height, limitWidth, limitHeight);
    }
    readSizeLimit(&limitWidth, &limitHeight);
    if (width > limitWidth || height > limitHeight || screenWidth != width || screenHeight != height)
        return sizeProblem(width, height, limitWidth, limitHeight);
    setupContext();
    return "";
}
