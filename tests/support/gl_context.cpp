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
    displayModeIndex = -1;
    ASSERT_NE(createWindow(0, 32, "VORN test", 0, 0, ignoreEvents), nullptr) << SDL_GetError();
    checkColourAndVersion();
    checkExtensions();
}

void readPixel(int x, int y, unsigned char rgba[4])
{
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
