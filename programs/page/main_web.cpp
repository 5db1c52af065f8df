// Entry point of the web build: the desktop's start-up and show, driven by
// the browser's frame callback instead of loops of their own. Each browser
// frame takes the page's events and draws a frame of the set-up dialog,
// does one step of start-up (so the loading bar is seen growing, one item a
// frame) or draws one frame of the show.
//
// The window is the page's canvas, where the dialog is drawn first. Its
// mode list offers picture sizes (the page's ?mode=WxH preselects the one
// of that height); the page sizes the canvas on the screen, scaled to fit
// the window. Full screen and the sound need a gesture of the user, so the
// page itself asks for them within the press that runs the show, asking
// webDialogRunsFullscreen what that press does.
//
// The page reads where the run stands through vornStage and the show time
// drawn last through vornShowTime, and acts through the other vorn*
// functions: the show without sound, playing again, the dialog again.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>

#include "app/main_loop.h"
#include "app/setup_dialog_ui.h"
#include "app/window_procedure.h"
#include "base/fatal.h"
#include "glshader/shader_gl.h"
#include "music/music.h"
#include "music/sound.h"
#include "platform/gl_api.h"
#include "platform/gl_checks.h"
#include "platform/gl_table.h"
#include "platform/window.h"
#include "programs/page/setup_dialog_web.h"
#include "show/timeline.h"

// Where the run stands, as the page reads it.
enum PageStage {
    PAGE_STARTING = 0,  // checks, set-up, pre-calculation
    PAGE_PAUSE = 1,     // the black pause before the music
    PAGE_SHOW = 2,
    PAGE_ENDED = 3,     // Escape or the end of the music; vornPlayAgain plays it again
    PAGE_DIALOG = 4,
    PAGE_LEFT = 5,      // "Exit" in the dialog; vornOpenDialog opens it again
};

struct WebPage {
    App app;
    WebDialog dialog;
    PageStage stage = PAGE_STARTING;
    float frameTime = 0.0f;  // show time of the frame drawn last, patterns
    int pictureLines = 0;    // the chosen picture height; 0 follows the window
    const char* preselect = nullptr;
};

// The size of the page's window in its layout pixels.
EM_JS(double, pageWindowWidth, (), { return document.documentElement.clientWidth || window.innerWidth; });
EM_JS(double, pageWindowHeight, (), { return document.documentElement.clientHeight || window.innerHeight; });

static WebPage page;

// The largest picture of the chosen aspect the window holds, in the
// screen's pixels, at most 1440 lines (what phones and software renderers
// keep up with).
static void windowPictureSize(float aspectRatio, int* width, int* height)
{
    double ratio = emscripten_get_device_pixel_ratio();
    double w = pageWindowWidth() * ratio, h = pageWindowHeight() * ratio;
    if (w / h > aspectRatio)
        w = h * aspectRatio;
    else
        h = w / aspectRatio;
    if (h > 1440) {
        w *= 1440 / h;
        h = 1440;
    }
    *width = std::max(1, (int)std::lround(w));
    *height = std::max(1, (int)std::lround(h));
}

// The canvas's pixels for the show (the page scales it on the screen).
static void sizeCanvas(Display* display, int width, int height)
{
    emscripten_set_canvas_element_size("#canvas", width, height);
    emscripten_get_canvas_element_size("#canvas", &display->width, &display->height);
}

extern "C" EMSCRIPTEN_KEEPALIVE int vornStage()
{
    if (page.stage == PAGE_STARTING && page.app.startUp.stage == STARTUP_PAUSE)
        return PAGE_PAUSE;
    return page.stage;
}

extern "C" EMSCRIPTEN_KEEPALIVE double vornShowTime()
{
    return page.frameTime;
}

// Whether a press released at (x, y) of the dialog (Enter: x < 0) runs the
// show in full screen.
extern "C" EMSCRIPTEN_KEEPALIVE int vornRunsFullscreen(float x, float y)
{
    return page.stage == PAGE_DIALOG && webDialogRunsFullscreen(page.dialog, x, y);
}

// The show goes on without sound, on a clock of its own.
extern "C" EMSCRIPTEN_KEEPALIVE void vornPlayWithoutSound()
{
    soundPlayWithoutOutput();
}

static void openDialog()
{
    SDL_Window* window = platformWindow();
    openWebDialog(&page.dialog, window, page.preselect, pageWindowWidth(), pageWindowHeight(),
                  (float)emscripten_get_device_pixel_ratio());
    page.stage = PAGE_DIALOG;
}

// After "Exit": the dialog again.
extern "C" EMSCRIPTEN_KEEPALIVE void vornOpenDialog()
{
    if (page.stage != PAGE_LEFT)
        return;
    quitRequested = 0;
    openDialog();
}

// After the end: the show again from its start, as chosen.
extern "C" EMSCRIPTEN_KEEPALIVE void vornPlayAgain()
{
    if (page.stage != PAGE_ENDED)
        return;
    quitRequested = 0;
    if (page.app.startUp.stage != STARTUP_DONE) {
        // Ended during start-up: start-up goes on where it was.
        page.stage = PAGE_STARTING;
        return;
    }
    MusicClock* music = &page.app.music;
    music->frozenTime = 0.0f;
    seekToPattern(*music, 0.0f);
    FSOUND_SetPaused(music->musicChannel, false);
    music->outputHeld = false;
    page.frameTime = 0.0f;
    page.stage = PAGE_SHOW;
}

// "Run": the canvas at the chosen picture size, then the set-up work, as
// runSetup does it after the dialog.
static void runChoices()
{
    closeWebDialog(&page.dialog);
    // The dialog drew on the context around the shader backend.
    sglForgetState();
    App& app = page.app;
    page.pictureLines = pagePictureLines[app.choices.displayModeIndex];
    app.display.aspectRatio = app.choices.aspectRatio;
    app.display.aspectFactor = app.choices.aspectFactor;
    int width, height;
    if (page.pictureLines == 0) {
        windowPictureSize(app.display.aspectRatio, &width, &height);
    } else {
        height = page.pictureLines;
        width = (int)std::lround(height * app.display.aspectRatio);
    }
    sizeCanvas(&app.display, width, height);
    page.stage = PAGE_STARTING;
    if (app.startUp.stage == STARTUP_SETUP) {
        setupContext(&app.display, &app.setupLeftovers, loadingBarProgress(&app));
        setupDone(&app);
    }
}

// A browser frame of the dialog: its events, then its picture.
static void dialogFrame()
{
    int result = -1;
    SDL_Event event;
    while (result < 0 && pollEvent(&event))
        result = webDialogEvent(&page.dialog, event, &page.app.choices);
    if (result < 0)
        result = webDialogFrame(&page.dialog, &page.app.choices);
    if (result == 1) {
        runChoices();
    } else if (result == 0 || quitRequested) {
        closeWebDialog(&page.dialog);
        page.stage = PAGE_LEFT;
    }
}

// The end of a show: its sound held, the canvas black; the assets stay for
// playing again.
static void endShow()
{
    MusicClock* music = &page.app.music;
    FSOUND_SetPaused(music->musicChannel, true);
    music->outputHeld = true;
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    swapBuffers();
    page.stage = PAGE_ENDED;
}

// A frame of the show, on a canvas that follows the window when the
// picture is the window's own size. A GL error is fatal unless the context
// was lost (the page says so).
static void showFrame(App* app)
{
    if (page.pictureLines == 0) {
        // The window's own size follows the window.
        int width, height;
        windowPictureSize(app->display.aspectRatio, &width, &height);
        if (width != app->display.width || height != app->display.height)
            sizeCanvas(&app->display, width, height);
    }
    show_frame(app->show, &app->music, app->random);
    swapBuffers();
    GLenum code = glGetError();
    if (code != GL_NO_ERROR && !emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()))
        fatalError(glErrorName(code));
    // The time show_frame drew: the held one while Pause holds the show.
    page.frameTime = app->music.frozenTime != 0.0f ? app->music.frozenTime : app->music.showTime;
}

static void webFrame()
{
    // A lost context draws nothing; the page offers to start again.
    if (emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context()))
        return;
    App* app = &page.app;
    switch (page.stage) {
    case PAGE_DIALOG:
        dialogFrame();
        return;
    case PAGE_ENDED:
    case PAGE_LEFT: {
        // Keys still come; nothing to do with them.
        SDL_Event event;
        while (pollEvent(&event)) {
        }
        return;
    }
    case PAGE_STARTING: {
        bool running = startUpStep(app);
        takeStartUpEvents();
        if (quitRequested) {
            endShow();
            return;
        }
        if (!running)
            return;
        page.stage = PAGE_SHOW;
        break;
    }
    default:
        break;
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
    showFrame(app);
}

// The page may pass a picture size "WxH" for the dialog to preselect (its
// address's ?mode=WxH).
int main(int argc, char** argv)
{
    // The page shows a failure's message itself (no alert box), and the
    // timing lines, several a frame, stay off the browser's console.
    interactiveShell = false;
    preparePlatform();
    useGlBackend(GL_BACKEND_SHADER);
    initApp(&page.app);
    page.preselect = argc > 1 ? argv[1] : nullptr;
    // The checks, then the window (the canvas's WebGL 2 context, which the
    // dialog draws on too) and the dialog, before the first browser frame.
    startUpStep(&page.app);
    Display* display = &page.app.display;
    display->width = (int)dialogWidth;
    display->height = (int)dialogHeight;
    if (!createWindow(display, -1, 0, 32, "VORN", 0, 0, windowProcedure, &page.app.music))
        fatalError("Init failed!");
    openDialog();
    // At the browser's frame rate; main returns at once.
    emscripten_set_main_loop(webFrame, 0, 0);
    return 0;
}
