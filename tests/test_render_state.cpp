// Render state against a real GL, seen in the pixels it gives: what each
// flag word does to a quad drawn over a known picture (blending, depth,
// culling, shading), what the save/restore pair and the reset restore, and
// the texture bind's filters, wrap, scale and units. (The two-unit
// cross-fade is seen in the particles' pixels. Coordinate generation is not
// checked: nothing in the show uses it. Nor is RF_STENCIL: nothing sets it,
// and the program's contexts have no stencil buffer.)
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/setup.h"
#include "base/fatal.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "render/fullscreen_quad.h"
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

// Clears the window to picture, draws each quad over the picture area at
// eye depth z (the 2D projection spans 0.1 .. 10) with its flags applied,
// counter-clockwise unless clockwise, its upper corners in grey upper when
// that is not negative, and reads back the centre's RGB.
struct Quad {
    RenderFlags flags;
    float r, g, b, a;
    float z = 1.0f;
    bool clockwise = false;
    float upper = -1.0f;
};

std::vector<int> drawnOver(View& view, const float picture[3], std::initializer_list<Quad> quads)
{
    resetRenderState(view);
    glClearColor(picture[0], picture[1], picture[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setOrtho(view, 0);
    glDisable(GL_POLYGON_SMOOTH);
    for (const Quad& q : quads) {
        applyRenderFlags(q.flags);
        glBegin(GL_QUADS);
        for (int corner = 0; corner < 4; corner++) {
            int k = q.clockwise ? 3 - corner : corner;
            if (k >= 2 && q.upper >= 0)
                glColor4f(q.upper, q.upper, q.upper, q.a);
            else
                glColor4f(q.r, q.g, q.b, q.a);
            glVertex3f(k == 1 || k == 2 ? 1.0f : -1.0f, k >= 2 ? 1.0f : -1.0f, q.z);
        }
        glEnd();
    }
    unsigned char rgba[4];
    readPixel(view.display->width / 2, view.display->height / 2, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

}  // namespace

TEST_F(RenderState, BlendBitsMixAsTheirEquationsTheFirstInOrderWinning)
{
    // Drawn s = (0.8, 0.4, 0.2) at alpha a = 0.25 over d = (0.5, 0.25, 0.75),
    // in the order add, invmul, mul, alpha, screen; the view and texture
    // bits change nothing.
    const float d[3] = {0.5f, 0.25f, 0.75f}, s[3] = {0.8f, 0.4f, 0.2f}, a = 0.25f;
    const struct {
        RenderFlags flags;
        float (*mix)(float s, float d, float a);
    } cases[] = {
        {0, [](float s, float, float) { return s; }},
        {RF_ADD | RF_MUL | RF_SCREEN, [](float s, float d, float) { return s + d; }},
        {RF_INVMUL | RF_MUL | RF_ALPHA, [](float s, float d, float) { return d * (1 - s); }},
        {RF_MUL | RF_ALPHA, [](float s, float d, float) { return d * s; }},
        {RF_OFFSCREEN | RF_MUL | RF_NEAREST | RF_CLAMP, [](float s, float d, float) { return d * s; }},
        {RF_ALPHA | RF_SCREEN, [](float s, float d, float a) { return s * a + d * (1 - a); }},
        {RF_SCREEN, [](float s, float d, float) { return 1 - (1 - s) * (1 - d); }},
    };
    for (const auto& c : cases) {
        std::vector<int> drawn = drawnOver(view, d, {{c.flags, s[0], s[1], s[2], a}});
        for (int i = 0; i < 3; i++)
            EXPECT_NEAR(drawn[i], std::min(c.mix(s[i], d[i], a), 1.0f) * 255, 1.5)
                << "flags 0x" << std::hex << c.flags << ", channel " << i;
    }
}

TEST_F(RenderState, DepthCullAndShadeBitsDecideWhatShows)
{
    // A red quad (opaque, or clear), then a green one behind it (z 5), at
    // its depth (z 1) or seen from behind: whether the green one shows.
    const float black[3] = {0, 0, 0};
    const struct {
        RenderFlags first;
        float alpha;
        RenderFlags second;
        float z;
        bool clockwise, greenShows;
    } cases[] = {
        {0, 1, 0, 5, false, false},              // depth tested and written
        {0, 1, 0, 1, false, false},              // the same depth hides
        {0, 1, RF_ADD, 1, false, true},          // but not a blended pass
        {RF_NODEPTH, 1, 0, 5, false, true},      // neither tested nor written
        {0, 1, RF_NODEPTH, 5, false, true},
        {RF_NOZWRITE, 1, 0, 5, false, true},     // tested, not written
        {RF_ALPHA, 0, 0, 5, false, true},        // clear fragments write no depth
        {RF_NODEPTH, 1, RF_NODEPTH, 5, true, false},  // back faces culled
        {RF_NODEPTH, 1, RF_NODEPTH | RF_CULLFRONT, 5, true, true},
        {RF_NODEPTH, 1, RF_NODEPTH | RF_CULLFRONT, 5, false, false},
        {RF_NODEPTH, 1, RF_NODEPTH | RF_NOCULL | RF_CULLFRONT, 5, false, true},
        {RF_NODEPTH, 1, RF_NODEPTH | RF_NOCULL, 5, true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(drawnOver(view, black, {{c.first, 1, 0, 0, c.alpha}, {c.second, 0, 1, 0, 1, c.z, c.clockwise}})[1],
                  c.greenShows ? 255 : 0)
            << "0x" << std::hex << c.first << " then 0x" << c.second << (c.clockwise ? " clockwise" : "") << " at z "
            << c.z;

    // Black lower corners, white upper ones: flat shading takes the last
    // corner's colour for the whole quad, smooth shading blends them.
    for (RenderFlags flags : {RF_FLAT, (RenderFlags)0})
        EXPECT_NEAR(drawnOver(view, black, {{flags, 0, 0, 0, 1, 1, false, 1}})[0], flags ? 255 : 128, 2) << flags;
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

TEST_F(RenderState, BindTextureSamplesUnitZeroWithTheFlagsAndTheRecord)
{
    // Texels whose red is 255 x column and green 255 x row: red follows s
    // and green t, each as the filter and wrap give them.
    auto ramp = [](float scaleS, float scaleT) {
        uint8_t* texels = (uint8_t*)std::malloc(16);
        std::memcpy(texels, "\0\0\0\xff\xff\0\0\xff\0\xff\0\xff\xff\xff\0\xff", 16);
        return finishTexture(2, 2, texels, scaleS, scaleT, 1, RF_NOMIPMAP, 0);
    };
    Texture* plain = ramp(1, 1);
    Texture* flipped = ramp(2, -1);
    Texture* black = makeSolidTexture(1, 1, 0, 0, 0, 255, 1, 1, 1, RF_NOMIPMAP);
    GlCaps oldClamp = display.gl, twoUnits = display.gl;
    oldClamp.clampMode = GL_CLAMP;
    twoUnits.textureUnits = 2;
    const struct {
        const GlCaps& gl;
        const Texture* texture;
        RenderFlags flags;
        float s, t;
        int red, green;
    } cases[] = {
        {display.gl, plain, 0, 0.4f, 0.6f, 77, 178},             // bilinear between the texel centres
        {display.gl, plain, RF_TRILINEAR, 0.4f, 0.6f, 77, 178},  // the record's RF_NOMIPMAP wins
        {display.gl, plain, RF_NEAREST, 0.4f, 0.6f, 0, 255},
        {display.gl, plain, 0, 1.1f, 0.6f, 77, 178},             // repeated: the first column follows
        {display.gl, plain, RF_CLAMP, 1.1f, 0.6f, 255, 178},     // clamped to the edge
        {oldClamp, plain, RF_CLAMP, 1.1f, 0.6f, 128, 89},        // OpenGL 1.1: half the black border
        {display.gl, flipped, RF_NEAREST, 0.3f, 0.3f, 255, 255}, // the record's scale: s x 2, t x -1
        {twoUnits, plain, RF_NEAREST, 0.4f, 0.6f, 0, 0},         // a third unit only where there is one
    };
    for (const auto& c : cases) {
        resetRenderState(view);
        setOrtho(view, 0);
        flatQuadState();
        // Units 1 and 2 on, with black: any of them left on darkens the quad.
        for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE2}) {
            display.gl.activeTexture(unit);
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, black->name);
        }
        display.gl.activeTexture(GL_TEXTURE0);
        bindTexture(c.gl, c.texture, c.flags);
        fullscreenQuad(view, 0, 0, c.s - 0.01f, c.t - 0.01f, c.s + 0.01f, c.t + 0.01f);
        unsigned char rgba[4];
        readPixel(display.width / 2, display.height / 2, rgba);
        EXPECT_TRUE(std::abs(rgba[0] - c.red) <= 2 && std::abs(rgba[1] - c.green) <= 2)
            << "flags 0x" << std::hex << c.flags << std::dec << " at " << c.s << ", " << c.t << ": " << +rgba[0]
            << " " << +rgba[1];
        expectState({{GL_ACTIVE_TEXTURE, GL_TEXTURE0}, {GL_MATRIX_MODE, GL_MODELVIEW}});
    }
    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE1, GL_TEXTURE0})
        display.gl.activeTexture(unit), glDisable(GL_TEXTURE_2D);
    dropTextures({plain, flipped, black});
}
