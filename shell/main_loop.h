// The program's spine: start-up, the message loop, one frame, shutdown.
#pragma once

// Setup, asset pre-calculation, a black frame, the start pause, the music.
void startUp();
// Takes one event at a time without waiting; renders a frame whenever none
// is pending; returns once quitRequested is non-zero.
void messageLoop();
// One frame: the show, the buffer swap, then any pending GL error is fatal.
void renderFrame();
// Closes the music and the sound library, restores the display mode,
// releases the context and the window.
void shutDown();
