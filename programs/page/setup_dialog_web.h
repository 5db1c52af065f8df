// The set-up dialog in a web page: the same face as on the desktop, drawn on
// the page's canvas through the show's WebGL 2 context with Dear ImGui's
// OpenGL ES 3 backend, one frame per browser frame. Only the web build has it.
//
// On a page the mode list offers picture sizes rather than display modes:
// the window's own size (sharp at the device's pixel ratio, following the
// window), or a fixed height scaled to fit the window.
#pragma once
#include <SDL.h>

#include "app/setup_choices.h"

constexpr int pagePictureCount = 5;
// The heights of the mode list's entries; 0 is the window's own size.
constexpr int pagePictureLines[pagePictureCount] = {0, 360, 540, 720, 1080};

struct WebDialog {
    SetupDialogState state;
    unsigned splash = 0;  // the splash picture's texture
    bool firstFrame = true;
};

// The aspect entry (0 4:3, 1 16:10, 2 16:9) nearest to a window's shape.
int aspectItemForShape(double width, double height);

// Sizes the canvas to the dialog (pixelScale canvas pixels per dialog
// pixel) and sets up ImGui on the current context. The mode list holds the
// page's picture sizes; preselect ("WxH", may be null) selects the one of
// that height instead of the window's own size. The aspect entry nearest
// to the window's shape (windowWidth x windowHeight) is preselected.
void openWebDialog(WebDialog* dialog, SDL_Window* window, const char* preselect, double windowWidth,
                   double windowHeight, float pixelScale);
// One event for the dialog: its result ("Run" by Enter, "Exit" when the
// page asks to quit) or -1.
int webDialogEvent(WebDialog* dialog, const SDL_Event& event, SetupChoices* choices);
// Draws one frame of the dialog: its result once a button is pressed, else -1.
int webDialogFrame(WebDialog* dialog, SetupChoices* choices);
// Whether a press released at (x, y) in the dialog's pixels (or Enter, for
// x < 0) runs the show in full screen: the page must ask for it within that
// very event.
bool webDialogRunsFullscreen(const WebDialog& dialog, float x, float y);
// Gives ImGui's objects back; the GL state is the show's again.
void closeWebDialog(WebDialog* dialog);
