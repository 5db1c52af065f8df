// The clock and the profiling scopes whose "<label> in <seconds>s" lines
// start-up prints.
#pragma once

// A profiling scope. Scopes nest strictly; closing one prints
// "<label> in <seconds>s" to standard error (only with interactiveShell).
struct ScopeTimer {
    const char* label;  // not owned
    double start;       // clockMs() when opened
};

ScopeTimer* scopeBegin(const char* label);
void scopeEnd(ScopeTimer* record);

// Milliseconds of wall time since the process started (monotonic).
double clockMs();
// Seconds elapsed since a clockMs() reading.
double secondsSince(double startTicks);
