// Particle sizes from a triangle mesh: mean quarter-perimeters per vertex,
// default sizes for the extra entries, and the pool left as found.
#include <gtest/gtest.h>

#include <cmath>

#include "base/temp_pool.h"
#include "geometry/particle_sizes.h"

TEST(MeshParticleSizes, MeanQuarterPerimeterOfTheTrianglesAtEachVertex)
{
    // A fan of k = 4 triangles around vertex 0, each outer vertex in two of
    // them; vertex 5 is in no triangle; three extra entries.
    const float positions[18] = {0, 0, 0, 3, 0, 0, 0, 4, 0, -6, 0, 0, 0, -8, 0, 9, 9, 9};
    const int triangles[12] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1};
    // Quarter perimeters: 3, (4 + 6 + sqrt 52) / 4, 6, (8 + 3 + sqrt 73) / 4.
    const float w[4] = {3.0f, (10.0f + std::sqrt(52.0f)) / 4, 6.0f, (11.0f + std::sqrt(73.0f)) / 4};
    void* before = tempmalloc(0);
    tmpfree(before);

    float* sizes = meshParticleSizes(positions, 6, triangles, 4, 3, 0.25f);
    EXPECT_NEAR(sizes[0], (w[0] + w[1] + w[2] + w[3]) / 4, 1e-5f);
    for (int v = 1; v <= 4; v++)
        EXPECT_NEAR(sizes[v], (w[v - 1] + w[(v + 2) % 4]) / 2, 1e-5f) << v;  // triangles v - 1 and v - 2
    EXPECT_EQ(sizes[5], 0.0f);  // no triangle: no size rather than 0 / 0
    for (int i = 6; i < 9; i++)
        EXPECT_EQ(sizes[i], 0.25f) << i;
    free(sizes);

    // The accumulators went back to the pool.
    void* after = tempmalloc(0);
    EXPECT_EQ(after, before);
    tmpfree(after);
}
