// The quit counter and fatal errors.
#include "base/fatal.h"

#include <cstdio>
#include <cstdlib>

std::atomic<int> quitRequested{0};
bool interactiveShell = true;

static FatalCleanup fatalCleanup = nullptr;

void setFatalCleanup(FatalCleanup cleanup)
{
    fatalCleanup = cleanup;
}

[[noreturn]] void fatalError(const char* text)
{
    // The text reaches the user even where no box can be shown.
    std::fprintf(stderr, "%s\n", text);
    std::fflush(stderr);
    if (fatalCleanup)
        fatalCleanup(text);
    std::exit(1);
}
