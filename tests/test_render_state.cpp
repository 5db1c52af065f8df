// Render state against a real GL: what each flag word leaves in the context,
// what the save/restore pair and the reset restore, texture parameters, and
// the two-unit cross-fade. (Coordinate generation is not checked: nothing in
// the show uses it; the letterboxed viewports are seen in the reference
// frames.)
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/setup.h"
#include "base/fatal.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "render/render_state.h"
#include "tests/support/gl_context.h"
#include "tests/texture_records.h"
#include "textures/texture.h"

namespace {

// The first n values of a state query; capabilities read back as 0 or 1.
std::vector<GLint> ints(GLenum name, int n = 1)
{
    GLint values[16] = {};
    glGetIntegerv(name, values);
    return std::vector<GLint>(values, values + n);
}

float getFloat(GLenum name, int index)
{
    GLfloat values[16] = {};
    glGetFloatv(name, values);
    return values[index];
}

struct Expect {
    GLenum name;
    GLint value;
    int index = 0;
};

void expectState(const std::vector<Expect>& expected)
{
    for (const Expect& e : expected)
        EXPECT_EQ(ints(e.name, e.index + 1)[e.index], e.value) << "state 0x" << std::hex << e.name << "[" << e.index << "]";
}

class RenderState : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestContext();
        testDisplay().aspectFactor = 1.0f;
        resetRenderState(view);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR); }
    View& view = testShow().view;
    Display& display = testDisplay();
};

}  // namespace

TEST_F(RenderState, EachFlagWordLeavesItsStateInOrder)
{
    // Applied one after another: later rows also see what earlier ones left.
    const int stencilRef = ints(GL_STENCIL_BITS)[0] > 0 ? 1 : 0;  // GL clamps it to the buffer's range
    const struct {
        RenderFlags flags;
        std::vector<Expect> expected;
    } rows[] = {
        {0, {{GL_BLEND, 0}, {GL_DEPTH_FUNC, GL_LESS}, {GL_ALPHA_TEST_FUNC, GL_ALWAYS}}},
        // Blend bits: the first in the order add, invmul, mul, alpha, screen wins.
        {RF_ADD | RF_MUL | RF_SCREEN, {{GL_BLEND, 1}, {GL_BLEND_SRC, GL_ONE}, {GL_BLEND_DST, GL_ONE}, {GL_DEPTH_FUNC, GL_LEQUAL}}},
        {RF_INVMUL | RF_MUL | RF_ALPHA, {{GL_BLEND_SRC, GL_ZERO}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_COLOR}}},
        {RF_MUL | RF_ALPHA, {{GL_BLEND_SRC, GL_ZERO}, {GL_BLEND_DST, GL_SRC_COLOR}, {GL_ALPHA_TEST_FUNC, GL_ALWAYS}}},
        {RF_ALPHA | RF_SCREEN, {{GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA}, {GL_ALPHA_TEST_FUNC, GL_GREATER}}},
        {RF_SCREEN, {{GL_BLEND_SRC, GL_ONE}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_COLOR}}},
        // No blend bit: blending off, depth LESS; the alpha test stays as set.
        {RF_NODEPTH | RF_NOZWRITE,
         {{GL_BLEND, 0}, {GL_DEPTH_FUNC, GL_LESS}, {GL_ALPHA_TEST_FUNC, GL_GREATER}, {GL_DEPTH_TEST, 0}, {GL_DEPTH_WRITEMASK, 0}}},
        {RF_NOZWRITE, {{GL_DEPTH_TEST, 1}, {GL_DEPTH_WRITEMASK, 0}}},
        {RF_NOCULL | RF_CULLFRONT, {{GL_DEPTH_WRITEMASK, 1}, {GL_CULL_FACE, 0}}},
        {RF_CULLFRONT | RF_FLAT, {{GL_CULL_FACE, 1}, {GL_CULL_FACE_MODE, GL_FRONT}, {GL_SHADE_MODEL, GL_FLAT}}},
        {0, {{GL_CULL_FACE_MODE, GL_BACK}, {GL_SHADE_MODEL, GL_SMOOTH}, {GL_STENCIL_TEST, 0}}},
        {RF_STENCIL, {{GL_STENCIL_TEST, 1}, {GL_STENCIL_FUNC, GL_EQUAL}, {GL_STENCIL_REF, stencilRef},
                      {GL_STENCIL_FAIL, GL_KEEP}, {GL_STENCIL_PASS_DEPTH_PASS, GL_DECR}}},
        {0, {{GL_STENCIL_TEST, 1}}},  // without the bit the stencil state stays
        // The view and texture bits are not state bits: 0x5000 is 0x1000.
        {RF_OFFSCREEN | RF_MUL | RF_NEAREST | RF_CLAMP, {{GL_BLEND_DST, GL_SRC_COLOR}, {GL_CULL_FACE, 1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.flags);
        applyRenderFlags(row.flags);
        expectState(row.expected);
    }
}

TEST_F(RenderState, PopRestoresEnablesAndMatricesButNotBlendFunctionsAndResetRestoresTheRest)
{
    glMatrixMode(GL_MODELVIEW), glLoadIdentity(), glTranslatef(1, 2, 3);
    glViewport(10, 20, 300, 200);
    pushRenderState();
    applyRenderFlags(RF_ALPHA | RF_NOCULL | RF_NODEPTH);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    glEnable(GL_LIGHTING);
    glViewport(0, 0, 16, 16);
    glMatrixMode(GL_TEXTURE), glScalef(2, 2, 2);
    glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    popRenderState();
    // Enables, viewport and matrices come back; the colour-buffer group is
    // not saved, so its functions and masks persist.
    expectState({{GL_MATRIX_MODE, GL_MODELVIEW}, {GL_BLEND, 0}, {GL_CULL_FACE, 1}, {GL_DEPTH_TEST, 1}, {GL_LIGHTING, 0},
                 {GL_DEPTH_WRITEMASK, 1}, {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_ALPHA_TEST_FUNC, GL_GREATER},
                 {GL_COLOR_WRITEMASK, 0, 1}});
    EXPECT_EQ(ints(GL_VIEWPORT, 4), (std::vector<GLint>{10, 20, 300, 200}));
    EXPECT_TRUE(getFloat(GL_MODELVIEW_MATRIX, 14) == 3.0f && getFloat(GL_TEXTURE_MATRIX, 0) == 1.0f);

    // The reset undoes what a scene leaves behind and clears the whole
    // window, letterbox bars included, to black.
    glClearColor(1, 1, 1, 1);
    glViewport(0, 0, display.width, display.height);
    glClear(GL_COLOR_BUFFER_BIT);
    applyRenderFlags(RF_ADD | RF_NOCULL | RF_NOZWRITE | RF_STENCIL | RF_FLAT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (GLenum capability : {GL_TEXTURE_GEN_S, GL_SCISSOR_TEST, GL_CLIP_PLANE3}) glEnable(capability);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    view.viewNear = 3, view.viewFar = 7, view.cameraUp[1] = 0, view.projectionShift[0] = 0.25f;
    display.aspectFactor = 0.75f;
    resetRenderState(view);
    expectState({{GL_CULL_FACE, 1}, {GL_BLEND, 0}, {GL_DEPTH_WRITEMASK, 1}, {GL_TEXTURE_GEN_S, 0}, {GL_SCISSOR_TEST, 0},
                 {GL_STENCIL_TEST, 0}, {GL_CLIP_PLANE3, 0}, {GL_SHADE_MODEL, GL_SMOOTH}, {GL_LIGHTING, 0}});
    EXPECT_EQ(getFloat(GL_CURRENT_COLOR, 0), 1.0f);
    EXPECT_TRUE(view.viewNear == 0 && view.viewFar == 0 && view.cameraUp[1] == 1 && view.projectionShift[0] == 0);
    unsigned char rgba[4];
    readPixel(display.width / 2, 1, rgba);
    EXPECT_EQ(rgba[0], 0);
}

TEST_F(RenderState, BindTextureSetsUnitZeroFiltersAndWrap)
{
    Texture* plain = makeSolidTexture(4, 4, 255, 255, 255, 255, 2, -1, 0.5f, 0);
    Texture* single = makeSolidTexture(4, 4, 255, 255, 255, 255, 1, 1, 1, RF_NOMIPMAP);
    // Units 1 and 2 are switched off, 1D texturing too; the record's scale
    // goes to the texture matrix.
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) display.gl.activeTexture(unit), glEnable(GL_TEXTURE_2D);
    display.gl.activeTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_1D);
    bindTexture(display.gl, plain, 0);
    expectState({{GL_ACTIVE_TEXTURE, GL_TEXTURE0}, {GL_MATRIX_MODE, GL_MODELVIEW}, {GL_TEXTURE_2D, 1}, {GL_TEXTURE_1D, 0},
                 {GL_TEXTURE_BINDING_2D, (GLint)plain->name}});
    EXPECT_TRUE(getFloat(GL_TEXTURE_MATRIX, 0) == 2 && getFloat(GL_TEXTURE_MATRIX, 5) == -1 && getFloat(GL_TEXTURE_MATRIX, 10) == 0.5f);
    std::vector<GLboolean> others;
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2, GL_TEXTURE0}) display.gl.activeTexture(unit), others.push_back(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(others, (std::vector<GLboolean>{GL_FALSE, GL_FALSE, GL_TRUE}));

    auto parameter = [](GLenum name) {
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    };
    // The record's RF_NOMIPMAP wins over whatever the caller passes.
    struct Filter {
        Texture* texture;
        RenderFlags flags;
        GLint min, mag, wrap;
    };
    for (const Filter& f : {Filter{plain, RF_CLAMP, GL_LINEAR_MIPMAP_NEAREST, GL_LINEAR, display.gl.clampMode},
                            Filter{plain, RF_TRILINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT},
                            Filter{plain, RF_NEAREST | RF_TRILINEAR, GL_NEAREST_MIPMAP_NEAREST, GL_NEAREST, GL_REPEAT},
                            Filter{single, RF_TRILINEAR, GL_LINEAR, GL_LINEAR, GL_REPEAT},
                            Filter{single, RF_NEAREST | RF_CLAMP, GL_NEAREST, GL_NEAREST, display.gl.clampMode}}) {
        SCOPED_TRACE(f.flags | f.texture->flags);
        bindTexture(display.gl, f.texture, f.flags);
        EXPECT_EQ(std::vector<GLint>({parameter(GL_TEXTURE_MIN_FILTER), parameter(GL_TEXTURE_MAG_FILTER),
                                      parameter(GL_TEXTURE_WRAP_S), parameter(GL_TEXTURE_WRAP_T)}),
                  std::vector<GLint>({f.min, f.mag, f.wrap, f.wrap}));
    }

    glDisable(GL_TEXTURE_2D);
    dropTextures({plain, single});
}

TEST_F(RenderState, LerpBindCrossFadesTheTwoUnitsByVertexAlpha)
{
    // Two texels: red on the left, blue on the right. Unit 0 samples red,
    // unit 1 samples blue; a = 0.25 gives red x 0.25 + blue x 0.75.
    uint8_t* pixels = (uint8_t*)std::malloc(2 * 4);
    std::memcpy(pixels, "\xff\0\0\xff\0\0\xff\xff", 8);
    Texture* texture = finishTexture(2, 1, pixels, 3, 3, 3, RF_NOMIPMAP, 0);
    setOrtho(view, 0);
    applyRenderFlags(RF_NOCULL | RF_NODEPTH);
    glDisable(GL_ALPHA_TEST), glDisable(GL_POLYGON_SMOOTH);
    bindTextureLerp(display.gl, texture, RF_NEAREST | RF_CLAMP);
    expectState({{GL_ACTIVE_TEXTURE, GL_TEXTURE0}});
    EXPECT_EQ(getFloat(GL_TEXTURE_MATRIX, 0), 1.0f);  // the record's scale is not applied here
    for (auto [alpha, red, blue] : {std::tuple{0.25f, 64, 191}, {1.0f, 255, 0}}) {
        glColor4f(1, 1, 1, alpha);
        glBegin(GL_QUADS);
        for (auto [x, y] : {std::pair{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}) {
            display.gl.multiTexCoord2f(GL_TEXTURE0, 0.25f, 0.5f);
            display.gl.multiTexCoord2f(GL_TEXTURE1, 0.75f, 0.5f);
            glVertex3f((float)x, (float)y, 1);
        }
        glEnd();
        unsigned char rgba[4];
        readPixel(display.width / 2, display.height / 2, rgba);
        EXPECT_TRUE(std::abs(rgba[0] - red) <= 2 && rgba[1] == 0 && std::abs(rgba[2] - blue) <= 2)
            << "a = " << alpha << ": " << +rgba[0] << " " << +rgba[1] << " " << +rgba[2];
    }
    dropTextures({texture});
}
