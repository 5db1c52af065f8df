// The grain noise texture and the box and tube meshes.
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "geometry/mesh.h"
#include "shell/gl_checks.h"
#include "show/random.h"
#include "tests/support/gl_context.h"
#include "textures/loading_bar.h"
#include "textures/noise.h"

// The show keeps its records for good; tests give theirs back.
static void dropTexture(Texture* texture)
{
    glDeleteTextures(1, &texture->name);
    delete texture;
}

static void dropMesh(Mesh* mesh)
{
    if (mesh->list)
        glDeleteLists(mesh->list, 1);
    for (void* array : {(void*)mesh->positions, (void*)mesh->normals, (void*)mesh->texcoords,
                        (void*)mesh->triangles, (void*)mesh->faceNormals})
        std::free(array);
    delete mesh;
}

TEST(Noise, LevelsStayInRangeAndFollowRandseed)
{
    randseed = 0;
    std::vector<uint8_t> texels(256 * 256 * 4);
    fillNoiseTexels(texels.data(), 256, 256, 230, 255);
    int seen[256] = {};
    for (int p = 0; p < 256 * 256; p++) {
        uint8_t grey = texels[4 * p];
        ASSERT_GE(grey, 230);
        ASSERT_LE(grey, 254);
        ASSERT_EQ(texels[4 * p + 1], grey);
        ASSERT_EQ(texels[4 * p + 2], grey);
        ASSERT_EQ(texels[4 * p + 3], 255);
        seen[grey]++;
    }
    for (int level = 230; level <= 254; level++)
        EXPECT_GT(seen[level], 2000) << level;  // about 65536 / 25 each

    uint32_t x = 0;
    x = x * 69069u + 1u;
    EXPECT_EQ(texels[0], 230 + (x >> 17) % 25);
    for (int i = 1; i < 256 * 256; i++)
        x = x * 69069u + 1u;
    EXPECT_EQ(randseed, x);

    std::vector<uint8_t> next(256 * 256 * 4);
    fillNoiseTexels(next.data(), 256, 256, 230, 255);
    EXPECT_NE(texels, next);
}

TEST(Noise, TextureRecord)
{
    openTestContext();
    Texture* noise = makeNoiseTexture(64, 32, 10, 20, 2.0f, 1.0f, 0.5f, RF_NOMIPMAP | RF_CLAMP);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(glIsTexture(noise->name));
    EXPECT_EQ(noise->width, 64);
    EXPECT_EQ(noise->height, 32);
    EXPECT_FLOAT_EQ(noise->scaleS, 2.0f);
    EXPECT_FLOAT_EQ(noise->scaleR, 0.5f);
    EXPECT_EQ(noise->flags, RF_NOMIPMAP);
    EXPECT_EQ(noise->frameLayout, 0);
    dropTexture(noise);
}

static float dot(const float* a, const float* b)
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

TEST(Mesh, BoxHasSixOutwardFaces)
{
    Mesh* box = boxShape(2.0f);
    ASSERT_EQ(box->vertexCount, 24);
    ASSERT_EQ(box->triangleCount, 12);
    static const float faceAxes[6][3] = {{0, 1, 0}, {0, -1, 0}, {0, 0, -1}, {0, 0, 1}, {1, 0, 0}, {-1, 0, 0}};
    for (int t = 0; t < 12; t++) {
        const float* n = box->faceNormals + 3 * t;
        EXPECT_NEAR(dot(n, faceAxes[t / 2]), 1.0f, 1e-6f) << "triangle " << t;
        for (int corner = 0; corner < 3; corner++) {
            const float* p = box->positions + 3 * box->triangles[3 * t + corner];
            EXPECT_NEAR(dot(p, faceAxes[t / 2]), 2.0f, 1e-6f);
        }
    }
    for (int v = 0; v < 24; v++) {
        const float* n = box->normals + 3 * v;
        EXPECT_NEAR(dot(n, n), 1.0f, 1e-5f);
        EXPECT_NEAR(dot(n, faceAxes[v / 4]), 1.0f, 1e-6f);
    }
    // Face corners carry (0,0), (1,0), (1,1), (0,1).
    static const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int v = 0; v < 24; v++) {
        EXPECT_EQ(box->texcoords[3 * v], corners[v % 4][0]);
        EXPECT_EQ(box->texcoords[3 * v + 1], corners[v % 4][1]);
        EXPECT_EQ(box->texcoords[3 * v + 2], 0.0f);
    }
    EXPECT_NEAR(box->centre[0], 0.0f, 1e-6f);
    EXPECT_NEAR(box->centre[1], 0.0f, 1e-6f);
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
        float radial[3] = {p[0], 0.0f, p[2]};
        EXPECT_GT(dot(n, radial), 0.5f) << "triangle " << t;
        EXPECT_NEAR(n[1], 0.0f, 1e-6f);
    }
    for (int v = 0; v < 24; v++) {
        const float* p = tube->positions + 3 * v;
        EXPECT_NEAR(p[0] * p[0] + p[2] * p[2], 1.0f, 1e-5f);
        EXPECT_EQ(p[1], 1.5f - (float)(v / 6));
        EXPECT_FLOAT_EQ(tube->texcoords[3 * v], (float)(v % 6) / 5.0f);
        const float* n = tube->normals + 3 * v;
        EXPECT_NEAR(dot(n, n), 1.0f, 1e-5f);
    }
    EXPECT_NEAR(tube->radius, std::sqrt(1.0f + 1.5f * 1.5f), 1e-5f);
    dropMesh(tube);
}

// Draws a display list of a mesh of size about 1 in front of the camera and
// reads the middle of the window.
static void drawListAndRead(GLuint list, unsigned char rgba[4])
{
    glViewport(0, 0, 640, 360);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 640.0 / 360.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // A light shining from the eye: only normals that face the viewer
    // (outward ones on the near side) light the surface.
    const GLfloat towardsViewer[4] = {0, 0, 1, 0}, black[4] = {0, 0, 0, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, towardsViewer);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    gluLookAt(3, 2, 5, 0, 0, 0, 0, 1, 0);
    glDisable(GL_TEXTURE_2D);
    glCallList(list);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    readPixel(320, 180, rgba);
}

TEST(Mesh, BuildsCompileDisplayListsThatDraw)
{
    openTestContext();
    float progress = loadingProgress;
    Mesh* box = makeBox(1.0f, RF_FLAT);
    Mesh* tube = makeTube(5, 3, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_NEAR(loadingProgress - progress, 0.2f, 1e-5f);
    ASSERT_TRUE(glIsList(box->list));
    ASSERT_TRUE(glIsList(tube->list));
    EXPECT_NE(box->list, tube->list);

    // Lit from the eye, the near side is bright only with outward normals.
    unsigned char rgba[4];
    drawListAndRead(box->list, rgba);
    EXPECT_GT(rgba[0], 100);
    drawListAndRead(tube->list, rgba);
    EXPECT_GT(rgba[0], 100);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    dropMesh(box);
    dropMesh(tube);
}
