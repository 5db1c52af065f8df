// The monotonic clock and the profiling scopes.
#include "base/clock.h"

#include <chrono>
#include <cstdio>

#include "base/fatal.h"

static const std::chrono::steady_clock::time_point processStart = std::chrono::steady_clock::now();

double clockMs()
{
    auto elapsed = std::chrono::steady_clock::now() - processStart;
    return (double)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

double secondsSince(double startTicks)
{
    return (clockMs() - startTicks) / 1000.0;
}

ScopeTimer* scopeBegin(const char* label)
{
    ScopeTimer* record = new ScopeTimer;
    record->label = label;
    record->start = clockMs();
    return record;
}

void scopeEnd(ScopeTimer* record)
{
    double elapsed = (clockMs() - (double)(long long)record->start) / 1000.0;
    if (interactiveShell)
        std::fprintf(stderr, "%s in %.4fs\n", record->label, elapsed);
    delete record;
}
