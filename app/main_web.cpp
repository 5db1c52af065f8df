// Entry point of the web build: the desktop's start-up and show, driven by
// the browser's frame callback instead of loops of their own. Each browser
// frame takes the page's events and does one step of start-up (so the
// loading bar is seen growing, one item a frame) or draws one frame of the
// show. The page calls main when its "Run" is pressed, which is also what
// lets Web Audio start.
//
// The setup stage is the page's: the window is the page's canvas at its
// size, the picture 16:9, not full screen; the music loops when the page
// passes "loop". The page reads where the run stands through vornStage and
// the show time drawn last through vornShowTime.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <string>

#include "app/main_loop.h"
#include "app/window_procedure.h"
#include "base/fatal.h"
#include "platform/gl_table.h"
#include "platform/window.h"

static App app;
static bool ended = false;
static float frameTime = 0.0f;  // show time of the frame drawn last, patterns

// 0 starting (checks, set-up, pre-calculation), 1 the black pause, 2 the
// show, 3 ended (Escape, the end of the music); nothing is drawn after it.
extern "C" EMSCRIPTEN_KEEPALIVE int vornStage()
{
    if (ended)
        return 3;
    switch (app.startUp.stage) {
    case STARTUP_PAUSE: return 1;
    case STARTUP_DONE: return 2;
    default: return 0;
    }
}

extern "C" EMSCRIPTEN_KEEPALIVE double vornShowTime()
{
    return frameTime;
}

// The page's set-up in place of the dialog: the canvas as it is, 16:9, in
// the page, the music's loop flag from the page; then the window (the
// canvas's WebGL 2 context) and the set-up work, as runSetup does them.
static void pageSetup(bool loop)
{
    int width = 0, height = 0;
    emscripten_get_canvas_element_size("#canvas", &width, &height);
    if (width < 512 || height < 256)
        fatalError("The page's canvas must be at least 512 x 256 pixels.");
    app.display.width = width;
    app.display.height = height;
    app.choices.displayModeIndex = -1;
    app.choices.fullscreen = 0;
    app.choices.loopMusic = loop ? 1 : 0;
    aspectForItem(2, &app.choices.aspectRatio, &app.choices.aspectFactor);
    app.display.aspectRatio = app.choices.aspectRatio;
    app.display.aspectFactor = app.choices.aspectFactor;
    if (!createWindow(&app.display, -1, 0, 32, "VORN", 0, 0, windowProcedure, &app.music))
        fatalError("Init failed!");
    setupContext(&app.display, &app.setupLeftovers, loadingBarProgress(&app));
    setupDone(&app);
}

static void endShow()
{
    shutDown(&app);
    ended = true;
    emscripten_cancel_main_loop();
}

static void webFrame()
{
    if (app.startUp.stage != STARTUP_DONE) {
        bool running = startUpStep(&app);
        takeStartUpEvents();
        if (quitRequested)
            endShow();
        if (!running)
            return;
    }
    // The message loop's round: every pending event, then one frame.
    SDL_Event event;
    while (pollEvent(&event)) {
        if (event.type == SDL_QUIT)
            quitRequested++;
        dispatchEvent(event);
    }
    if (quitRequested) {
        endShow();
        return;
    }
    renderFrame(&app);
    // The time show_frame drew: the held one while Pause holds the show.
    frameTime = app.music.frozenTime != 0.0f ? app.music.frozenTime : app.music.showTime;
}

int main(int argc, char** argv)
{
    // The page shows a failure's message itself (no alert box), and the
    // timing lines, several a frame, stay off the browser's console.
    interactiveShell = false;
    preparePlatform();
    useGlBackend(GL_BACKEND_SHADER);
    initApp(&app);
    // The checks, then the page's set-up, before the first browser frame.
    startUpStep(&app);
    pageSetup(argc > 1 && std::string(argv[1]) == "loop");
    // At the browser's frame rate; main returns at once.
    emscripten_set_main_loop(webFrame, 0, 0);
    return 0;
}
