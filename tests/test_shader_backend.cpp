// The shader backend against Mesa's fixed-function pipeline: small scenes
// drawn through both backends, each feature where a pixel shows a fault.
// Both run on llvmpipe, so equal state gives equal pictures: the scenes
// agree to the bit today, and the only slack allowed is what rounding of
// the last bit in vertex arithmetic can cause (no channel more than 1 level
// off, on at most 0.5 % of the pixels). The model-view matrix, which the
// program reads back, must agree to the bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gl_api.h"
#include "platform/gl_checks.h"
#include "tests/support/backend_pair.h"
#include "tests/support/gl_context.h"

#ifndef GL_COMBINE_ARB
#define GL_COMBINE_ARB 0x8570
#endif

namespace {

constexpr int sceneWidth = 96;
constexpr int sceneHeight = 64;

void expectSamePicture(void (*scene)())
{
    BackendPictures p = drawOnBothBackends(sceneWidth, sceneHeight, scene);
    ASSERT_EQ(p.problem, "");
    PictureDifference d = comparePictures(p.fixed, p.shader, 3, 0);
    EXPECT_LE(d.largest, 1) << "largest difference of a channel";
    EXPECT_LE(d.shareAbove, 0.005) << "share of pixels that differ";
    EXPECT_EQ(std::memcmp(p.fixedModelview, p.shaderModelview, sizeof p.fixedModelview), 0) << "model-view matrix";
    // A scene that draws nothing would pass: each must leave colour behind.
    size_t lit = 0;
    for (size_t i = 0; i < p.fixed.size(); i += 4)
        lit += p.fixed[i] + p.fixed[i + 1] + p.fixed[i + 2] > 0;
    EXPECT_GT(lit, p.fixed.size() / 16) << "the scene draws too little to compare";
}

void ortho2D()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// A w x h RGBA texture whose texels come from the formula below, with
// every mipmap level (each a colour of its own) unless mipmaps is false.
GLuint makeTexture(int w, int h, bool mipmaps, GLint internalFormat = GL_RGBA8)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    for (int level = 0;; level++) {
        std::vector<uint8_t> texels((size_t)w * h * 4);
        for (int y = 0; y < h; y++) {
            for (int x = 0; x < w; x++) {
                uint8_t* t = &texels[4 * ((size_t)y * w + x)];
                t[0] = (uint8_t)(level ? 60 * level : x * 255 / (w > 1 ? w - 1 : 1));
                t[1] = (uint8_t)(level ? 255 - 40 * level : y * 255 / (h > 1 ? h - 1 : 1));
                t[2] = (uint8_t)(((x / 2 + y / 2) % 2) * 200 + 30);
                t[3] = (uint8_t)((x * 37 + y * 91) % 256);
            }
        }
        glTexImage2D(GL_TEXTURE_2D, level, internalFormat, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        if (!mipmaps || (w == 1 && h == 1))
            break;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    return name;
}

void texturedQuad(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1)
{
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glEnd();
}

// Smooth colours over a polygon, quads whose corner colours do not lie in
// a plane (so the diagonal they are split along shows), triangles, a fan
// and a strip.
void primitivesScene()
{
    ortho2D();
    glBegin(GL_POLYGON);
    for (int i = 0; i < 5; i++) {
        float a = (float)i * 1.2566f;
        glColor4f(0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a), (float)i / 4.0f, 1.0f);
        glVertex3f(-0.5f + 0.45f * std::cos(a), 0.5f * std::sin(a), 0.0f);
    }
    glEnd();
    glBegin(GL_QUADS);
    const float corners[4][2] = {{0.05f, -0.9f}, {0.95f, -0.8f}, {0.9f, 0.1f}, {0.1f, 0.0f}};
    const float colours[4][3] = {{1, 0, 0}, {0, 0, 0}, {1, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 4; i++) {
        glColor4f(colours[i][0], colours[i][1], colours[i][2], 1.0f);
        glVertex2f(corners[i][0], corners[i][1]);
    }
    glEnd();
    glColor4f(0.2f, 0.9f, 0.4f, 1.0f);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(0.5f, 0.6f);
    for (int i = 0; i <= 4; i++)
        glVertex2f(0.5f + 0.4f * std::cos(0.5f * i), 0.6f + 0.35f * std::sin(0.5f * i));
    glEnd();
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 6; i++) {
        glColor4f(0.1f * i, 0.3f, 1.0f - 0.15f * i, 1.0f);
        glVertex2f(-1.0f + 0.15f * i, -0.95f + 0.25f * (i % 2));
    }
    glEnd();
    glBegin(GL_TRIANGLES);
    glColor4f(1.5f, -0.5f, 0.7f, 1.0f);  // clamped per channel
    glVertex2f(-0.95f, 0.7f);
    glVertex2f(-0.7f, 0.7f);
    glVertex2f(-0.8f, 0.95f);
    glEnd();
}

// A textured quad through a texture matrix (translate, scale, rotate about
// z), magnified with repeat, minified through mipmaps with both mipmap
// filters, and an RGB8 texture clamped to its edge, each modulated.
void textureScene()
{
    ortho2D();
    glEnable(GL_TEXTURE_2D);
    makeTexture(8, 8, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glMatrixMode(GL_TEXTURE);
    glTranslatef(0.3f, -0.2f, 0.0f);
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef(1.5f, 0.75f, 1.0f);
    glRotatef(-33.0f, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.5f, -0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glColor4f(0.9f, 0.8f, 1.0f, 1.0f);
    texturedQuad(-1.0f, 0.0f, 0.0f, 1.0f, 0, 0, 1, 1);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);

    makeTexture(64, 32, true);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texturedQuad(0.0f, 0.0f, 1.0f, 1.0f, 0, 0, 5.3f, 3.1f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    texturedQuad(0.0f, -1.0f, 1.0f, 0.0f, 0, 0, 2.7f, 7.9f);

    makeTexture(16, 16, false, GL_RGB8);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, testDisplay().gl.clampMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, testDisplay().gl.clampMode);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    texturedQuad(-1.0f, -1.0f, 0.0f, 0.0f, -0.3f, -0.2f, 1.4f, 1.1f);
}


// The sprites' cross-fade: unit 0 modulates the texture by the vertex
// colour and keeps its alpha, unit 1 interpolates between that and a second
// sample by vertex alpha; drawn from client arrays (colour array, two
// coordinate arrays) as 32-bit indexed quads, alpha-tested and blended.
void combinerScene()
{
    ortho2D();
    glClearColor(0.2f, 0.1f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    GLuint texture = makeTexture(32, 32, true);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
        testDisplay().gl.activeTexture(unit);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    }
    testDisplay().gl.activeTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_MODULATE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_PRIMARY_COLOR_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_TEXTURE);
    testDisplay().gl.activeTexture(GL_TEXTURE1);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_INTERPOLATE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_INTERPOLATE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_RGB_ARB, GL_PRIMARY_COLOR_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_RGB_ARB, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_PREVIOUS_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA_ARB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE2_ALPHA_ARB, GL_PRIMARY_COLOR_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND2_ALPHA_ARB, GL_SRC_ALPHA);
    testDisplay().gl.activeTexture(GL_TEXTURE0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);

    // Three quads: each corner its own colour and alpha, coordinates into
    // different parts of the texture on the two units.
    float corners[12 * 3], colours[12 * 4], coords0[12 * 2], coords1[12 * 2];
    uint32_t indices[12];
    for (int i = 0; i < 12; i++) {
        int quad = i / 4, corner = i % 4;
        float x = corner == 1 || corner == 2, y = corner >= 2;
        corners[3 * i] = -0.9f + 0.6f * quad + 0.55f * x;
        corners[3 * i + 1] = -0.8f + 0.2f * quad + 1.2f * y;
        corners[3 * i + 2] = 0.0f;
        colours[4 * i] = 0.3f + 0.2f * corner;
        colours[4 * i + 1] = 1.0f - 0.25f * quad;
        colours[4 * i + 2] = 0.5f + 0.1f * corner;
        colours[4 * i + 3] = corner == 0 ? 0.0f : 0.3f * corner;
        coords0[2 * i] = 0.5f * x;
        coords0[2 * i + 1] = 0.5f * y;
        coords1[2 * i] = 0.25f + 0.75f * x;
        coords1[2 * i + 1] = 0.5f + 0.5f * y;
        indices[i] = (uint32_t)(i % 4 == 0 ? i + 3 : i - 1);  // quads listed from their last corner
    }
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, colours);
    testDisplay().gl.clientActiveTexture(GL_TEXTURE1);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, coords1);
    testDisplay().gl.clientActiveTexture(GL_TEXTURE0);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, coords0);
    glDrawElements(GL_QUADS, 12, GL_UNSIGNED_INT, indices);
    glPopClientAttrib();
}

// The blends of the render flags over a coloured background, each with
// the depth test and a depth function, culling and a colour mask.
void blendScene()
{
    ortho2D();
    glBegin(GL_QUADS);
    glColor4f(0.9f, 0.2f, 0.1f, 1.0f);
    glVertex2f(-1, -1);
    glColor4f(0.1f, 0.8f, 0.3f, 1.0f);
    glVertex2f(1, -1);
    glColor4f(0.2f, 0.3f, 0.9f, 1.0f);
    glVertex2f(1, 1);
    glColor4f(0.8f, 0.8f, 0.7f, 1.0f);
    glVertex2f(-1, 1);
    glEnd();
    const GLenum blends[5][2] = {{GL_ONE, GL_ONE},
                                 {GL_ZERO, GL_ONE_MINUS_SRC_COLOR},
                                 {GL_ZERO, GL_SRC_COLOR},
                                 {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
                                 {GL_ONE, GL_ONE_MINUS_SRC_COLOR}};
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    for (int i = 0; i < 5; i++) {
        glBlendFunc(blends[i][0], blends[i][1]);
        glColor4f(0.2f + 0.15f * i, 0.6f, 0.9f - 0.1f * i, 0.6f);
        float x = -1.0f + 0.4f * i;
        glBegin(GL_POLYGON);
        glVertex3f(x, -0.9f, 0.5f);
        glVertex3f(x + 0.35f, -0.9f, 0.5f);
        glVertex3f(x + 0.35f, 0.2f, 0.5f);
        glVertex3f(x, 0.2f, 0.5f);
        glEnd();
    }
    // Farther than what is there (depth 0.5 above): rejected with LESS,
    // then a back face culled, then green and alpha masked off.
    glDisable(GL_BLEND);
    glDepthFunc(GL_LESS);
    glColor4f(1, 1, 1, 1);
    texturedQuad(-1.0f, -0.5f, 1.0f, -0.3f, 0, 0, 0, 0);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, 0.3f);
    glVertex2f(-1.0f, 0.5f);
    glVertex2f(1.0f, 0.5f);
    glVertex2f(1.0f, 0.3f);
    glEnd();
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_FALSE);
    texturedQuad(-0.5f, 0.4f, 0.5f, 1.0f, 0, 0, 0, 0);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// What the render-state pair saves and what it leaves: inside it the
// blend, viewport, colour, texture binding, texture parameters, texture
// and model-view matrices and client arrays change; after it the enables,
// viewport, colour, binding and parameters are back, while the blend
// function (colour-buffer group, not saved) stays as set inside.
void attributeScene()
{
    ortho2D();
    glEnable(GL_TEXTURE_2D);
    GLuint small = makeTexture(8, 8, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    GLuint large = makeTexture(16, 16, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, small);
    glColor4f(0.8f, 0.6f, 0.4f, 1.0f);
    glViewport(0, 0, 48, 64);
    texturedQuad(-1.0f, -1.0f, 1.0f, 0.0f, 0, 0, 1, 1);

    glPushAttrib(0x6affb);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glScalef(2.0f, 3.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.1f, 0.0f, 0.0f);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    static const float colours[4 * 4] = {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1};
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, colours);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glViewport(48, 0, 48, 64);
    glColor4f(0.3f, 0.9f, 0.9f, 1.0f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texturedQuad(-1.0f, -1.0f, 1.0f, 1.0f, 0, 0, 1, 1);
    glBindTexture(GL_TEXTURE_2D, large);
    texturedQuad(-0.5f, 0.0f, 0.5f, 1.0f, 0, 0, 1, 1);
    glPopClientAttrib();
    glPopAttrib();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();

    // Left half again: the small texture, nearest, the first colour, no
    // blend; then the blend switched on meets the function set inside.
    texturedQuad(-1.0f, 0.0f, 1.0f, 1.0f, 0, 0, 1, 1);
    static const float corners[4 * 2] = {-0.5f, -0.5f, 0.5f, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f};
    static const uint32_t indices[4] = {0, 1, 2, 3};
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, corners);
    glDrawElements(GL_QUADS, 4, GL_UNSIGNED_INT, indices);
}

// Lists as the outline font and the meshes record them: fans, strips and
// quads with a translation after them, and a list that saves all
// attributes around indexed arrays (read while recording) and triangles
// with coordinates for two units. Recording draws nothing; each call
// replays.
void listScene()
{
    ortho2D();
    GLuint base = glGenLists(2);
    glNewList(base, GL_COMPILE);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3d(-0.9, -0.9, 0.0);
    for (int i = 0; i < 4; i++)
        glVertex3d(-0.9 + 0.8 * std::cos(0.45 * i), -0.9 + 1.2 * std::sin(0.45 * i), 0.0);
    glEnd();
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 5; i++) {
        const GLdouble v[3] = {-0.9 + 0.15 * i, 0.4 + 0.5 * (i % 2), 0.0};
        glNormal3d(0.0, 0.0, 1.0);
        glVertex3dv(v);
    }
    glEnd();
    glTranslatef(0.5f, 0.1f, 0.0f);
    glEndList();

    static const float corners[3 * 3] = {0.2f, -0.9f, 0.0f, 0.9f, -0.8f, 0.0f, 0.6f, -0.1f, 0.0f};
    static const float colours[3 * 4] = {1, 0.5f, 0, 1, 0, 1, 0.5f, 1, 0.2f, 0.2f, 1, 1};
    static const uint32_t triangle[3] = {0, 1, 2};
    glNewList(base + 1, GL_COMPILE);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glColorPointer(4, GL_FLOAT, 0, colours);
    glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_INT, triangle);
    glPopClientAttrib();
    glColor4f(0.9f, 0.9f, 0.2f, 1.0f);
    glBegin(GL_TRIANGLES);
    const GLfloat up[3] = {0, 0, 1}, a[3] = {0.3f, 0.2f, 0}, b[3] = {0.9f, 0.3f, 0}, c[3] = {0.5f, 0.9f, 0};
    glNormal3fv(up);
    const GLfloat* vertices[3] = {a, b, c};
    for (int i = 0; i < 3; i++) {
        testDisplay().gl.multiTexCoord2f(GL_TEXTURE0_ARB, vertices[i][0], vertices[i][1]);
        testDisplay().gl.multiTexCoord2f(GL_TEXTURE1_ARB, 0.0f, 0.0f);
        glVertex3fv(vertices[i]);
    }
    glEnd();
    glPopAttrib();
    glEndList();

    glClear(GL_COLOR_BUFFER_BIT);  // the checks of the set-up draw nothing either
    glColor4f(0.3f, 0.8f, 1.0f, 1.0f);
    glCallList(base);
    glColor4f(1.0f, 0.4f, 0.6f, 1.0f);
    glCallList(base);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    makeTexture(4, 4, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glCallList(base + 1);
    // The list's attribute pop brought back the colour from before it.
    glDisable(GL_TEXTURE_2D);
    texturedQuad(-0.2f, -0.2f, 0.2f, 0.2f, 0, 0, 0, 0);
}

// Copies from the framebuffer into RGB8 textures (what render targets are
// on a framebuffer without alpha), whole and into a corner, drawn back
// magnified with clamping.
void copyScene()
{
    ortho2D();
    glViewport(0, 0, 32, 32);
    glBegin(GL_QUADS);
    glColor4f(1, 0, 0, 1);
    glVertex2f(-1, -1);
    glColor4f(0, 1, 0, 1);
    glVertex2f(1, -1);
    glColor4f(0, 0, 1, 1);
    glVertex2f(1, 1);
    glColor4f(1, 1, 1, 1);
    glVertex2f(-1, 1);
    glEnd();
    std::vector<uint8_t> zeros(64 * 64 * 4, 0);
    GLuint target = 0;
    glGenTextures(1, &target);
    glBindTexture(GL_TEXTURE_2D, target);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 64, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, testDisplay().gl.clampMode);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, testDisplay().gl.clampMode);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 32, 32);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 40, 8, 4, 4, 20, 16);
    glClear(GL_COLOR_BUFFER_BIT);
    glViewport(0, 0, sceneWidth, sceneHeight);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    texturedQuad(-1, -1, 1, 1, -0.1f, -0.1f, 1.1f, 1.1f);
}

// A perspective camera off its axis (a shifted projection, a rolled up
// vector) over depth-tested, interpenetrating triangles and a textured
// floor.
void cameraScene()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(0.05f, -0.03f, 0.0f);
    gluPerspective(62.5, 16.0 / 9.0, 0.1, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.3, 0.4, -3.0, 0.1, -0.2, 1.0, std::sin(0.3), std::cos(0.3), 0.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glBegin(GL_TRIANGLES);
    glColor4f(1.0f, 0.3f, 0.2f, 1.0f);
    glVertex3f(-1.0f, -0.5f, -0.5f);
    glVertex3f(1.0f, -0.5f, 0.5f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glColor4f(0.2f, 0.4f, 1.0f, 1.0f);
    glVertex3f(-1.0f, 0.6f, 0.6f);
    glVertex3f(1.0f, 0.4f, -0.7f);
    glVertex3f(0.2f, -0.9f, 0.0f);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    makeTexture(16, 16, true);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-3.0f, -1.0f, -2.0f);
    glTexCoord2f(6, 0);
    glVertex3f(3.0f, -1.0f, -2.0f);
    glTexCoord2f(6, 6);
    glVertex3f(3.0f, -1.0f, 8.0f);
    glTexCoord2f(0, 6);
    glVertex3f(-3.0f, -1.0f, 8.0f);
    glEnd();
}

// Quads in a row, each drawn after one value changed that the shader
// backend might keep from the draw before, most of them then changed back:
// the alpha reference under one program, the texture matrix, the
// model-view matrix, a texture's filter and wrap, the blend function, the
// textures of two units swapped, a texture uploaded again while the other
// unit is active, a copy into a texture bound on the other unit.
void cacheScene()
{
    ortho2D();
    GLuint a = makeTexture(8, 8, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    GLuint b = makeTexture(4, 4, false);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    int cell = 0;
    auto quad = [&cell](float r = 1.0f, float alpha = 1.0f) {
        float x = -1.0f + 0.25f * (float)(cell % 8), y = 1.0f - 0.5f * (float)(cell / 8 + 1);
        glColor4f(r, 1.0f, 1.0f, alpha);
        texturedQuad(x + 0.01f, y + 0.02f, x + 0.24f, y + 0.48f, -0.19f, -0.27f, 1.31f, 1.13f);
        cell++;
    };
    glEnable(GL_ALPHA_TEST);
    // A quarter level above a texel's alpha, so that Mesa's 8-bit alpha
    // test and the shader's compare alike.
    for (float reference : {64.25f, 160.25f, 64.25f}) {
        glAlphaFunc(GL_GREATER, reference / 255.0f);
        quad();
    }
    glDisable(GL_ALPHA_TEST);
    for (float shift : {0.0f, 0.3f, 0.0f}) {
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef(shift, 0.0f, 0.0f);
        glMatrixMode(GL_MODELVIEW);
        quad();
    }
    for (float shift : {0.02f, 0.0f}) {
        glLoadIdentity();
        glTranslatef(0.0f, shift, 0.0f);
        quad();
    }
    glBindTexture(GL_TEXTURE_2D, b);
    for (GLint wrap : {GL_REPEAT, testDisplay().gl.clampMode, GL_REPEAT}) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, wrap == GL_REPEAT ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        quad();
    }
    glEnable(GL_BLEND);
    for (GLenum destination : {GL_ONE, GL_ZERO, GL_ONE}) {
        glBlendFunc(GL_SRC_ALPHA, destination);
        quad(0.5f, 0.7f);
    }
    glDisable(GL_BLEND);

    testDisplay().gl.activeTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    for (int swap = 0; swap < 3; swap++) {
        testDisplay().gl.activeTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, swap == 1 ? b : a);
        testDisplay().gl.activeTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, swap == 1 ? a : b);
        quad();
    }
    // Unit 1 active, holding b: a new image for b; then a copy into a,
    // bound on unit 0, made from unit 0.
    std::vector<uint8_t> stripes(4 * 4 * 4);
    for (size_t i = 0; i < stripes.size(); i++)
        stripes[i] = (uint8_t)(i % 8 < 4 ? 250 : 40 + 7 * i);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, stripes.data());
    quad();
    testDisplay().gl.activeTexture(GL_TEXTURE0);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 20, 40, 8, 8);
    quad();
    testDisplay().gl.activeTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    testDisplay().gl.activeTexture(GL_TEXTURE0);
    quad();
}

// Calls outside the subset: harmless on the fixed-function backend, an
// error on the shader backend.
void leftOutScene()
{
    ortho2D();
    glColor4f(1, 1, 1, 1);
    texturedQuad(-1, -1, 1, 1, 0, 0, 0, 0);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}
}  // namespace

TEST(ShaderBackend, DrawsPrimitivesAsMesaSplitsThem)
{
    expectSamePicture(primitivesScene);
}

TEST(ShaderBackend, SamplesTexturesThroughTheTextureMatrix)
{
    expectSamePicture(textureScene);
}

TEST(ShaderBackend, CombinesTwoUnitsFromIndexedArrays)
{
    expectSamePicture(combinerScene);
}

TEST(ShaderBackend, BlendsTestsDepthCullsAndMasks)
{
    expectSamePicture(blendScene);
}

TEST(ShaderBackend, SavesAndRestoresTheAttributeGroupsOfTheRenderStatePair)
{
    expectSamePicture(attributeScene);
}

TEST(ShaderBackend, RecordsAndReplaysDisplayLists)
{
    expectSamePicture(listScene);
}

TEST(ShaderBackend, CopiesTheFramebufferIntoTextures)
{
    expectSamePicture(copyScene);
}

TEST(ShaderBackend, ProjectsThroughTheGluCamera)
{
    expectSamePicture(cameraScene);
}

TEST(ShaderBackend, SendsEveryChangeBetweenDraws)
{
    expectSamePicture(cacheScene);
}

TEST(ShaderBackend, RefusesWhatItLeavesOut)
{
    BackendPictures p = drawOnBothBackends(sceneWidth, sceneHeight, leftOutScene);
    EXPECT_EQ(p.problem, "shader backend: GL error 1280");
}
