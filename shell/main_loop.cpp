// Start-up, message loop, frame epilogue and shutdown.
#include "shell/main_loop.h"

#include <GL/gl.h>

#include "music/music.h"
#include "render/render_state.h"
#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "show/timeline.h"
#include "textures/precalc.h"

void startUp()
{
    runSetup();

    ScopeTimer* precalc = scopeBegin("precalc");
    precalcAssets();
    scopeEnd(precalc);

    resetRenderState();
    swapBuffers();
    sleepMs(2000);
    showStarted++;
    startMusic("data/tune.mp3", 128.0f, loopMusic);
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
