// The one hidden window with a current GL context that every benchmark of a
// run shares: 1280 x 720, the largest frame measured. A benchmark that draws
// a smaller frame sets the display's size and uses the lower-left corner.
#pragma once
#include <cstdlib>

#include "platform/gl_checks.h"
#include "platform/window.h"
#include "show/show.h"

inline void benchIgnoreEvents(const SDL_Event&, void*) {}

// The benchmarks' display (16:9) and a show whose view draws on it.
inline Display& benchDisplay()
{
    static Display display;
    return display;
}
inline Show& benchShow()
{
    static Show show;
    show.view.display = &benchDisplay();
    return show;
}

// Opens the window on the first call; false when no context can be made.
inline bool benchContext()
{
    if (platformWindow())
        return true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // Frames as fast as they come, whatever display the window is on.
    setenv("VORN_VSYNC", "0", 1);
    Display& display = benchDisplay();
    display.width = 1280;
    display.height = 720;
    display.aspectRatio = 16.0f / 9.0f;
    display.aspectFactor = 1.0f;
    if (!createWindow(&display, -1, 0, 32, "VORN bench", 0, 0, benchIgnoreEvents, nullptr))
        return false;
    checkColourAndVersion(&display.gl);
    checkExtensions(&display.gl);
    return true;
}
