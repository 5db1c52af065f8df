// Keys and window events of the show window.
#include "shell/window_procedure.h"

#include "shell/lifecycle.h"

void windowProcedure(const SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        // Closing the window ends the show through the quit event.
        SDL_Event quit;
        SDL_zero(quit);
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        return;
    }
    if (event.type != SDL_KEYDOWN)
        return;
    switch (event.key.keysym.sym) {
    case SDLK_ESCAPE:
        quitRequested++;
        break;
    default:
        break;
    }
}
