// Powers of two for texture sizes.
#include "base/power_of_two.h"

int powerOfTwoAtLeast(int target)
{
    for (int k = 0; k < 16; k++) {
        if ((1 << k) < target && (1 << (k + 1)) >= target)
            return 1 << (k + 1);
    }
    return 1 << 1;
}
