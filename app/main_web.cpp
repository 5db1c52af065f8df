// Entry point of the web build: the desktop's start-up and show, driven by
// the browser's frame callback instead of loops of their own. Each browser
// frame takes the page's events and draws a frame of the set-up dialog,
// does one step of start-up (so the loading bar is seen growing, one item a
// frame) or draws one frame of the show.
//
// The setup stage is the page's own: the window is the page's canvas, where
// the dialog is drawn first; its display modes are canvas sizes (the page's
// ?mode=WxH preselects one), "Fullscr" asks the browser for its full
// screen. Pressing "Run" is the gesture that lets Web Audio start. The page
// reads where the run stands through vornStage and the show time drawn last
// through vornShowTime.
#include <emscripten.h>
#include <emscripten/html5.h>

#include "app/main_loop.h"
#include "app/setup_dialog_ui.h"
#include "app/setup_dialog_web.h"
#include "app/window_procedure.h"
#include "base/fatal.h"
#include "platform/gl_table.h"
#include "platform/window.h"

static App app;
static WebDialog dialog;
static bool dialogOpen = false;
static bool ended = false;
static float frameTime = 0.0f;  // show time of the frame drawn last, patterns

// 0 starting (checks, set-up, pre-calculation), 1 the black pause, 2 the
// show, 3 ended (Escape, the end of the music, "Exit"; nothing is drawn
// after it), 4 the dialog.
extern "C" EMSCRIPTEN_KEEPALIVE int vornStage()
{
    if (ended)
        return 3;
    if (dialogOpen)
        return 4;
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

// The window first (the canvas's WebGL 2 context, which the dialog draws
// on too), then the dialog.
static void openDialog(const char* preselect)
{
    app.display.width = (int)dialogWidth;
    app.display.height = (int)dialogHeight;
    if (!createWindow(&app.display, -1, 0, 32, "VORN", 0, 0, windowProcedure, &app.music))
        fatalError("Init failed!");
    openWebDialog(&dialog, platformWindow(), preselect);
    dialogOpen = true;
}

// "Run": the canvas at the chosen size (in the browser's full screen when
// asked), then the set-up work, as runSetup does it after the dialog.
static void runChoices()
{
    closeWebDialog(&dialog);
    dialogOpen = false;
    const DisplayMode mode = canvasModes()[app.choices.displayModeIndex];
    SDL_Window* window = platformWindow();
    SDL_SetWindowSize(window, mode.width, mode.height);
    if (app.choices.fullscreen)
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    SDL_GL_GetDrawableSize(window, &app.display.width, &app.display.height);
    app.display.aspectRatio = app.choices.aspectRatio;
    app.display.aspectFactor = app.choices.aspectFactor;
    setupContext(&app.display, &app.setupLeftovers, loadingBarProgress(&app));
    setupDone(&app);
}

// A browser frame of the dialog: its events, then its picture.
static void dialogFrame()
{
    int result = -1;
    SDL_Event event;
    while (result < 0 && pollEvent(&event))
        result = webDialogEvent(&dialog, event, &app.choices);
    if (result < 0)
        result = webDialogFrame(&dialog, &app.choices);
    if (result == 1)
        runChoices();
    else if (result == 0)
        quitRequested++;
}

static void endShow()
{
    shutDown(&app);
    ended = true;
    emscripten_cancel_main_loop();
}

static void webFrame()
{
    if (dialogOpen) {
        dialogFrame();
        if (quitRequested) {
            closeWebDialog(&dialog);
            dialogOpen = false;
            endShow();
        }
        return;
    }
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

// The page may pass a canvas size "WxH" for the dialog to preselect (its
// address's ?mode=WxH).
int main(int argc, char** argv)
{
    // The page shows a failure's message itself (no alert box), and the
    // timing lines, several a frame, stay off the browser's console.
    interactiveShell = false;
    preparePlatform();
    useGlBackend(GL_BACKEND_SHADER);
    initApp(&app);
    // The checks, then the dialog, before the first browser frame.
    startUpStep(&app);
    openDialog(argc > 1 ? argv[1] : nullptr);
    // At the browser's frame rate; main returns at once.
    emscripten_set_main_loop(webFrame, 0, 0);
    return 0;
}
