// The program's one fatal-error path and its quit counter: what every
// layer may call to give up, and what ends the main loop.
#pragma once
#include <atomic>

// Any non-zero value ends the main loop. Only ever incremented; the music
// end callback increments it from the audio thread.
extern std::atomic<int> quitRequested;  // process-wide: the audio thread raises it too

// On (the default) for the demo. Tools that run without anyone at a screen
// turn it off: fatal errors then show no message box and closing a
// profiling scope prints nothing.
extern bool interactiveShell;  // process-wide mode, set once by main before start-up

// What a fatal error does after writing its text: the platform shows the
// text in a box and gives the display and the window back.
typedef void (*FatalCleanup)(const char* text);
void setFatalCleanup(FatalCleanup cleanup);

// Writes text to standard error, runs the cleanup (message box, display
// mode, context and window) and exits with status 1.
[[noreturn]] void fatalError(const char* text);
