// Render state against a real GL: what each flag word leaves in the context,
// what the save/restore pair restores, the letterboxed viewports, texture
// parameters and coordinate generation, and the two-unit cross-fade.
#include <cstdlib>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "render/render_state.h"
#include "shell/gl_checks.h"
#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "tests/support/gl_context.h"
#include "textures/texture.h"

namespace {

GLint getInt(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

bool enabled(GLenum capability)
{
    return glIsEnabled(capability) == GL_TRUE;
}

class RenderState : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestContext();
        showStarted = 1;
        aspectFactor = 1.0f;
        resetRenderState();
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
};

struct BlendCase {
    RenderFlags flags;
    GLint source, destination;
};

}  // namespace

TEST_F(RenderState, FirstBlendBitWinsAndAnyBlendMakesDepthLequal)
{
    const BlendCase cases[] = {
        {RF_ADD | RF_MUL | RF_SCREEN, GL_ONE, GL_ONE},
        {RF_INVMUL | RF_MUL | RF_ALPHA, GL_ZERO, GL_ONE_MINUS_SRC_COLOR},
        {RF_MUL | RF_ALPHA, GL_ZERO, GL_SRC_COLOR},
        {RF_ALPHA | RF_SCREEN, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
        {RF_SCREEN, GL_ONE, GL_ONE_MINUS_SRC_COLOR},
    };
    for (const BlendCase& c : cases) {
        applyRenderFlags(0);
        applyRenderFlags(c.flags);
        EXPECT_TRUE(enabled(GL_BLEND)) << std::hex << c.flags;
        EXPECT_EQ(getInt(GL_BLEND_SRC), c.source) << std::hex << c.flags;
        EXPECT_EQ(getInt(GL_BLEND_DST), c.destination) << std::hex << c.flags;
        EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_LEQUAL) << std::hex << c.flags;
    }
    applyRenderFlags(0);
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_LESS);
}

TEST_F(RenderState, AlphaBitSetsTheAlphaTestWhichLaterWordsKeep)
{
    EXPECT_TRUE(enabled(GL_ALPHA_TEST));  // the reset leaves it on, function ALWAYS
    EXPECT_EQ(getInt(GL_ALPHA_TEST_FUNC), GL_ALWAYS);
    applyRenderFlags(RF_ALPHA);
    EXPECT_EQ(getInt(GL_ALPHA_TEST_FUNC), GL_GREATER);
    GLfloat reference = -1;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_EQ(reference, 0.0f);
    applyRenderFlags(RF_ADD);
    EXPECT_TRUE(enabled(GL_ALPHA_TEST));
    EXPECT_EQ(getInt(GL_ALPHA_TEST_FUNC), GL_GREATER);
}

TEST_F(RenderState, DepthCullingShadingAndStencilBits)
{
    applyRenderFlags(RF_NODEPTH | RF_NOZWRITE);
    EXPECT_FALSE(enabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInt(GL_DEPTH_WRITEMASK), GL_FALSE);
    applyRenderFlags(RF_NOZWRITE);
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInt(GL_DEPTH_WRITEMASK), GL_FALSE);
    applyRenderFlags(0);
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInt(GL_DEPTH_WRITEMASK), GL_TRUE);

    applyRenderFlags(RF_NOCULL | RF_CULLFRONT);
    EXPECT_FALSE(enabled(GL_CULL_FACE));
    applyRenderFlags(RF_CULLFRONT);
    EXPECT_TRUE(enabled(GL_CULL_FACE));
    EXPECT_EQ(getInt(GL_CULL_FACE_MODE), GL_FRONT);
    applyRenderFlags(0);
    EXPECT_EQ(getInt(GL_CULL_FACE_MODE), GL_BACK);

    applyRenderFlags(RF_FLAT);
    EXPECT_EQ(getInt(GL_SHADE_MODEL), GL_FLAT);
    applyRenderFlags(0);
    EXPECT_EQ(getInt(GL_SHADE_MODEL), GL_SMOOTH);

    applyRenderFlags(RF_STENCIL);
    EXPECT_TRUE(enabled(GL_STENCIL_TEST));
    EXPECT_EQ(getInt(GL_STENCIL_FUNC), GL_EQUAL);
    // GL reports the reference clamped to the stencil buffer's range and the
    // all-ones mask clamped to the largest int.
    EXPECT_EQ(getInt(GL_STENCIL_REF), getInt(GL_STENCIL_BITS) > 0 ? 1 : 0);
    EXPECT_EQ(getInt(GL_STENCIL_VALUE_MASK), 0x7fffffff);
    EXPECT_EQ(getInt(GL_STENCIL_FAIL), GL_KEEP);
    EXPECT_EQ(getInt(GL_STENCIL_PASS_DEPTH_FAIL), GL_KEEP);
    EXPECT_EQ(getInt(GL_STENCIL_PASS_DEPTH_PASS), GL_DECR);
    applyRenderFlags(0);  // without the bit the stencil state stays as it was
    EXPECT_TRUE(enabled(GL_STENCIL_TEST));

    // The view bit and texture bits are not state bits: 0x5000 is 0x1000.
    applyRenderFlags(RF_OFFSCREEN | RF_MUL | RF_NEAREST | RF_CLAMP);
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_SRC_COLOR);
    EXPECT_TRUE(enabled(GL_CULL_FACE));
}

TEST_F(RenderState, PopRestoresEnablesAndMatricesButNotBlendOrAlphaFunctions)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glViewport(10, 20, 300, 200);
    glClearColor(0, 0, 0, 0);

    pushRenderState();
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    applyRenderFlags(RF_ALPHA | RF_NOCULL | RF_NODEPTH);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glViewport(0, 0, 16, 16);
    glMatrixMode(GL_TEXTURE);
    glScalef(2, 2, 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    popRenderState();

    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    // Enables come back.
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_CULL_FACE));
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(enabled(GL_TEXTURE_2D));
    EXPECT_FALSE(enabled(GL_LIGHTING));
    EXPECT_TRUE(enabled(GL_ALPHA_TEST));
    EXPECT_EQ(getInt(GL_DEPTH_WRITEMASK), GL_TRUE);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 10);
    EXPECT_EQ(viewport[3], 200);
    GLfloat matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 1.0f);
    EXPECT_EQ(matrix[14], 3.0f);
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[0], 1.0f);
    // The colour-buffer group is not saved: its functions and masks persist.
    EXPECT_EQ(getInt(GL_BLEND_SRC), GL_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_BLEND_DST), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(getInt(GL_ALPHA_TEST_FUNC), GL_GREATER);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(mask[1], GL_FALSE);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0], 0.5f);
}

TEST_F(RenderState, ResetRestoresTheDefaultsAndClearsTheWholeWindow)
{
    glClearColor(1, 1, 1, 1);
    glViewport(0, 0, screenWidth, screenHeight);
    glClear(GL_COLOR_BUFFER_BIT);
    applyRenderFlags(RF_ADD | RF_NOCULL | RF_NOZWRITE | RF_STENCIL | RF_FLAT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_SCISSOR_TEST);
    glEnable(GL_CLIP_PLANE3);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    viewNear = 3;
    viewFar = 7;
    cameraUp[1] = 0;
    projectionShift[0] = 0.25f;
    aspectFactor = 0.75f;

    resetRenderState();

    EXPECT_TRUE(enabled(GL_CULL_FACE));
    EXPECT_EQ(getInt(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_EQ(getInt(GL_FRONT_FACE), GL_CCW);
    EXPECT_FALSE(enabled(GL_BLEND));
    EXPECT_TRUE(enabled(GL_DEPTH_TEST));
    EXPECT_EQ(getInt(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(getInt(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_FALSE(enabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(enabled(GL_SCISSOR_TEST));
    EXPECT_FALSE(enabled(GL_STENCIL_TEST));
    EXPECT_FALSE(enabled(GL_CLIP_PLANE3));
    EXPECT_TRUE(enabled(GL_NORMALIZE));
    EXPECT_TRUE(enabled(GL_POLYGON_SMOOTH));
    EXPECT_FALSE(enabled(GL_DITHER));
    EXPECT_EQ(getInt(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(getInt(GL_PERSPECTIVE_CORRECTION_HINT), GL_NICEST);
    GLfloat colour[4], diffuse[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
    glGetMaterialfv(GL_BACK, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(diffuse[0], 0.8f);
    EXPECT_EQ(viewNear, 0.0f);
    EXPECT_EQ(viewFar, 0.0f);
    EXPECT_EQ(cameraUp[1], 1.0f);
    EXPECT_EQ(projectionShift[0], 0.0f);

    // The clear reaches the letterbox bars outside the viewport too.
    unsigned char rgba[4];
    readPixel(screenWidth / 2, 1, rgba);
    EXPECT_EQ(rgba[0], 0);
    readPixel(screenWidth / 2, screenHeight / 2, rgba);
    EXPECT_EQ(rgba[0], 0);
}

TEST_F(RenderState, PictureAreaIsLetterboxedForEachAspect)
{
    // 16:9 height of the window's width, centred: y = trunc(H (1 - f) / 2).
    struct Case {
        float factor;
        int height, y;
    };
    screenHeight = 360;  // the formula alone matters; the window is not resized
    const Case cases[] = {{0.75f, 270, 45}, {0.9f, 324, 18}, {1.0f, 360, 0}};
    GLint viewport[4];
    for (const Case& c : cases) {
        aspectFactor = c.factor;
        resetRenderState();
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], c.y) << c.factor;
        EXPECT_EQ(viewport[2], screenWidth);
        EXPECT_EQ(viewport[3], c.height) << c.factor;

        glViewport(0, 0, 1, 1);
        setOrtho(0);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[1], c.y) << c.factor;
        EXPECT_EQ(viewport[3], c.height) << c.factor;

        setOrtho(RF_OFFSCREEN);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], 512);
        EXPECT_EQ(viewport[3], 256);
    }
    SDL_GL_GetDrawableSize(hWnd, &screenWidth, &screenHeight);
}

TEST_F(RenderState, OrthoDepthRangeDefaultsOnlyWhenBothAreUnset)
{
    setOrtho(0);
    EXPECT_EQ(viewNear, 0.1f);
    EXPECT_EQ(viewFar, 10.0f);
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // Eye z = 0.1 maps to the near plane (-1) and z = 10 to the far plane.
    float nearZ = projection[10] * 0.1f + projection[14];
    float farZ = projection[10] * 10.0f + projection[14];
    EXPECT_NEAR(nearZ, -1.0f, 1e-5f);
    EXPECT_NEAR(farZ, 1.0f, 1e-5f);

    viewNear = -1;
    viewFar = 1;
    setOrtho(0);
    EXPECT_EQ(viewNear, -1.0f);
    EXPECT_EQ(viewFar, 1.0f);
}

TEST_F(RenderState, TextureFiltersWrapAndCoordinateGeneration)
{
    Texture* plain = makeSolidTexture(4, 4, 255, 255, 255, 255, 2, -1, 1, 0);
    Texture* single = makeSolidTexture(4, 4, 255, 255, 255, 255, 1, 1, 1, RF_NOMIPMAP);
    auto minFilter = [] {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        return value;
    };
    auto magFilter = [] {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        return value;
    };

    bindTexture(plain, 0);
    EXPECT_EQ(minFilter(), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter(), GL_LINEAR);
    bindTexture(plain, RF_TRILINEAR);
    EXPECT_EQ(minFilter(), GL_LINEAR_MIPMAP_LINEAR);
    bindTexture(plain, RF_NEAREST | RF_TRILINEAR);
    EXPECT_EQ(minFilter(), GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter(), GL_NEAREST);
    // The record's RF_NOMIPMAP wins over whatever the caller passes.
    bindTexture(single, RF_TRILINEAR);
    EXPECT_EQ(minFilter(), GL_LINEAR);
    bindTexture(single, RF_NEAREST);
    EXPECT_EQ(minFilter(), GL_NEAREST);

    GLint wrap = 0;
    bindTexture(plain, RF_CLAMP);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrap);
    EXPECT_EQ(wrap, textureClampMode);
    bindTexture(plain, 0);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT);

    auto genMode = [](GLenum coordinate) {
        GLint mode = 0;
        glGetTexGeniv(coordinate, GL_TEXTURE_GEN_MODE, &mode);
        return mode;
    };
    auto plane = [](GLenum coordinate, float out[4]) { glGetTexGenfv(coordinate, GL_OBJECT_PLANE, out); };
    float s[4], t[4];

    glEnable(GL_TEXTURE_GEN_R);
    glEnable(GL_TEXTURE_GEN_Q);
    bindTexture(plain, RF_PLANAR_YZ | RF_SPHEREMAP);
    EXPECT_EQ(genMode(GL_S), GL_SPHERE_MAP);
    EXPECT_EQ(genMode(GL_T), GL_SPHERE_MAP);
    EXPECT_TRUE(enabled(GL_TEXTURE_GEN_S));
    EXPECT_TRUE(enabled(GL_TEXTURE_GEN_T));
    EXPECT_FALSE(enabled(GL_TEXTURE_GEN_R));
    EXPECT_FALSE(enabled(GL_TEXTURE_GEN_Q));

    bindTexture(plain, RF_PLANAR_YZ | RF_PLANAR_XZ | RF_EYELINEAR);
    EXPECT_EQ(genMode(GL_S), GL_OBJECT_LINEAR);
    plane(GL_S, s);
    plane(GL_T, t);
    EXPECT_EQ(s[1], 1.0f);
    EXPECT_EQ(t[2], 1.0f);
    bindTexture(plain, RF_PLANAR_XZ | RF_PLANAR_XY);
    plane(GL_S, s);
    plane(GL_T, t);
    EXPECT_EQ(s[0], 1.0f);
    EXPECT_EQ(s[1], 0.0f);
    EXPECT_EQ(t[2], 1.0f);
    bindTexture(plain, RF_PLANAR_XY | RF_PLANAR_DIAG);
    plane(GL_T, t);
    EXPECT_EQ(t[1], 1.0f);
    EXPECT_EQ(t[2], 0.0f);
    bindTexture(plain, RF_PLANAR_DIAG | RF_EYELINEAR);
    plane(GL_S, s);
    plane(GL_T, t);
    const float diagonalS[4] = {0, 1, 1, 0}, diagonalT[4] = {1, 0, 1, 0};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(s[i], diagonalS[i]);
        EXPECT_EQ(t[i], diagonalT[i]);
    }
    bindTexture(plain, RF_EYELINEAR | RF_REFLECT);
    EXPECT_EQ(genMode(GL_S), GL_EYE_LINEAR);
    EXPECT_EQ(genMode(GL_T), GL_EYE_LINEAR);
    bindTexture(plain, RF_REFLECT);
    EXPECT_EQ(genMode(GL_T), GL_SPHERE_MAP);
    bindTexture(plain, 0);
    EXPECT_FALSE(enabled(GL_TEXTURE_GEN_S));
    EXPECT_FALSE(enabled(GL_TEXTURE_GEN_T));

    glDeleteTextures(1, &plain->name);
    glDeleteTextures(1, &single->name);
    delete plain;
    delete single;
}

TEST_F(RenderState, BindTextureUsesUnitZeroWithTheRecordScale)
{
    Texture* texture = makeSolidTexture(4, 4, 255, 255, 255, 255, 2, -1, 0.5f, 0);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) {
        pglActiveTextureARB(unit);
        glEnable(GL_TEXTURE_2D);
    }
    pglActiveTextureARB(GL_TEXTURE0);
    glEnable(GL_TEXTURE_1D);

    bindTexture(texture, 0);
    EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(getInt(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_TRUE(enabled(GL_TEXTURE_2D));
    EXPECT_FALSE(enabled(GL_TEXTURE_1D));
    EXPECT_EQ((GLuint)getInt(GL_TEXTURE_BINDING_2D), texture->name);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[0], 2.0f);
    EXPECT_EQ(matrix[5], -1.0f);
    EXPECT_EQ(matrix[10], 0.5f);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) {
        pglActiveTextureARB(unit);
        EXPECT_FALSE(enabled(GL_TEXTURE_2D)) << unit - GL_TEXTURE0;
    }
    pglActiveTextureARB(GL_TEXTURE0);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture->name);
    delete texture;
}

TEST_F(RenderState, LerpBindCrossFadesTheTwoUnitsByVertexAlpha)
{
    // Two texels: red on the left, blue on the right. Unit 0 samples red,
    // unit 1 samples blue; a = 0.25 gives red x 0.25 + blue x 0.75.
    uint8_t* pixels = (uint8_t*)std::malloc(2 * 4);
    const uint8_t texels[8] = {255, 0, 0, 255, 0, 0, 255, 255};
    for (int i = 0; i < 8; i++)
        pixels[i] = texels[i];
    Texture* texture = finishTexture(2, 1, pixels, 3, 3, 3, RF_NOMIPMAP, 0);

    setOrtho(0);
    applyRenderFlags(RF_NOCULL | RF_NODEPTH);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_POLYGON_SMOOTH);
    bindTextureLerp(texture, RF_NEAREST | RF_CLAMP);
    EXPECT_EQ(getInt(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    GLfloat matrix[16];
    glGetFloatv(GL_TEXTURE_MATRIX, matrix);
    EXPECT_EQ(matrix[0], 1.0f);  // the record's scale is not applied here

    const float alphas[2] = {0.25f, 1.0f};
    const int expectedRed[2] = {64, 255}, expectedBlue[2] = {191, 0};
    for (int i = 0; i < 2; i++) {
        glColor4f(1, 1, 1, alphas[i]);
        glBegin(GL_QUADS);
        const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& corner : corners) {
            pglMultiTexCoord2fARB(GL_TEXTURE0, 0.25f, 0.5f);
            pglMultiTexCoord2fARB(GL_TEXTURE1, 0.75f, 0.5f);
            glVertex3f(corner[0], corner[1], 1);
        }
        glEnd();
        unsigned char rgba[4];
        readPixel(screenWidth / 2, screenHeight / 2, rgba);
        EXPECT_NEAR(rgba[0], expectedRed[i], 2) << "a = " << alphas[i];
        EXPECT_EQ(rgba[1], 0);
        EXPECT_NEAR(rgba[2], expectedBlue[i], 2) << "a = " << alphas[i];
    }

    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE0}) {
        pglActiveTextureARB(unit);
        glDisable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glDeleteTextures(1, &texture->name);
    delete texture;
}
