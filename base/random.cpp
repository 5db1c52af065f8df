// Storage of the shared random state.
#include "base/random.h"

uint32_t randseed = 0;
