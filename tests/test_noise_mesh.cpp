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

TEST(Mesh, BoxHasSixOutwardFaces)
{
    Mesh* box = boxShape(2.0f);
    ASSERT_EQ(box->vertexCount, 24);
    ASSERT_EQ(box->triangleCount, 12);
    // Faces y+, y-, z-, z+, x+, x-; two triangles and four corners each,
    // the corners carrying (0,0), (1,0), (1,1), (0,1).
    static const float axes[6][3] = {{0, 1, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}};
    static const float corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int t = 0; t < 12; t++) {
        EXPECT_NEAR(dot(box->faceNormals + 3 * t, axes[t / 2]), 1.0f, 1e-6f) << "triangle " << t;
        for (int corner = 0; corner < 3; corner++)
            EXPECT_NEAR(dot(box->positions + 3 * box->triangles[3 * t + corner], axes[t / 2]), 2.0f, 1e-6f);
    }
    for (int v = 0; v < 24; v++) {
        EXPECT_NEAR(dot(box->normals + 3 * v, axes[v / 4]), 1.0f, 1e-6f) << "vertex " << v;
        EXPECT_EQ(0, std::memcmp(box->texcoords + 3 * v, corners[v % 4], sizeof corners[0])) << "vertex " << v;
    }
    EXPECT_NEAR(std::fabs(box->centre[0]) + std::fabs(box->centre[1]) + std::fabs(box->centre[2]), 0.0f, 1e-6f);
    EXPECT_NEAR(box->radius, 2.0f * std::sqrt(3.0f), 1e-5f);
    dropMesh(box);
}

TEST(Mesh, TubeIsAnOpenCylinderFacingOut)
{
    Mesh* tube = tubeShape(5, 3);
    ASSERT_EQ(tube->vertexCount, 24);
    ASSERT_EQ(tube->triangleCount, 30);
    for (int t = 0; t < 30; t++) {
        const float* n = tube->faceNormals + 3 * t;
        const float* p = tube->positions + 3 * tube->triangles[3 * t];
        const float radial[3] = {p[0], 0.0f, p[2]};
        EXPECT_TRUE(dot(n, radial) > 0.5f && std::fabs(n[1]) < 1e-6f) << "triangle " << t;
    }
    for (int v = 0; v < 24; v++) {
        const float* p = tube->positions + 3 * v;
        EXPECT_NEAR(p[0] * p[0] + p[2] * p[2], 1.0f, 1e-5f);
        EXPECT_EQ(p[1], 1.5f - (float)(v / 6));
        EXPECT_FLOAT_EQ(tube->texcoords[3 * v], (float)(v % 6) / 5.0f);
        EXPECT_NEAR(dot(tube->normals + 3 * v, tube->normals + 3 * v), 1.0f, 1e-5f);
    }
    EXPECT_NEAR(tube->radius, std::sqrt(1.0f + 1.5f * 1.5f), 1e-5f);
    dropMesh(tube);
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
