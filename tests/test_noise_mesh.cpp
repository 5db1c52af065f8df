// The grain noise and the box and tube meshes, as arrays and drawn.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "geometry/mesh.h"
#include "show/random.h"
#include "tests/support/gl_context.h"
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

TEST(Mesh, CompiledListsLightTheOutsideOfBoxAndTube)
{
    // A light shining from the eye lights the near side of a mesh drawn in
    // the middle of the window only if its normals point outward.
    openTestContext();
    Mesh* box = makeBox(1.0f, RF_FLAT);
    Mesh* tube = makeTube(5, 3, 0);
    ASSERT_TRUE(glIsList(box->list) && glIsList(tube->list) && box->list != tube->list);
    const GLfloat towardsViewer[4] = {0, 0, 1, 0}, black[4] = {0, 0, 0, 1};
    glViewport(0, 0, 640, 360);
    glClearColor(0, 0, 0, 1);
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), gluPerspective(60.0, 640.0 / 360.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    gluLookAt(3, 2, 5, 0, 0, 0, 0, 1, 0);
    for (GLenum capability : {GL_LIGHTING, GL_LIGHT0, GL_DEPTH_TEST}) glEnable(capability);
    glDisable(GL_TEXTURE_2D);
    for (Mesh* mesh : {box, tube}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(mesh->list);
        unsigned char rgba[4];
        readPixel(320, 180, rgba);
        EXPECT_GT(rgba[0], 100) << (mesh == box ? "box" : "tube");
        dropMesh(mesh);
    }
    glDisable(GL_LIGHTING), glDisable(GL_DEPTH_TEST);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
