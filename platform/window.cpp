// SDL2 implementation of the platform layer.
#include "platform/window.h"

#include <cstdio>
#include <string>
#ifdef _WIN32
#include <windows.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "base/fatal.h"
#include "platform/gl_table.h"

// The one window and its context; null when they do not exist.
static SDL_Window* hWnd = nullptr;
static SDL_GLContext hRC = nullptr;

static WindowProcedure currentWindowProcedure = nullptr;
static void* windowProcedureUser = nullptr;
static bool videoStarted = false;

// libwayland finds its display socket in XDG_RUNTIME_DIR unless
// WAYLAND_DISPLAY is a full path; without either it cannot connect, and
// says so on standard error ("XDG_RUNTIME_DIR is invalid or not set").
static bool waylandCanConnect()
{
    const char* runtime = SDL_getenv("XDG_RUNTIME_DIR");
    const char* display = SDL_getenv("WAYLAND_DISPLAY");
    return (runtime && *runtime) || (display && display[0] == '/');
}

// SDL falls back to a driver without a screen when no real one starts; the
// show would then go on invisibly. Unless a driver is asked for by name
// (SDL_VIDEODRIVER), only those with a screen are tried, and Wayland only
// where it can connect.
static void tryOnlyDriversWithAScreen()
{
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (asked && *asked)
        return;
    std::string drivers;
    for (int i = 0; i < SDL_GetNumVideoDrivers(); i++) {
        std::string name = SDL_GetVideoDriver(i);
        if (name == "offscreen" || name == "dummy" || name == "evdev" || (name == "wayland" && !waylandCanConnect()))
            continue;
        drivers += (drivers.empty() ? "" : ",") + name;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

// A fatal error's box, then the display and the window given back.
static void fatalCleanup(const char* text)
{
    showMessageBox(text);
    restoreDisplayMode();
    releaseWindow();
}

void preparePlatform()
{
    setFatalCleanup(fatalCleanup);
#ifdef _WIN32
    SDL_SetMainReady();
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    while (length > 0 && path[length - 1] != L'\\')
        length--;
    path[length] = 0;
    SetCurrentDirectoryW(path);
#endif
#ifdef __GLIBC__
    // The GL driver takes and frees blocks of a megabyte now and then while
    // the show runs. Carved from the heap, they leave holes that small
    // long-lived blocks pin, and the heap creeps up a megabyte at a time
    // over the minutes; blocks from 256 KiB up are mapped and given back to
    // the system instead.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

void platformInit()
{
    if (videoStarted)
        return;
    setFatalCleanup(fatalCleanup);
    tryOnlyDriversWithAScreen();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        const char* display = SDL_getenv("DISPLAY");
        const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
        bool unset = (!display || !*display) && (!wayland || !*wayland);
        char text[512];
        std::snprintf(text, sizeof text, "No display could be opened: %s%s", SDL_GetError(),
                      unset ? " (DISPLAY and WAYLAND_DISPLAY are unset)" : "");
        fatalError(text);
    }
    videoStarted = true;
}

int displayModeCount()
{
    platformInit();
    int count = SDL_GetNumDisplayModes(0);
    return count < 0 ? 0 : count;
}

static void toDisplayMode(const SDL_DisplayMode& sdlMode, DisplayMode* mode)
{
    mode->width = sdlMode.w;
    mode->height = sdlMode.h;
    mode->bitsPerPixel = SDL_BYTESPERPIXEL(sdlMode.format) * 8;
    mode->refreshRate = sdlMode.refresh_rate;
}

bool getDisplayMode(int index, DisplayMode* mode)
{
    platformInit();
    SDL_DisplayMode sdlMode;
    int result = index < 0 ? SDL_GetDesktopDisplayMode(0, &sdlMode) : SDL_GetDisplayMode(0, index, &sdlMode);
    if (result != 0)
        return false;
    toDisplayMode(sdlMode, mode);
    return true;
}

// One attempt at a window with a context of the given depth size. The GL
// attributes choose the window's visual, so each attempt needs its own window.
static bool openWindowWithDepth(int width, int height, int depthBits, const char* title, int x, int y,
                                int fullscreen, const SDL_DisplayMode* sdlMode)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The shader backend draws on OpenGL ES 3.0, what WebGL 2 offers.
    if (currentGlBackend() == GL_BACKEND_SHADER) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    }

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
#ifdef __EMSCRIPTEN__
    // A page's canvas has as many pixels as the screen shows, not as many
    // as its layout counts.
    flags |= SDL_WINDOW_ALLOW_HIGHDPI;
#endif
    if (fullscreen)
        flags |= SDL_WINDOW_FULLSCREEN;
    hWnd = SDL_CreateWindow(title, fullscreen ? 0 : x, fullscreen ? 0 : y, width, height, flags);
    if (!hWnd)
        return false;
    if (fullscreen && sdlMode && SDL_SetWindowDisplayMode(hWnd, sdlMode) != 0) {
        SDL_DestroyWindow(hWnd);
        hWnd = nullptr;
        return false;
    }
    hRC = SDL_GL_CreateContext(hWnd);
    if (!hRC) {
        SDL_DestroyWindow(hWnd);
        hWnd = nullptr;
        return false;
    }
    return true;
}

// Tries each depth in turn, from the requested one down: the system chose the
// closest pixel format rather than failing.
static bool openWindowWithSomeDepth(int width, int height, int depthBits, const char* title, int x, int y,
                                    int fullscreen, const SDL_DisplayMode* sdlMode)
{
    const int depths[] = {depthBits, 24, 16};
    for (int depth : depths) {
        if (depth > depthBits)
            continue;
        if (openWindowWithDepth(width, height, depth, title, x, y, fullscreen, sdlMode))
            return true;
    }
    return false;
}

// Makes the new context current, starts the GL backend on it, sets the
// swap interval (vsync on or off) and reads the size granted.
static bool makeWindowCurrent(Display* display, bool vsync)
{
    if (SDL_GL_MakeCurrent(hWnd, hRC) != 0 || !startGlBackend())
        return false;
    // Adaptive sync where the driver offers it (a late frame is shown at
    // once instead of a whole refresh later), else one swap per refresh.
    if (!vsync || SDL_GL_SetSwapInterval(-1) != 0)
        SDL_GL_SetSwapInterval(vsync ? 1 : 0);
    // The system may not grant the mode (virtual displays, Wayland).
    SDL_GL_GetDrawableSize(hWnd, &display->width, &display->height);
    return true;
}

bool vsyncWanted()
{
    const char* value = SDL_getenv("VORN_VSYNC");
    if (!value || !*value || std::string(value) == "1")
        return true;
    if (std::string(value) == "0")
        return false;
    fatalError(("VORN_VSYNC must be 1 (vertical sync, the default) or 0 (none), not '" + std::string(value) + "'.")
                   .c_str());
}

int swapInterval()
{
    return SDL_GL_GetSwapInterval();
}

SDL_Window* createWindow(Display* display, int displayModeIndex, int fullscreen, int depthBits, const char* title,
                         int x, int y, WindowProcedure windowProcedure, void* user)
{
    platformInit();
    SDL_DisplayMode sdlMode;
    int result = displayModeIndex < 0 ? SDL_GetDesktopDisplayMode(0, &sdlMode)
                                      : SDL_GetDisplayMode(0, displayModeIndex, &sdlMode);
    if (result != 0)
        return nullptr;
#ifndef __EMSCRIPTEN__
    // Virtual drivers may report a mode of unknown size: keep the defaults.
    // (In a web page the window is the canvas, of the size the caller set.)
    if (sdlMode.w > 0 && sdlMode.h > 0) {
        display->width = sdlMode.w;
        display->height = sdlMode.h;
    }
#endif
    currentWindowProcedure = windowProcedure;
    windowProcedureUser = user;
    bool vsync = vsyncWanted();

    if (!openWindowWithSomeDepth(display->width, display->height, depthBits, title, x, y, fullscreen,
                                 displayModeIndex < 0 ? nullptr : &sdlMode))
        return nullptr;
    showCursor(!fullscreen);
    SDL_ShowWindow(hWnd);
    if (!makeWindowCurrent(display, vsync))
        return nullptr;
#ifndef __EMSCRIPTEN__
    // (A page cannot wait without holding up the browser.)
    sleepMs(1000);
#endif
    return hWnd;
}

SDL_Window* createHiddenWindow(Display* display, int width, int height, int depthBits, const char* title)
{
    platformInit();
    display->width = width;
    display->height = height;
    currentWindowProcedure = nullptr;
    if (!openWindowWithSomeDepth(width, height, depthBits, title, 0, 0, 0, nullptr))
        return nullptr;
    return makeWindowCurrent(display, false) ? hWnd : nullptr;
}

SDL_Window* platformWindow()
{
    return hWnd;
}

void dispatchEvent(const SDL_Event& event)
{
    if (currentWindowProcedure)
        currentWindowProcedure(event, windowProcedureUser);
}

bool pollEvent(SDL_Event* event)
{
    return SDL_PollEvent(event) != 0;
}

void swapBuffers()
{
    if (hWnd)
        SDL_GL_SwapWindow(hWnd);
}

void sleepMs(unsigned milliseconds)
{
    SDL_Delay(milliseconds);
}

void showCursor(bool visible)
{
    if (videoStarted)
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void showMessageBox(const char* text)
{
    if (!interactiveShell)
        return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "VORN", text, nullptr);
}

void restoreDisplayMode()
{
    if (hWnd && (SDL_GetWindowFlags(hWnd) & SDL_WINDOW_FULLSCREEN))
        SDL_SetWindowFullscreen(hWnd, 0);
}

void releaseWindow()
{
    if (hRC) {
        if (SDL_GL_GetCurrentContext() == hRC)
            stopGlBackend();
        SDL_GL_MakeCurrent(hWnd, nullptr);
        SDL_GL_DeleteContext(hRC);
        hRC = nullptr;
    }
    if (hWnd) {
        SDL_DestroyWindow(hWnd);
        hWnd = nullptr;
    }
    showCursor(true);
}

void* glProcAddress(const char* name)
{
    return glApi.ProcAddress(name);
}
