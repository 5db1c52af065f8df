// Texture upload: the reduction filter's response, and against a real GL
// the mipmap chain compared with a plain reference of the reduction, the
// pool at its largest image, and the loading bar.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/loading_bar.h"
#include "app/setup.h"
#include "base/fatal.h"
#include "base/temp_pool.h"
#include "platform/window.h"
#include "tests/support/gl_context.h"
#include "tests/texture_records.h"
#include "textures/texture.h"

namespace {

using Sizes = std::vector<std::pair<int, int>>;

class TextureUpload : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestContext();
        freshTexture();
    }
    void TearDown() override
    {
        glDeleteTextures(1, &name);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
    // A new bound texture, so no levels are left from an earlier upload.
    void freshTexture() { glDeleteTextures(1, &name), glGenTextures(1, &name), glBindTexture(GL_TEXTURE_2D, name); }
    GLuint name = 0;
};

// Sizes of the levels of the bound texture.
Sizes levelSizes()
{
    Sizes levels;
    for (int level = 0; level < 20; level++) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        if (w == 0) break;
        levels.push_back({w, h});
    }
    return levels;
}

int halve(int n) { return n > 1 ? n / 2 : n; }

// One halving of a line of samples written the plain way: scatter every
// sample over the 16 taps of a zeroed array, then pick every second sum.
std::vector<float> halveLine(const std::vector<float>& line, const float k[16])
{
    std::vector<float> sums(line.size() + 16, 0.0f), half;
    for (int t = 0; t < 16; t++)
        for (size_t j = 0; j < line.size(); j++) sums[j + t] += k[t] * line[j];
    for (size_t i = 0; i < line.size() / 2; i++) half.push_back(sums[8 + 2 * i]);
    return half;
}

// Levels 1.. of the chain (the reduction runs at least once): each channel
// in linear light, columns halved, then rows, then packed back to bytes.
std::vector<std::vector<uint8_t>> referenceChain(int w, int h, std::vector<uint8_t> pixels)
{
    float k[16];
    mipmapKernel(k);
    std::vector<std::vector<uint8_t>> levels;
    do {
        std::vector<uint8_t> next((size_t)halve(w) * halve(h) * 4);
        for (int c = 0; c < 4; c++) {
            std::vector<std::vector<float>> rows(h, std::vector<float>(w)), halved(halve(h), std::vector<float>(w));
            for (int i = 0; i < w * h; i++) {
                float v = (float)pixels[(size_t)i * 4 + c] * (1.0f / 255.0f);
                rows[i / w][i % w] = c <= 2 ? v * v : v;
            }
            for (int x = 0; x < w && h > 1; x++) {
                std::vector<float> column(h);
                for (int y = 0; y < h; y++) column[y] = rows[y][x];
                column = halveLine(column, k);
                for (int y = 0; y < h / 2; y++) halved[y][x] = column[y];
            }
            if (h > 1) rows = halved;
            int i = 0;
            for (const auto& row : rows)
                for (float v : w > 1 ? halveLine(row, k) : row) {
                    int byte = v <= 0 ? 0 : c <= 2 ? (int)(std::sqrt(v) * 255.9f) : (int)(v * 255.9f);
                    next[(size_t)i++ * 4 + c] = (uint8_t)std::min(byte, 255);
                }
        }
        levels.push_back(next);
        pixels = next, w = halve(w), h = halve(h);
    } while (w > 1 || h > 1);
    return levels;
}

}  // namespace

TEST(MipmapKernel, HalvesWithoutFoldingDetailBack)
{
    // Its frequency response, in radians per texel (pi is the finest detail
    // a level holds): detail up to pi / 4 keeps its strength to 1 %, a flat
    // area exactly; what would fold back onto the lower 60 % of the half-size
    // level's band (pi x 11 / 16 and finer) is stopped to 1 %. Symmetric taps
    // shift nothing.
    float taps[16];
    mipmapKernel(taps);
    auto response = [&](double omega) {
        double sum = 0;
        for (int i = 0; i < 16; i++) sum += taps[i] * std::cos(omega * (i - 7.5));
        return sum;
    };
    EXPECT_NEAR(response(0), 1.0, 1e-6);
    for (int k = 0; k <= 64; k++) EXPECT_NEAR(response(M_PI * k / 256), 1.0, 0.01) << "pi x " << k << " / 256";
    for (int k = 176; k <= 256; k++) EXPECT_NEAR(response(M_PI * k / 256), 0.0, 0.01) << "pi x " << k << " / 256";
    for (int i = 0; i < 8; i++) EXPECT_EQ(taps[i], taps[15 - i]) << i;
}

TEST_F(TextureUpload, LevelsMatchThePlainReduction)
{
    // Random content: borders, odd halvings, whole and partial column blocks,
    // a single row and a single column, 1 x 1; alpha stays linear.
    uint32_t x = 12345;
    for (const auto& [w, h] : Sizes{{37, 20}, {83, 41}, {128, 64}, {40, 1}, {1, 9}, {1, 1}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        std::vector<uint8_t> pixels((size_t)w * h * 4);
        for (auto& byte : pixels) byte = (uint8_t)((x = x * 69069u + 1u) >> 24);
        auto expected = referenceChain(w, h, pixels);
        Sizes sizes{{w, h}};
        for (size_t level = 0; level < expected.size(); level++)
            sizes.push_back({halve(sizes.back().first), halve(sizes.back().second)});
        std::vector<uint8_t> buffer = pixels;
        freshTexture();
        uploadTexture(w, h, buffer.data());
        ASSERT_EQ(levelSizes(), sizes);
        EXPECT_EQ(readLevel(0, w, h), pixels);
        for (size_t level = 1; level < sizes.size(); level++)
            EXPECT_EQ(readLevel(level, sizes[level].first, sizes[level].second), expected[level - 1]) << level;
    }
}

TEST_F(TextureUpload, LargestImageThatFitsThePoolUploadsAndReleasesIt)
{
    void* mark = tempmalloc(0);
    std::vector<uint8_t> pixels(2048u * 1024u * 4u, 128);
    uploadTexture(2048, 1024, pixels.data());
    EXPECT_EQ(tempmalloc(0), mark);
    EXPECT_EQ(levelSizes().size(), 12u);
}

TEST_F(TextureUpload, LoadingBarGrowsWithProgress)
{
    // Red of the shown picture at a point of the bar's own coordinates.
    const Display& display = testDisplay();
    auto red = [&](float x, float y) {
        unsigned char rgba[4];
        readPixel((int)((0.1f + 0.5f * x) * 0.5f * display.width), (int)((0.3f + 0.5f * y) * 0.5f * display.height),
                  rgba);
        return (int)rgba[0];
    };
    glReadBuffer(GL_FRONT);  // the bar is shown by a swap
    LoadingBar bar;
    drawLoadingBar(&bar, display);
    EXPECT_FLOAT_EQ(bar.loadingProgress, 0.1f);
    // Boxes one and four, the gap between the first two, the underline, and
    // no progress yet.
    EXPECT_EQ(std::vector<int>({red(0.05f, -0.15f), red(0.65f, -0.15f), red(0.15f, -0.15f), red(0.45f, -0.35f),
                                red(0.25f, 0.05f)}),
              std::vector<int>({255, 255, 0, 255, 0}));
    bar.loadingProgress = 1.0f;  // after ten steps the bar reaches 0.125, above the second box only
    drawLoadingBar(&bar, display);
    EXPECT_EQ(std::vector<int>({red(0.25f, 0.1f), red(0.25f, 0.15f), red(0.15f, 0.1f)}), std::vector<int>({255, 0, 0}));
    glReadBuffer(GL_BACK);
}
