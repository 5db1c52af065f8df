// Sizes of the particles that sit on mesh vertices: the mean quarter
// perimeter of the triangles around each vertex.
#include "geometry/particle_sizes.h"

#include <cmath>
#include <cstdlib>

#include "base/fatal.h"
#include "base/temp_pool.h"

namespace {
struct SizeSum {
    int uses;
    float sum;
};
}

static float distance3(const float* a, const float* b)
{
    float dx = b[0] - a[0];
    float dy = b[1] - a[1];
    float dz = b[2] - a[2];
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float* meshParticleSizes(const float* positions, int count, const int* triangles, int ntris, int extra,
                         float defaultSize)
{
    SizeSum* sums = (SizeSum*)tempmalloc((size_t)count * sizeof(SizeSum));
    float* result = (float*)std::malloc(((size_t)count + (size_t)extra) * sizeof(float));
    if (!result)
        fatalError("Out of memory.");
    for (int i = 0; i < count; i++)
        sums[i] = {0, 0.0f};

    for (int t = 0; t < ntris; t++) {
        const int* tri = triangles + 3 * t;
        const float* p0 = positions + 3 * tri[0];
        const float* p1 = positions + 3 * tri[1];
        const float* p2 = positions + 3 * tri[2];
        float w = (distance3(p0, p1) + distance3(p1, p2) + distance3(p2, p0)) * 0.25f;
        for (int c = 0; c < 3; c++) {
            sums[tri[c]].uses++;
            sums[tri[c]].sum += w;
        }
    }

    // A vertex that no triangle uses has no perimeter to share: size 0
    // rather than 0 / 0.
    for (int i = 0; i < count; i++)
        result[i] = sums[i].uses > 0 ? sums[i].sum / (float)sums[i].uses : 0.0f;
    for (int i = count; i < count + extra; i++)
        result[i] = defaultSize;
    tmpfree(sums);
    return result;
}
