// The program's spine: start-up one step at a time, the message loop, one
// frame, shutdown. Nothing here blocks in a loop of its own but startUp and
// messageLoop, which the desktop runs; a browser calls startUpStep and
// renderFrame from its frame callback instead.
#pragma once
#include "app/app.h"

// The next piece of start-up: the data folder, the display and the sound
// output; setup (dialog, window, context); each step of the asset
// pre-calculation; a black frame and the start pause; the music. Returns
// true once the show runs. "Exit" in the dialog counts as a quit request.
bool startUpStep(App* app);
// Ends the setup stage once the window, context and set-up work are done
// (runSetup on the desktop, the page's own set-up in a browser): the
// pre-calculation comes next, under its timing line.
void setupDone(App* app);
// Milliseconds left of the start pause (0 outside it).
unsigned startPauseLeft(const App& app);
// A report that draws a step of the loading bar until the show runs.
ProgressReport loadingBarProgress(App* app);
// Start-up to the end: steps with the window's events taken between them,
// sleeping through the pause in short naps. False, at once, when a quit was
// requested (Escape, closing the window, "Exit").
bool startUp(App* app);
// Takes the events that came during start-up work: the quit event is
// counted, every event reaches the window procedure as in the show (there
// is no music to move yet).
void takeStartUpEvents();
// Takes one event at a time without waiting; renders a frame whenever none
// is pending; returns once quitRequested is non-zero.
void messageLoop(App* app);
// One frame: the show, the buffer swap, then any pending GL error is fatal.
void renderFrame(App* app);
// Closes the music and the sound library, restores the display mode,
// releases the context and the window.
void shutDown(App* app);
