// The program's random numbers: x = x * 69069 + 1 (mod 2^32), zero at start.
// One state runs through a whole run, from the start-up's pre-calculation
// into every frame; whoever draws numbers is handed it.
#pragma once
#include <cstdint>

struct RandomState {
    uint32_t seed = 0;  // the latest number drawn
};

// Advances the state one step and returns the new value.
inline uint32_t randNext(RandomState& random)
{
    random.seed = random.seed * 69069u + 1u;
    return random.seed;
}
