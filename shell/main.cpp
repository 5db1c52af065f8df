// Entry point of the demo. Run from the folder that holds data/ (on
// Windows, the program's own folder is taken).
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
