// The window procedure: the developer keys and the window's close request.
#pragma once
#include <SDL.h>

// user is the MusicClock the keys act on.
void windowProcedure(const SDL_Event& event, void* user);
