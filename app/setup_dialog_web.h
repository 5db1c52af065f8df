// The set-up dialog in a web page: the same face as on the desktop, drawn on
// the page's canvas through the show's WebGL 2 context with Dear ImGui's
// OpenGL ES 3 backend, one frame per browser frame. Only the web build has it.
#pragma once
#include <SDL.h>

#include <vector>

#include "app/setup_choices.h"

struct WebDialog {
    SetupDialogState state;
    unsigned splash = 0;  // the splash picture's texture
    bool firstFrame = true;
};

// The canvas sizes the page offers as display modes (32 bits, 60 Hz).
std::vector<DisplayMode> canvasModes();

// Sizes the canvas to the dialog and sets up ImGui on the current context.
// preselect ("WxH", may be null) selects that canvas size instead of the
// usual 640 x 480.
void openWebDialog(WebDialog* dialog, SDL_Window* window, const char* preselect);
// One event for the dialog: its result ("Run" by Enter, "Exit" when the
// page asks to quit) or -1.
int webDialogEvent(WebDialog* dialog, const SDL_Event& event, SetupChoices* choices);
// Draws one frame of the dialog: its result once a button is pressed, else -1.
int webDialogFrame(WebDialog* dialog, SetupChoices* choices);
// Gives ImGui's objects back; the GL state is the show's again.
void closeWebDialog(WebDialog* dialog);
