// Quit counter, fatal errors, profiling scopes and the clock.
#include "shell/lifecycle.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "shell/platform.h"

std::atomic<int> quitRequested{0};
int showStarted = 0;
bool interactiveShell = true;
ScopeTimer* profileChain = nullptr;

[[noreturn]] void fatalError(const char* text)
{
    // The text reaches the user even where no box can be shown.
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    showMessageBox(text);
    restoreDisplayMode();
    releaseWindow();
    std::exit(1);
}

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
    record->previous = profileChain;
    record->start = clockMs();
    profileChain = record;
    return record;
}

void scopeEnd(ScopeTimer* record)
{
    profileChain = record->previous;
    double elapsed = (clockMs() - (double)(long long)record->start) / 1000.0;
    if (interactiveShell)
        std::fprintf(stderr, "%s in %.4fs\n", record->label, elapsed);
    delete record;
}

const char* glErrorName(unsigned code)
{
    switch (code) {
    case 0: return "GL_NO_ERROR";
    case 0x500: return "GL_INVALID_ENUM";
    case 0x501: return "GL_INVALID_VALUE";
    case 0x502: return "GL_INVALID_OPERATION";
    case 0x503: return "GL_STACK_OVERFLOW";
    case 0x504: return "GL_STACK_UNDERFLOW";
    case 0x505: return "GL_OUT_OF_MEMORY";
    default: return "UNKNOWN GL_ERROR";
    }
}
