// Particle sizes from a triangle mesh: mean quarter-perimeters per vertex,
// default sizes for the extra entries, and the pool left as found.
#include <gtest/gtest.h>

#include <cmath>

#include "geometry/particle_sizes.h"
#include "textures/temp_pool.h"

TEST(MeshParticleSizes, MeanQuarterPerimeterOfTheTrianglesAtEachVertex)
{
    // A 3-4-5 triangle (quarter perimeter 3) and a 5-12-13 triangle
    // (quarter perimeter 7.5) sharing the edge 1-2; vertex 4 is in no triangle.
    const float positions[15] = {0, 0, 0, 3, 0, 0, 0, 4, 0, 3, 0, 12, 9, 9, 9};
    const int triangles[6] = {0, 1, 2, 1, 2, 3};
    void* before = tempmalloc(0);
    tmpfree(before);

    float* sizes = meshParticleSizes(positions, 5, triangles, 2, 3, 0.25f);
    EXPECT_FLOAT_EQ(sizes[0], 3.0f);
    EXPECT_FLOAT_EQ(sizes[1], 5.25f);
    EXPECT_FLOAT_EQ(sizes[2], 5.25f);
    EXPECT_FLOAT_EQ(sizes[3], 7.5f);
    EXPECT_EQ(sizes[4], 0.0f);  // no triangle: no size rather than 0 / 0
    for (int i = 5; i < 8; i++)
        EXPECT_EQ(sizes[i], 0.25f) << i;
    delete[] sizes;

    // The accumulators went back to the pool.
    void* after = tempmalloc(0);
    EXPECT_EQ(after, before);
    tmpfree(after);
}

TEST(MeshParticleSizes, VertexSharedByManyTriangles)
{
    // A fan of k = 4 triangles around vertex 0 with growing sizes.
    const float positions[15] = {0, 0, 0, 3, 0, 0, 0, 4, 0, -6, 0, 0, 0, -8, 0};
    const int triangles[12] = {0, 1, 2, 0, 2, 3, 0, 3, 4, 0, 4, 1};
    float* sizes = meshParticleSizes(positions, 5, triangles, 4, 0, 0.25f);
    // Quarter perimeters: 3, (4 + 6 + sqrt 52) / 4, 6, (8 + 3 + sqrt 73) / 4.
    float w[4] = {3.0f, (10.0f + std::sqrt(52.0f)) / 4, 6.0f, (11.0f + std::sqrt(73.0f)) / 4};
    EXPECT_NEAR(sizes[0], (w[0] + w[1] + w[2] + w[3]) / 4, 1e-5f);
    EXPECT_NEAR(sizes[1], (w[0] + w[3]) / 2, 1e-5f);
    EXPECT_NEAR(sizes[3], (w[1] + w[2]) / 2, 1e-5f);
    delete[] sizes;
}
