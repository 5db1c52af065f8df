// The program's spine: start-up, the message loop, one frame, shutdown.
#pragma once

// The data folder, the display and the sound output, setup, asset pre-calculation, a
// black frame, the start pause, the music.
void startUp();
// Takes the events that came during start-up work (the loading bar calls
// it at every step): Escape or closing the window shuts down and ends the
// process with status 0 at once; other events reach the window procedure
// as in the show (there is no music to move yet).
void takeStartUpEvents();
// The pause before the show, taking start-up events as it waits.
void startPause(unsigned milliseconds);
// Takes one event at a time without waiting; renders a frame whenever none
// is pending; returns once quitRequested is non-zero.
void messageLoop();
// One frame: the show, the buffer swap, then any pending GL error is fatal.
void renderFrame();
// Closes the music and the sound library, restores the display mode,
// releases the context and the window.
void shutDown();
