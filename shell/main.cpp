// Entry point: start-up, the message loop rendering frames back to back, and
// the orderly shutdown.
#include <GL/gl.h>

#include "music/music.h"
#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "show/timeline.h"

static void startUp()
{
    runSetup();

    ScopeTimer* precalc = scopeBegin("precalc");
    scopeEnd(precalc);

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    swapBuffers();
    sleepMs(2000);
    showStarted++;
    startMusic("data/tune.mp3", 128.0f, loopMusic);
}

static void renderFrame()
{
    show_frame();
    swapBuffers();
    GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        fatalError(glErrorName(code));
}

static void messageLoop()
{
    SDL_Event event;
    while (!quitRequested) {
        if (pollEvent(&event)) {
            if (event.type == SDL_QUIT)
                quitRequested++;
            dispatchEvent(event);
        } else {
            renderFrame();
        }
    }
}

static void shutDown()
{
    stopMusic();
    restoreDisplayMode();
    releaseWindow();
}

int main()
{
    startUp();
    messageLoop();
    shutDown();
    return 0;
}
