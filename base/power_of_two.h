// Powers of two for texture sizes.
#pragma once

// Smallest power of two 2^k (k = 1..16) not below target.
int powerOfTwoAtLeast(int target);
