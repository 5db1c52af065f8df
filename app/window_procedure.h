// The window procedure: the developer keys and the window's close request.
#pragma once
#include <SDL.h>

void windowProcedure(const SDL_Event& event);
