// The one hidden window with a current GL context that every benchmark of a
// run shares: 1280 x 720, the largest frame measured. A benchmark that draws
// a smaller frame sets screenWidth / screenHeight and uses the lower-left
// corner.
#pragma once
#include <cstdlib>

#include "shell/gl_checks.h"
#include "shell/platform.h"
#include "shell/setup.h"

inline void benchIgnoreEvents(const SDL_Event&) {}

// Opens the window on the first call; false when no context can be made.
inline bool benchContext()
{
    if (hWnd)
        return true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    screenWidth = 1280;
    screenHeight = 720;
    displayModeIndex = -1;
    if (!createWindow(0, 32, "VORN bench", 0, 0, benchIgnoreEvents))
        return false;
    checkColourAndVersion();
    checkExtensions();
    return true;
}
