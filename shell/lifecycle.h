// Program lifecycle state shared by every subsystem: the quit counter, the
// start flag, the one fatal-error path, profiling scopes and GL error names.
#pragma once
#include <atomic>

// Any non-zero value ends the main loop. Only ever incremented; the music
// end callback increments it from the audio thread.
extern std::atomic<int> quitRequested;
// 0 during start-up (the loading bar draws), 1 once the show runs.
extern int showStarted;

// On (the default) for the demo. Tools that run without anyone at a screen
// turn it off: fatal errors then show no message box and closing a
// profiling scope prints nothing.
extern bool interactiveShell;

// Writes text to standard error, shows it in a message box, restores the
// display mode, releases the context and window and exits with status 1.
[[noreturn]] void fatalError(const char* text);

// A profiling scope. Scopes nest strictly; closing one prints
// "<label> in <seconds>s" to standard error (only with interactiveShell).
struct ScopeTimer {
    const char* label;     // not owned
    ScopeTimer* previous;  // innermost open scope when this one opened
    double start;          // clockMs() when opened
};
extern ScopeTimer* profileChain;  // innermost open scope, null when none

ScopeTimer* scopeBegin(const char* label);
void scopeEnd(ScopeTimer* record);

// Milliseconds of wall time since the process started (monotonic).
double clockMs();
// Seconds elapsed since a clockMs() reading.
double secondsSince(double startTicks);

// Name of an OpenGL error code, "UNKNOWN GL_ERROR" for codes not in the table.
const char* glErrorName(unsigned code);
