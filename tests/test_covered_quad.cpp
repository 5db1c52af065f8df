// Where textures are not zero, and the fullscreen quads cut along it: the
// coverage grids on their own, and against a real GL the cut quad leaving
// the picture as the whole quad does while drawing nothing over zero.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/covered_quad.h"
#include "render/fullscreen_quad.h"
#include "render/render_state.h"
#include "render/texel_coverage.h"
#include "show/overlay.h"
#include "tests/support/gl_context.h"
#include "tests/texture_records.h"
#include "textures/texture.h"

namespace {

// The cells of one level that hold `what`, as (column, row) pairs.
std::vector<std::pair<int, int>> cellsHolding(const TexelCoverage& coverage, int level, uint8_t what)
{
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < coverage.rows; r++)
        for (int c = 0; c < coverage.columns; c++)
            if (coverageAny(coverage, level, level, c, r, what))
                cells.push_back({c, r});
    return cells;
}

using Cells = std::vector<std::pair<int, int>>;

}  // namespace

TEST(TexelCoverage, EachNonZeroTexelMarksItsFilterNeighbourhoodOnItsOwnLevelWrappingAtTheEdges)
{
    // 64 x 32 texels: 8 x 4 cells of 8 x 8.
    TexelCoverage coverage;
    coverageStart(&coverage, 64, 32, 3);
    ASSERT_EQ(coverage.columns, 8);
    ASSERT_EQ(coverage.rows, 4);

    std::vector<uint8_t> level0(64 * 32 * 4, 0), level1(32 * 16 * 4, 0), level2(16 * 8 * 4, 0);
    auto texel = [](std::vector<uint8_t>& level, int width, int x, int y) { return &level[((size_t)y * width + x) * 4]; };
    // Colour alone in the middle of cell (2, 1): texels 19..21 stay inside it.
    texel(level0, 64, 20, 9)[1] = 7;
    // Alpha alone at the corner: its neighbourhood wraps to the far edges.
    texel(level0, 64, 0, 0)[3] = 1;
    // At level 1 a texel spans two of level 0: texel (5, 3) reaches level-0
    // texels 8..13 across and 4..9 up, two cells of one column.
    texel(level1, 32, 5, 3)[0] = 255;
    // Level 2 stays zero.
    coverageMarkLevel(&coverage, 0, level0.data());
    coverageMarkLevel(&coverage, 1, level1.data());
    coverageMarkLevel(&coverage, 2, level2.data());

    EXPECT_EQ(cellsHolding(coverage, 0, COVER_COLOUR), (Cells{{2, 1}}));
    EXPECT_EQ(cellsHolding(coverage, 0, COVER_ALPHA), (Cells{{0, 0}, {7, 0}, {0, 3}, {7, 3}}));
    EXPECT_EQ(cellsHolding(coverage, 1, COVER_COLOUR | COVER_ALPHA), (Cells{{1, 0}, {1, 1}}));
    EXPECT_TRUE(cellsHolding(coverage, 2, COVER_COLOUR | COVER_ALPHA).empty());

    // A question names its levels; cells are taken modulo the grid.
    EXPECT_TRUE(coverageAny(coverage, 0, 2, 2, 1, COVER_COLOUR));
    EXPECT_FALSE(coverageAny(coverage, 1, 2, 2, 1, COVER_COLOUR));
    EXPECT_TRUE(coverageAny(coverage, 1, 1, 1, 1, COVER_COLOUR));
    EXPECT_FALSE(coverageAny(coverage, 0, 0, 1, 1, COVER_COLOUR));
    EXPECT_TRUE(coverageAny(coverage, 0, 0, -1, -1, COVER_ALPHA));
    EXPECT_TRUE(coverageAny(coverage, 0, 0, 10, 5, COVER_COLOUR));
}

TEST(TexelCoverage, TheLevelsSampledFollowTheScaleWithAQuarterLevelToSpare)
{
    const struct {
        float texelsPerPixel;
        bool trilinear;
        int first, last;
    } cases[] = {
        {0.25f, false, 0, 0},   // magnified
        {1.0f, false, 0, 0},    // lambda 0
        {1.6f, false, 0, 1},    // lambda 0.68: level 1, level 0 within the margin
        {2.2f, false, 1, 1},    // lambda 1.14
        {4.0f, false, 2, 2},    // lambda 2
        {1.1f, false, 0, 0},    // lambda 0.14
        {1.4f, false, 0, 1},    // lambda 0.49
        {4.0f, true, 1, 3},     // trilinear: levels 2 and 3, widened
        {0.5f, true, 0, 0},
        {1000.0f, false, 4, 4}, // past the smallest level
    };
    for (const auto& c : cases) {
        int first = -1, last = -1;
        sampledLevels(c.texelsPerPixel, c.trilinear, 5, &first, &last);
        EXPECT_EQ(first, c.first) << c.texelsPerPixel << (c.trilinear ? " trilinear" : "");
        EXPECT_EQ(last, c.last) << c.texelsPerPixel << (c.trilinear ? " trilinear" : "");
    }
}

TEST(CoveredQuad, PixelRunsFollowTheBlockOfTheirCentresEitherWayAndWrap)
{
    // Two blocks of 8 in 16 texels; eighths of the texture a pixel.
    BlockStrip strips[10];
    int count = blockStrips(10, 0.75, 0.125, 16, 8, strips);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<int>({strips[0].first, strips[0].end, strips[0].block}), std::vector<int>({0, 2, 1}));
    EXPECT_EQ(std::vector<int>({strips[1].first, strips[1].end, strips[1].block}), std::vector<int>({2, 6, 0}));
    EXPECT_EQ(std::vector<int>({strips[2].first, strips[2].end, strips[2].block}), std::vector<int>({6, 10, 1}));

    count = blockStrips(10, 0.25, -0.125, 16, 8, strips);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(std::vector<int>({strips[0].first, strips[0].end, strips[0].block}), std::vector<int>({0, 2, 0}));
    EXPECT_EQ(std::vector<int>({strips[1].first, strips[1].end, strips[1].block}), std::vector<int>({2, 6, 1}));
    EXPECT_EQ(std::vector<int>({strips[2].first, strips[2].end, strips[2].block}), std::vector<int>({6, 10, 0}));

    // A texture narrower than a block is one block.
    EXPECT_EQ(blockStrips(10, 0.0, 0.3, 4, 8, strips), 1);
}

namespace {

constexpr int width = 640, height = 360;

class CoveredQuadOnGl : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestContext(width, height);
        testDisplay().aspectFactor = 1.0f;
        resetRenderState(view);
        // 128 x 64, black but for a bright texel, a dim pair and a block by
        // the edge, so that repeats and the filter's reach both matter.
        uint8_t* texels = (uint8_t*)std::calloc(128 * 64, 4);
        auto set = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
            uint8_t* t = texels + ((size_t)y * 128 + x) * 4;
            t[0] = r, t[1] = g, t[2] = b, t[3] = 255;
        };
        set(40, 20, 255, 255, 255);
        set(90, 45, 3, 0, 0);
        set(91, 45, 0, 0, 9);
        for (int y = 50; y < 58; y++)
            for (int x = 120; x < 128; x++)
                set(x, y, 200, 100, 50);
        texture = finishTexture(128, 64, texels, 1.0f, 1.0f, 1.0f, 0, 0);
        ASSERT_NE(texture->coverage, nullptr);
    }
    void TearDown() override
    {
        dropTextures({texture});
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }

    // The window after drawing the texture over the picture area through
    // the span's texture matrix, cut or whole, blended (darkening) or not,
    // over a grey 0.6 (blended) or a marker colour (not blended).
    std::vector<uint8_t> draw(const TextureSpan& span, bool cut, bool blend, RenderFlags flags = 0)
    {
        glClearColor(blend ? 0.6f : 0.2f, 0.6f, blend ? 0.6f : 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        pushRenderState();
        setOrtho(view, 0);
        bindTexture(view.display->gl, texture, flags);
        flatQuadState();
        if (blend) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
        } else {
            glDisable(GL_BLEND);
        }
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glTranslatef((float)span.s0, (float)span.t0, 0.0f);
        glScalef((float)span.su, (float)span.tv, 1.0f);
        glMatrixMode(GL_MODELVIEW);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        if (cut)
            fullscreenQuadOverCoverage(view, 0, texture, flags, 0.0f, 0.0f, 1.0f, 1.0f, span, COVER_COLOUR);
        else
            fullscreenQuad(view);
        popRenderState();
        std::vector<uint8_t> pixels((size_t)width * height * 4);
        glFinish();
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    View& view = testShow().view;
    Texture* texture = nullptr;
};

bool isMarker(const uint8_t* p)
{
    return p[0] == 51 && p[1] == 153 && p[2] == 230;
}

}  // namespace

TEST_F(CoveredQuadOnGl, DarkensAsTheWholeQuadDoesAndDrawsNothingWhereEverySampleIsZero)
{
    const struct {
        const char* name;
        TextureSpan span;
    } spans[] = {
        {"magnified", {0.1, 1.0, 0.05, 1.0}},
        {"flipped and repeated", {0.7, 1.5, 1.0, -1.0}},
        {"minified to levels 0 and 1", {0.3, 8.0, 0.2, 3.0}},
        {"minified to level 2 upwards", {0.0, 8.0, 0.0, 22.0}},
    };
    for (const auto& s : spans) {
        SCOPED_TRACE(s.name);
        std::vector<uint8_t> whole = draw(s.span, false, true);
        std::vector<uint8_t> cut = draw(s.span, true, true);
        int largest = 0, darkened = 0;
        for (size_t i = 0; i < whole.size(); i += 4) {
            for (int c = 0; c < 3; c++)
                largest = std::max(largest, std::abs(whole[i + c] - cut[i + c]));
            darkened += whole[i] != 153 || whole[i + 1] != 153 || whole[i + 2] != 153;
        }
        EXPECT_LE(largest, 1);
        EXPECT_GT(darkened, 0);

        // Unblended, every pixel the texture darkened is drawn, and most of
        // the black area is left alone.
        std::vector<uint8_t> drawn = draw(s.span, true, false);
        int skipped = 0, missed = 0;
        for (size_t i = 0; i < drawn.size(); i += 4) {
            bool marker = isMarker(&drawn[i]);
            skipped += marker;
            missed += marker && (whole[i] != 153 || whole[i + 1] != 153 || whole[i + 2] != 153);
        }
        EXPECT_EQ(missed, 0);
        EXPECT_GT(skipped, width * height / 3);
    }
}

TEST_F(CoveredQuadOnGl, ClampedOrMultiplyingTexturesGetTheWholeQuad)
{
    std::vector<uint8_t> drawn = draw({0.1, 1.0, 0.05, 1.0}, true, false, RF_CLAMP);
    int skipped = 0;
    for (size_t i = 0; i < drawn.size(); i += 4)
        skipped += isMarker(&drawn[i]);
    EXPECT_EQ(skipped, 0);
    // A multiplying fullscreen texture (as the mask is) blackens the picture
    // where it is zero.
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    fullscreen_texture(view, texture, 1.0f, RF_MUL);
    unsigned char rgba[4];
    readPixel(10, 10, rgba);
    EXPECT_EQ(rgba[0], 0);
}
