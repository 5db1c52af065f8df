// The pentagon defocus blur and the two-image blur atlas.
// Death tests run in a fresh process ("threadsafe" style): forking a process
// that holds a GL context with rendering threads is not safe.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/loading_bar.h"
#include "base/fatal.h"
#include "geometry/particles.h"
#include "tests/jpeg_writer.h"
#include "tests/support/gl_context.h"
#include "tests/texture_records.h"
#include "textures/blur_atlas.h"
#include "textures/bokeh.h"

// Unnormalised, a tap at (x, y) = offset + (0.23, 0.17) weighs e (3d + r),
// d = 1.1 x the largest of sin(a) x + cos(a) y over a = 2.5, 3.76, 5.02,
// 6.28 and 7.54, e = clamp(2 (r - d), 0, 1). Relative to the centre tap
// for r = 10 (worked out by hand):
TEST(BokehKernel, PentagonWeightsRiseTowardTheRimAndSumToOne)
{
    BokehKernel kernel = makeBokehKernel(0.1f, 100);
    ASSERT_EQ(kernel.side, 24);
    const float* centre = kernel.weights + 12 * 24 + 12;
    const struct {
        int dx, dy;
        float relative;
    } taps[] = {{5, 0, 2.4404f}, {-5, 0, 2.31038f}, {0, 5, 2.48353f}, {0, -5, 2.13156f}, {6, -6, 3.46183f},
                {-6, -6, 3.36983f}, {9, 0, 2.05224f} /* soft edge, e = 0.571 */, {0, 9, 0.0f}, {7, -7, 0.0f}};
    for (auto tap : taps)
        EXPECT_NEAR(centre[tap.dy * 24 + tap.dx] / centre[0], tap.relative, 2e-4f) << tap.dx << ", " << tap.dy;
    EXPECT_NEAR(std::accumulate(kernel.weights, kernel.weights + 24 * 24, 0.0), 1.0, 1e-5);
    std::free(kernel.weights);

    BokehKernel small = makeBokehKernel(0.005f, 100);  // r = 0.5 still gets a 4 x 4 kernel
    EXPECT_EQ(small.side, 4);
    EXPECT_NEAR(std::accumulate(small.weights, small.weights + 16, 0.0), 1.0, 1e-6);
    std::free(small.weights);
}

TEST(BokehBlur, TinyRadiiChangeNothing)
{
    // r = 37 x 0.005 covers no tap at all: the image stays as it is.
    const int w = 37, h = 23;
    std::vector<uint8_t> src(w * h * 4), out(w * h * 4);
    for (size_t i = 0; i < src.size(); i++)
        src[i] = (uint8_t)((i * 2654435761u) >> 13);
    bokehBlur(src.data(), out.data(), 0.005f, w, h);
    EXPECT_EQ(std::memcmp(out.data(), src.data(), src.size()), 0);
}

TEST(BlurAtlas, SourceAlphaFromFileBeforeFunctionElseTransparent)
{
    std::vector<uint8_t> rgb = solidRgb(2, 2, 200, 128, 128), alpha = solidRgb(2, 2, 33, 250, 250);
    uint8_t texels[16];
    fillAtlasSource(texels, rgb.data(), alpha.data(), alphaFromGreyDistance, 2, 2);
    EXPECT_EQ(texels[3], 33);
    fillAtlasSource(texels, rgb.data(), nullptr, nullptr, 2, 2);
    EXPECT_EQ(texels[15], 0);
    EXPECT_EQ(texels[12], 200);
}

// W x W images make a 4W x 2W atlas, cells 0-2 of W texels, 3-5 of W / 2
// and 6-9 of W / 4, tiling each half. With W = 32 the blur of level 1
// (r = 0.25) covers no kernel tap.
TEST(BlurAtlas, CellsOfTwoImagesTileTheirHalvesAsTheTableSays)
{
    for (const int W : {64, 32}) {
        const int aw = 4 * W;
        std::vector<uint8_t> atlas(aw * 2 * W * 4, 0), source(W * W * 4), sharp;
        const uint8_t colours[2][3] = {{200, 40, 40}, {40, 40, 200}};
        for (int half = 0; half < 2; half++) {
            std::vector<uint8_t> image = solidRgb(W, W, colours[half][0], colours[half][1], colours[half][2]);
            fillAtlasSource(source.data(), image.data(), nullptr, alphaFromGreyDistance, W, W);
            if (half == 0)
                sharp = source;
            writeAtlasHalf(atlas.data(), source.data(), W, W, half * 2 * W);
        }
        for (int half = 0; half < 2; half++)
            for (int k = 0; k < 10; k++) {
                const float* cell = particleAtlasLevels[k];
                const int side = k < 3 ? W : k < 6 ? W / 2 : W / 4;
                EXPECT_EQ((int)(2 * W * cell[2]) - (int)(2 * W * cell[0]), side) << "cell " << k;
                EXPECT_EQ((int)(2 * W * cell[3]) - (int)(2 * W * cell[1]), side) << "cell " << k;
                // The middle of every cell shows its image's colour and alpha.
                const int x = half * 2 * W + (int)(2 * W * cell[0]) + side / 2;
                const uint8_t* middle = &atlas[(((int)(2 * W * cell[1]) + side / 2) * aw + x) * 4];
                EXPECT_NEAR(middle[0], colours[half][0], 2) << W << ", cell " << k;
                EXPECT_NEAR(middle[2], colours[half][2], 2) << W << ", cell " << k;
                EXPECT_NEAR(middle[3], 248, 1) << W << ", cell " << k;
            }
        // No texel is left out (the cells neither overlap nor fall short).
        for (int p = 0; p < aw * 2 * W; p++)
            ASSERT_NE(atlas[p * 4 + 3], 0) << "texel " << p % aw << ", " << p / aw;
        // Cell 0 is the sharp source; at 64 texels cell 5 is blurred enough
        // for its corner to fade.
        for (int y = 0; y < W; y++)
            ASSERT_EQ(std::memcmp(&atlas[y * aw * 4], &sharp[y * W * 4], W * 4), 0);
        EXPECT_TRUE(W < 64 || atlas[(3 * W / 2 * aw + W) * 4 + 3] < 200);
    }
}

TEST(BlurAtlasDeathTest, ImagesOfDifferentSizesAreRefused)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string big = scratchPath("atlas64.jpg"), small = scratchPath("atlas32.jpg");
    writeTestJpeg(big, 64, 64, 3, solidRgb(64, 64, 200, 10, 10));
    writeTestJpeg(small, 32, 32, 3, solidRgb(32, 32, 200, 10, 10));
    EXPECT_EXIT(makeBlurAtlas(big.c_str(), nullptr, nullptr, small.c_str(), nullptr, nullptr, 0, ProgressReport()),
                ::testing::ExitedWithCode(1), "vitun läski älä lataa erikokosii texturei: .*atlas32.jpg");
    EXPECT_EXIT(makeBlurAtlas(big.c_str(), nullptr, nullptr, "absent.jpg", nullptr, nullptr, 0, ProgressReport()),
                ::testing::ExitedWithCode(1), "^absent.jpg not found");
}

TEST(BlurAtlas, TextureRecordAndUpload)
{
    openTestContext();
    std::string a = scratchPath("sprite_a.jpg"), b = scratchPath("sprite_b.jpg");
    writeTestJpeg(a, 64, 64, 3, solidRgb(64, 64, 240, 60, 60));
    writeTestJpeg(b, 64, 64, 3, solidRgb(64, 64, 60, 60, 240));
    int steps = 0;
    ProgressReport countSteps{[](void* user) { ++*(int*)user; }, &steps};
    Texture* atlas = makeBlurAtlas(a.c_str(), nullptr, alphaFromGreyDistance, b.c_str(), nullptr,
                                   alphaFromGreyDistance, RF_REFLECT | RF_ALPHA, countSteps);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_EQ(steps, 1);  // halfway
    EXPECT_EQ(fieldsOf(atlas), (RecordFields{256, 128, 0.25f, 0.5f, 0.5f, RF_REFLECT, 2}));
    glBindTexture(GL_TEXTURE_2D, atlas->name);
    std::vector<uint8_t> level = readLevel(0, 256, 128);
    EXPECT_NEAR(level[(32 * 256 + 32) * 4], 240, 3);
    EXPECT_NEAR(level[(32 * 256 + 160) * 4 + 2], 240, 3);
    dropTextures({atlas});
}
