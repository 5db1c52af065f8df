// The platform layer: window, OpenGL context, events, message box, cursor,
// sleep and display modes, all on SDL2. Only platform/, music/ (the sound
// output) and app/ (events and the dialog) talk to SDL directly.
#pragma once
#include <SDL.h>

#include "platform/display.h"

// One display mode of display 0. bitsPerPixel is bytes per pixel x 8 (SDL
// reports 24 bits for 32-bit XRGB formats); refreshRate 0 means unknown.
struct DisplayMode {
    int width;
    int height;
    int bitsPerPixel;
    int refreshRate;
};

// First thing in main: fatal errors from then on show their box and give the
// display and window back. On Windows: SDL starts without an entry point of its
// own, and the program's folder, which holds data/, becomes the working
// folder. With glibc: large blocks are mapped rather than carved from the
// heap, so a long run does not fragment it.
void preparePlatform();
// Starts SDL's video subsystem once; fatal, with SDL's reason, when no
// display can be opened. Drivers without a screen are used only when
// SDL_VIDEODRIVER names them.
void platformInit();
int displayModeCount();
// index -1 is the current desktop mode. False when there is no such mode.
bool getDisplayMode(int index, DisplayMode* mode);

// Receives every event the main loop takes (the window procedure), with the
// user pointer given to createWindow.
typedef void (*WindowProcedure)(const SDL_Event& event, void* user);

// Opens the show window in display mode displayModeIndex (-1: the desktop
// mode; a mode of unknown size keeps display's size), makes an OpenGL
// context current (depth 32, else 24, else 16 bits) and returns the window,
// or null on any failure; display's size is then the drawable size granted.
// The context is a compatibility one for the fixed-function backend, OpenGL
// ES 3.0 for the shader backend (currentGlBackend). Swaps wait for the
// display's refresh (adaptive where the driver offers it) unless
// vsyncWanted() says otherwise.
SDL_Window* createWindow(Display* display, int displayModeIndex, int fullscreen, int depthBits, const char* title,
                         int x, int y, WindowProcedure windowProcedure, void* user);
// Opens a window of width x height that is never shown, with the same
// context and depth fallback as createWindow, and makes the context current
// (display's size is then the size granted); for rendering without a
// screen, so its swaps never wait. Null on any failure.
SDL_Window* createHiddenWindow(Display* display, int width, int height, int depthBits, const char* title);
// The window createWindow or createHiddenWindow made; null when none is open.
SDL_Window* platformWindow();
// Passes an event to the window procedure given to createWindow.
void dispatchEvent(const SDL_Event& event);
// Takes one pending event without waiting; false when none is pending.
bool pollEvent(SDL_Event* event);

// False when the environment variable VORN_VSYNC is 0 (swaps as fast as
// frames come: for benchmarks), true when it is 1, empty or unset; any
// other value is a fatal error that names it.
bool vsyncWanted();
// The swap interval of the current context as the driver reports it: 0
// without vertical sync, 1 with it, -1 adaptive.
int swapInterval();

void swapBuffers();
void sleepMs(unsigned milliseconds);
void showCursor(bool visible);
// Error box titled "VORN"; returns when the user has closed it. Shows
// nothing when interactiveShell is off.
void showMessageBox(const char* text);
// Back to the desktop mode (harmless when windowed).
void restoreDisplayMode();
// Releases the context and the window and shows the cursor again.
void releaseWindow();
// Looks up an OpenGL entry point of the current context and backend.
void* glProcAddress(const char* name);
