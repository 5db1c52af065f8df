// The program's one random state: x = x * 69069 + 1 (mod 2^32), zero at start.
#pragma once
#include <cstdint>

extern uint32_t randseed;

// Advances randseed one step and returns the new value.
inline uint32_t randNext()
{
    randseed = randseed * 69069u + 1u;
    return randseed;
}
