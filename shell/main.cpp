// Entry point of the demo. Run from the folder that holds data/.
#include "shell/main_loop.h"

int main()
{
    startUp();
    messageLoop();
    shutDown();
    return 0;
}
