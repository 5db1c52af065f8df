// The set-up dialog titled "VORN": splash picture, display modes, aspect
// ratio, "Fullscr" and "Loop", "Exit" and "Run", in its own small window
// opened and closed before the show window exists.
#pragma once
#include <SDL.h>

#include "app/setup_choices.h"

// Lists the display modes of display 0 (none qualifying is fatal), runs the
// dialog and returns 1 for "Run" (the choices stored) or 0 for "Exit" and
// for closing it.
int runSetupDialog(SetupChoices* choices);
// Runs the dialog from a prepared state, which it updates as the user
// chooses. Enter is "Run"; Escape does nothing.
int runSetupDialogWith(SetupDialogState* state, SetupChoices* choices);

// The splash picture (rows of RGB bytes) as a texture of the renderer; a
// picture that is missing or cannot be made is fatal (message 0016).
SDL_Texture* loadSplashTexture(SDL_Renderer* renderer, const unsigned char* pixels, int width, int height);
