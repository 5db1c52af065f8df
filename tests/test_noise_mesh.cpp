// The grain noise and the geometry of the box and tube meshes (the show
// builds the meshes but never draws them).
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "base/random.h"
#include "geometry/mesh.h"
#include "textures/noise.h"

// The show keeps its meshes for good; tests give theirs back.
static void dropMesh(Mesh* mesh)
{
    if (mesh->list) glDeleteLists(mesh->list, 1);
    for (void* array : {(void*)mesh->positions, (void*)mesh->normals, (void*)mesh->texcoords, (void*)mesh->triangles,
                        (void*)mesh->faceNormals})
        std::free(array);
    delete mesh;
}

static float dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

TEST(Noise, GreyLevelsFollowTheSharedRandomSequence)
{
    // One step of x := 69069 x + 1 per texel, grey 230 + (x >> 17) % 25.
    randseed = 0;
    std::vector<uint8_t> texels(256 * 256 * 4);
    fillNoiseTexels(texels.data(), 256, 256, 230, 255);
    uint32_t x = 0;
    int wrong = 0;
    for (int p = 0; p < 256 * 256; p++) {
        x = x * 69069u + 1u;
        const uint8_t grey = (uint8_t)(230 + (x >> 17) % 25), expected[4] = {grey, grey, grey, 255};
        wrong += std::memcmp(&texels[4 * p], expected, 4) != 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(randseed, x);
}

TEST(Mesh, BoxAndTubeHaveTheirSizesAndFaceOutwards)
{
    // Both are centred on the origin and convex about their axis: an outward
    // face normal has a positive dot product with the face's corners.
    const struct {
        Mesh* mesh;
        int vertices, triangles;
        float radius;
    } cases[] = {{boxShape(2.0f), 24, 12, 2.0f * std::sqrt(3.0f)}, {tubeShape(5, 3), 24, 30, std::sqrt(1.0f + 1.5f * 1.5f)}};
    for (const auto& c : cases) {
        ASSERT_EQ(c.mesh->vertexCount, c.vertices);
        ASSERT_EQ(c.mesh->triangleCount, c.triangles);
        for (int t = 0; t < c.triangles; t++) {
            const float* n = c.mesh->faceNormals + 3 * t;
            EXPECT_NEAR(dot(n, n), 1.0f, 1e-5f) << t;
            for (int corner = 0; corner < 3; corner++)
                EXPECT_GT(dot(n, c.mesh->positions + 3 * c.mesh->triangles[3 * t + corner]), 0.5f) << t;
        }
        for (int v = 0; v < c.vertices; v++)
            EXPECT_NEAR(dot(c.mesh->normals + 3 * v, c.mesh->normals + 3 * v), 1.0f, 1e-5f) << v;
        EXPECT_NEAR(c.mesh->radius, c.radius, 1e-5f);
        dropMesh(c.mesh);
    }
}
