// Entry point of the demo.
#include <malloc.h>

#include "shell/main_loop.h"

int main()
{
    // The GL driver takes and frees blocks of a megabyte now and then while
    // the show runs. Carved from the heap, they leave holes that small
    // long-lived blocks pin, and the heap creeps up a megabyte at a time
    // over the minutes; blocks from 256 KiB up are mapped and given back to
    // the system instead.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    startUp();
    messageLoop();
    shutDown();
    return 0;
}
