// Entry point of the demo.
#include "shell/main_loop.h"

int main()
{
    startUp();
    messageLoop();
    shutDown();
    return 0;
}
