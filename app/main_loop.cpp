// Start-up in steps, the message loop, the frame epilogue and shutdown.
#include "app/main_loop.h"

#include "app/window_procedure.h"
#include "base/fatal.h"
#include "music/music.h"
#include "platform/data_folder.h"
#include "platform/gl_api.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "render/render_state.h"
#include "show/timeline.h"

static constexpr unsigned startPauseMs = 2000;

void initApp(App* app)
{
    app->show.view.display = &app->display;
}

// Every finished start-up item draws a step of the loading bar.
static void loadingStep(void* user)
{
    App* app = (App*)user;
    if (!app->showStarted)
        drawLoadingBar(&app->loadingBar, app->display);
}

ProgressReport loadingBarProgress(App* app)
{
    ProgressReport report;
    report.step = loadingStep;
    report.user = app;
    return report;
}

bool startUpStep(App* app)
{
    StartUp& s = app->startUp;
    switch (s.stage) {
    case STARTUP_CHECKS:
        // What the program needs from the machine is checked before the
        // user is asked anything: the data folder, a display and the sound
        // output.
        enterDataFolder();
        platformInit();
        startSound();
        s.stage = STARTUP_SETUP;
        return false;
    case STARTUP_SETUP:
        if (!runSetup(&app->choices, &app->display, &app->setupLeftovers, loadingBarProgress(app), windowProcedure,
                      &app->music)) {
            quitRequested++;
            return false;
        }
        setupDone(app);
        return false;
    case STARTUP_PRECALC:
        precalcStep(s.nextPrecalcStep++, app->display, app->random, &app->show.assets, &app->precalcLeftovers,
                    loadingBarProgress(app));
        if (s.nextPrecalcStep < precalcStepCount)
            return false;
        scopeEnd(s.precalcTimer);
        resetRenderState(app->show.view);
        swapBuffers();
        s.pauseStart = clockMs();
        s.stage = STARTUP_PAUSE;
        return false;
    case STARTUP_PAUSE:
        if (startPauseLeft(*app) > 0)
            return false;
        app->showStarted++;
        startMusic(&app->music, "data/tune.mp3", showBpm, app->choices.loopMusic);
        s.stage = STARTUP_DONE;
        return true;
    case STARTUP_DONE:
        break;
    }
    return true;
}

void setupDone(App* app)
{
    app->startUp.precalcTimer = scopeBegin("precalc");
    app->startUp.stage = STARTUP_PRECALC;
}

unsigned startPauseLeft(const App& app)
{
    if (app.startUp.stage != STARTUP_PAUSE)
        return 0;
    double left = startPauseMs - (clockMs() - app.startUp.pauseStart);
    return left > 0 ? (unsigned)left : 0;
}

bool startUp(App* app)
{
    while (!startUpStep(app)) {
        takeStartUpEvents();
        if (quitRequested)
            return false;
        unsigned left = startPauseLeft(*app);
        if (left > 0)
            sleepMs(left < 10 ? left : 10);
    }
    return true;
}

void takeStartUpEvents()
{
    SDL_Event event;
    while (pollEvent(&event)) {
        if (event.type == SDL_QUIT)
            quitRequested++;
        dispatchEvent(event);
    }
}

void renderFrame(App* app)
{
    show_frame(app->show, &app->music, app->random);
    swapBuffers();
    GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        fatalError(glErrorName(code));
}

void messageLoop(App* app)
{
    SDL_Event event;
    while (!quitRequested) {
        if (pollEvent(&event)) {
            // The quit event is counted, then dispatched like any other.
            if (event.type == SDL_QUIT)
                quitRequested++;
            dispatchEvent(event);
        } else {
            renderFrame(app);
        }
    }
}

void shutDown(App* app)
{
    stopMusic(&app->music);
    restoreDisplayMode();
    releaseWindow();
}
