// Keys and window events of the show window: the developer controls act on
// the music position, the freeze state and the quit counter only.
#include "app/window_procedure.h"

#include <cmath>

#include "base/fatal.h"
#include "music/music.h"

// Pause: hold the show at this moment, or let it run on from where the
// stream is. A moment whose show time is exactly 0.0 cannot be held.
static void toggleFreeze(MusicClock* music)
{
    if (music->frozenTime != 0.0f) {
        music->frozenTime = 0.0f;
        return;
    }
    music->frozenTime = streamShowTime(*music);
}

// PgUp and PgDn: one pattern back or forward from the current one. While
// frozen the step lasts only until the next frame puts the stream back, so
// it starts from the held time without the freeze pause: a burst of keys
// must not hold the program up for a tenth of a second per key.
static void stepPattern(MusicClock* music, int direction)
{
    double from = music->frozenTime != 0.0f ? music->frozenTime : currentShowTime(music);
    seekToPattern(*music, (float)(std::floor(from) + direction));
}

void windowProcedure(const SDL_Event& event, void* user)
{
    MusicClock* music = (MusicClock*)user;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) {
        // Closing the window ends the show through the quit event.
        SDL_Event quit;
        SDL_zero(quit);
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        return;
    }
    // Auto-repeated key presses arrive as key-downs too and repeat the action.
    if (event.type != SDL_KEYDOWN)
        return;
    switch (event.key.keysym.sym) {
    case SDLK_PAUSE:
        toggleFreeze(music);
        break;
    case SDLK_ESCAPE:
        quitRequested++;
        break;
    case SDLK_PAGEUP:
        stepPattern(music, -1);
        break;
    case SDLK_PAGEDOWN:
        stepPattern(music, +1);
        break;
    case SDLK_HOME:
        seekToPattern(*music, 0.0f);
        break;
    default:
        break;
    }
}
