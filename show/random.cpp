// Storage of the shared random state.
#include "show/random.h"

uint32_t randseed = 0;
