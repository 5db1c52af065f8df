// The program's state from start-up to shutdown, in one place: what the
// dialog chose, the display, the show, the loading bar, what set-up and
// pre-calculation leave behind, and how far start-up has come.
#pragma once
#include "app/loading_bar.h"
#include "app/setup.h"
#include "app/setup_choices.h"
#include "base/clock.h"
#include "base/random.h"
#include "music/music.h"
#include "platform/display.h"
#include "show/assets.h"
#include "show/show.h"

// The stages of start-up, in order; startUpStep does one piece of one.
enum StartUpStage {
    STARTUP_CHECKS,   // the data folder, the display and the sound output
    STARTUP_SETUP,    // the dialog, the window and context, the set-up work
    STARTUP_PRECALC,  // one pre-calculation step per call
    STARTUP_PAUSE,    // two seconds of black, then the music starts
    STARTUP_DONE,     // the show runs
};

struct StartUp {
    StartUpStage stage = STARTUP_CHECKS;
    int nextPrecalcStep = 0;
    ScopeTimer* precalcTimer = nullptr;  // the "precalc" timing line's scope
    double pauseStart = 0.0;             // clockMs() when the black pause began
};

struct App {
    SetupChoices choices;
    Display display;
    Show show;  // its view draws on display
    RandomState random;  // the run's random numbers: the pre-calculation's first, then the frames'
    MusicClock music;
    SetupLeftovers setupLeftovers;
    PrecalcLeftovers precalcLeftovers;
    LoadingBar loadingBar;
    int showStarted = 0;  // 0 during start-up (the loading bar draws), 1 once the show runs
    StartUp startUp;
};

// Links the show's view to the app's display; before anything else.
void initApp(App* app);
