// Start-up, message loop, frame epilogue and shutdown.
#include "shell/main_loop.h"

#include <cstdlib>

#include "glapi/gl_api.h"
#include "music/music.h"
#include "render/render_state.h"
#include "shell/data_folder.h"
#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "show/timeline.h"
#include "textures/precalc.h"

void startUp()
{
    // What the program needs from the machine is checked before the user
    // is asked anything: the data folder, a display and the sound output.
    enterDataFolder();
    platformInit();
    startSound();
    runSetup();

    ScopeTimer* precalc = scopeBegin("precalc");
    precalcAssets();
    scopeEnd(precalc);

    resetRenderState();
    swapBuffers();
    startPause(2000);
    showStarted++;
    startMusic("data/tune.mp3", 128.0f, loopMusic);
}

void takeStartUpEvents()
{
    SDL_Event event;
    while (pollEvent(&event)) {
        if (event.type == SDL_QUIT)
            quitRequested++;
        dispatchEvent(event);
    }
    if (quitRequested) {
        shutDown();
        std::exit(0);
    }
}

void startPause(unsigned milliseconds)
{
    double start = clockMs();
    for (;;) {
        takeStartUpEvents();
        double left = milliseconds - (clockMs() - start);
        if (left <= 0)
            break;
        sleepMs(left < 10 ? (unsigned)left : 10);
    }
}

void renderFrame()
{
    show_frame();
    swapBuffers();
    GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        fatalError(glErrorName(code));
}

void messageLoop()
{
    SDL_Event event;
    while (!quitRequested) {
        if (pollEvent(&event)) {
            // The quit event is counted, then dispatched like any other.
            if (event.type == SDL_QUIT)
                quitRequested++;
            dispatchEvent(event);
        } else {
            renderFrame();
        }
    }
}

void shutDown()
{
    stopMusic();
    restoreDisplayMode();
    releaseWindow();
}
