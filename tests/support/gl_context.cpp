// A GL context for in-process tests, made by the program's own window code.
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "shell/gl_checks.h"
#include "shell/platform.h"
#include "shell/setup.h"

static void ignoreEvents(const SDL_Event&) {}

void openTestContext(int width, int height)
{
    if (hWnd)
        return;
    screenWidth = width;
    screenHeight = height;
    // The offscreen driver lists one mode of unknown size, which keeps the
    // size asked for here; its desktop mode would impose its own size.
    DisplayMode mode;
    displayModeIndex = getDisplayMode(0, &mode) && mode.width == 0 ? 0 : -1;
    ASSERT_NE(createWindow(0, 32, "VORN test", 0, 0, ignoreEvents), nullptr) << SDL_GetError();
    checkColourAndVersion();
    checkExtensions();
}

void readPixel(int x, int y, unsigned char rgba[4])
{
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
