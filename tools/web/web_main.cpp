// Entry point of the web build (provisional): the desktop start-up in the
// same order, without the setup dialog, and the show driven by the
// browser's frame callback instead of a loop of its own.
//
// The calls, in order:
//   main:    interactiveShell off, preparePlatform, useGlBackend(shader), enterDataFolder,
//            platformInit, startSound; the dialog's values set here (a
//            window the size of the canvas, 16:9, the music's loop flag
//            from the page); createWindow, setupContext (what runSetup
//            does after the dialog); precalcAssets (blocks the page once;
//            the loading bar it draws is not seen); resetRenderState,
//            swapBuffers; then the frame callback is installed and main
//            returns, leaving the runtime alive.
//   webFrame (each browser frame): the pending events, as the message loop
//            takes them; during the two seconds of black nothing is drawn;
//            then showStarted++ and startMusic once, and renderFrame from
//            then on. Once quitRequested is non-zero: shutDown and no more
//            frames.
// The page reads the state through vornShowTime and vornStage.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <string>

#include "glapi/gl_api.h"
#include "music/music.h"
#include "render/render_state.h"
#include "shell/data_folder.h"
#include "shell/lifecycle.h"
#include "shell/main_loop.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "shell/setup_choices.h"
#include "shell/window_procedure.h"
#include "textures/precalc.h"

// Where the page's run stands; vornStage reports it.
enum WebStage {
    WEB_STARTING,  // before the frame callback runs
    WEB_PAUSE,     // the black pause before the music
    WEB_SHOW,      // the show plays
    WEB_ENDED,     // the show ended (Escape, end of the music); nothing more is drawn
};

struct WebRun {
    WebStage stage;
    double pauseStart;  // clockMs() when the black pause began
    float frameTime;    // show time of the frame drawn last, patterns
};

static WebRun webRun = {WEB_STARTING, 0.0, 0.0f};

static const unsigned startPauseMs = 2000;

// The show time of the frame drawn last, in patterns (0 before the show).
extern "C" EMSCRIPTEN_KEEPALIVE double vornShowTime()
{
    return webRun.frameTime;
}

// 0 starting, 1 black pause, 2 show, 3 ended.
extern "C" EMSCRIPTEN_KEEPALIVE int vornStage()
{
    return (int)webRun.stage;
}

static void endShow()
{
    shutDown();
    webRun.stage = WEB_ENDED;
    emscripten_cancel_main_loop();
}

static void webFrame()
{
    SDL_Event event;
    while (pollEvent(&event)) {
        // The quit event is counted, then dispatched like any other.
        if (event.type == SDL_QUIT)
            quitRequested++;
        dispatchEvent(event);
    }
    if (quitRequested) {
        endShow();
        return;
    }
    if (webRun.stage == WEB_PAUSE) {
        if (clockMs() - webRun.pauseStart < startPauseMs)
            return;
        showStarted++;
        startMusic("data/tune.mp3", 128.0f, loopMusic);
        webRun.stage = WEB_SHOW;
    }
    renderFrame();
    // The time show_frame drew: the held one while Pause holds the show.
    webRun.frameTime = frozenTime != 0.0f ? frozenTime : showTime;
}

// The choices the dialog would make: a window the size of the page's
// canvas, not full screen, a 16:9 picture; the music loops when the page
// passes "loop" as the first argument.
static void chooseDefaults(int argc, char** argv)
{
    int width = 0, height = 0;
    emscripten_get_canvas_element_size("#canvas", &width, &height);
    if (width < 512 || height < 256)
        fatalError("The page's canvas must be at least 512 x 256 pixels.");
    screenWidth = width;
    screenHeight = height;
    displayModeIndex = -1;
    fullscreen = 0;
    loopMusic = argc > 1 && std::string(argv[1]) == "loop";
    aspectForItem(2, &aspectRatio, &aspectFactor);
}

int main(int argc, char** argv)
{
    // The page shows a failure's message itself (no alert box), and the
    // timings that profiling scopes print, several a frame, stay off the
    // browser's console.
    interactiveShell = false;
    preparePlatform();
    useGlBackend(GL_BACKEND_SHADER);
    enterDataFolder();
    platformInit();
    startSound();

    chooseDefaults(argc, argv);
    if (!createWindow(fullscreen, 32, "VORN", 0, 0, windowProcedure))
        fatalError("Init failed!");
    setupContext();

    precalcAssets();

    resetRenderState();
    swapBuffers();
    webRun.stage = WEB_PAUSE;
    webRun.pauseStart = clockMs();
    // The browser's frame rate; main returns at once.
    emscripten_set_main_loop(webFrame, 0, 0);
    return 0;
}
