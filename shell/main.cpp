// Entry point of the demo.
#include "shell/main_loop.h"
#include "shell/platform.h"

int main()
{
    preparePlatform();
    startUp();
    messageLoop();
    shutDown();
    return 0;
}
