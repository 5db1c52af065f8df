// Texture upload against a real GL: the mipmap chain's level sizes, its
// texels compared with a plain reference of the reduction, the constructors
// and the loading bar.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "tests/support/gl_context.h"
#include "textures/loading_bar.h"
#include "textures/temp_pool.h"
#include "textures/texture.h"

namespace {

struct Level {
    int width, height;
};

class TextureUpload : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestContext();
        showStarted = 1;  // no bar steps unless a test asks for them
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
    }
    void TearDown() override
    {
        glDeleteTextures(1, &name);
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
    GLuint name = 0;
};

std::vector<Level> levelSizes()
{
    std::vector<Level> levels;
    for (int level = 0; level < 20; level++) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
        if (w == 0)
            break;
        levels.push_back({w, h});
    }
    return levels;
}

std::vector<uint8_t> readLevel(int level, int w, int h)
{
    std::vector<uint8_t> texels((size_t)w * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// The reduction written the plain way: whole zero-initialised arrays, scatter
// of every source sample over the 16 taps, then the even samples picked.
std::vector<std::vector<uint8_t>> referenceChain(int w, int h, std::vector<uint8_t> pixels)
{
    float k[16];
    mipmapKernel(k);
    std::vector<std::vector<uint8_t>> levels;
    do {
        int nw = w > 1 ? w / 2 : w, nh = h > 1 ? h / 2 : h;
        std::vector<uint8_t> next((size_t)nw * nh * 4);
        for (int c = 0; c < 4; c++) {
            std::vector<float> a((size_t)w * h);
            for (int i = 0; i < w * h; i++) {
                float v = (float)pixels[(size_t)i * 4 + c] * (1.0f / 255.0f);
                a[i] = c <= 2 ? v * v : v;
            }
            if (h > 1) {
                std::vector<float> b((size_t)w * (h + 16), 0.0f);
                for (int t = 0; t < 16; t++)
                    for (int r = 0; r < h; r++)
                        for (int x = 0; x < w; x++)
                            b[(size_t)(r + t) * w + x] += k[t] * a[(size_t)r * w + x];
                for (int r = 0; r < nh; r++)
                    for (int x = 0; x < w; x++)
                        a[(size_t)r * w + x] = b[(size_t)(8 + 2 * r) * w + x];
            }
            std::vector<float> rows((size_t)nw * nh);
            if (w > 1) {
                std::vector<float> b((size_t)(w + 16) * nh, 0.0f);
                for (int t = 0; t < 16; t++)
                    for (int r = 0; r < nh; r++)
                        for (int x = 0; x < w; x++)
                            b[(size_t)r * (w + 16) + x + t] += k[t] * a[(size_t)r * w + x];
                for (int r = 0; r < nh; r++)
                    for (int x = 0; x < nw; x++)
                        rows[(size_t)r * nw + x] = b[(size_t)r * (w + 16) + 8 + 2 * x];
            } else {
                for (int r = 0; r < nh; r++)
                    rows[r] = a[r];
            }
            for (int i = 0; i < nw * nh; i++) {
                float v = rows[i];
                int byte = v <= 0 ? 0 : c <= 2 ? (int)(std::sqrt(v) * 255.9f) : (int)(v * 255.9f);
                next[(size_t)i * 4 + c] = (uint8_t)(byte > 255 ? 255 : byte);
            }
        }
        levels.push_back(next);
        pixels = next;
        w = nw;
        h = nh;
    } while (w > 1 || h > 1);
    return levels;
}

}  // namespace

TEST_F(TextureUpload, ChainSizesRunDownToOneByOne)
{
    uint8_t one[4] = {10, 20, 30, 40};
    uploadTexture(1, 1, one);
    auto levels = levelSizes();
    ASSERT_EQ(levels.size(), 2u);  // the reduction always runs once
    EXPECT_EQ(levels[1].width, 1);
    EXPECT_EQ(levels[1].height, 1);

    std::vector<uint8_t> square(2 * 2 * 4, 200);
    uploadTexture(2, 2, square.data());
    levels = levelSizes();
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_EQ(levels[0].width, 2);
    EXPECT_EQ(levels[1].width, 1);
    EXPECT_EQ(levels[1].height, 1);

    std::vector<uint8_t> wide(128 * 64 * 4, 255);
    uploadTexture(128, 64, wide.data());
    levels = levelSizes();
    const Level expected[8] = {{128, 64}, {64, 32}, {32, 16}, {16, 8}, {8, 4}, {4, 2}, {2, 1}, {1, 1}};
    ASSERT_EQ(levels.size(), 8u);
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(levels[i].width, expected[i].width) << "level " << i;
        EXPECT_EQ(levels[i].height, expected[i].height) << "level " << i;
    }
}

TEST_F(TextureUpload, WhiteStaysWhiteInTheMiddleAndDarkensAtTheBorder)
{
    std::vector<uint8_t> white(128 * 64 * 4, 255);
    uploadTexture(128, 64, white.data());
    int w = 128, h = 64;
    for (int level = 1; w > 1 || h > 1; level++) {
        w = w > 1 ? w / 2 : w;
        h = h > 1 ? h / 2 : h;
        auto texels = readLevel(level, w, h);
        const uint8_t* middle = &texels[((size_t)(h / 2) * w + w / 2) * 4];
        const uint8_t* corner = &texels[0];
        // Big levels keep full white inside; the last ones lose some light
        // to the zero samples beyond the border.
        int floor = w >= 16 ? 255 : 128;
        for (int c = 0; c < 4; c++)
            EXPECT_GE(middle[c], floor) << "level " << level << " channel " << c;
        if (w >= 4) {
            EXPECT_LT(corner[0], middle[0]) << "level " << level;
        }
    }
    // The buffer ends holding the 1 x 1 level.
    auto last = readLevel(7, 1, 1);
    for (int c = 0; c < 4; c++)
        EXPECT_EQ(white[c], last[c]);
}

TEST_F(TextureUpload, LevelsMatchThePlainReduction)
{
    // An odd size and random content exercise borders, odd halvings and
    // independent channel lanes (alpha stays linear).
    // Sizes cover whole and partial column blocks, a single row and a
    // single column.
    const Level sizes[] = {{37, 20}, {83, 41}, {40, 1}, {1, 9}};
    uint32_t x = 12345;
    for (const Level& size : sizes) {
        const int w = size.width, h = size.height;
        std::vector<uint8_t> pixels((size_t)w * h * 4);
        for (auto& byte : pixels) {
            x = x * 69069u + 1u;
            byte = (uint8_t)(x >> 24);
        }
        auto expected = referenceChain(w, h, pixels);
        std::vector<uint8_t> buffer = pixels;
        glDeleteTextures(1, &name);  // a fresh texture: no levels left from the last size
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        uploadTexture(w, h, buffer.data());

        EXPECT_EQ(readLevel(0, w, h), pixels);
        int lw = w, lh = h;
        for (size_t level = 1; level <= expected.size(); level++) {
            lw = lw > 1 ? lw / 2 : lw;
            lh = lh > 1 ? lh / 2 : lh;
            EXPECT_EQ(readLevel((int)level, lw, lh), expected[level - 1]) << w << " x " << h << " level " << level;
        }
        EXPECT_EQ(levelSizes().size(), expected.size() + 1) << w << " x " << h;
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

TEST_F(TextureUpload, SolidTextureRecordAndContents)
{
    Texture* texture = makeSolidTexture(8, 4, 255, 0, 128, 255, 1, -1, 0.5f, RF_NOMIPMAP | RF_CLAMP | RF_INVERT);
    EXPECT_NE(texture->name, 0u);
    EXPECT_EQ(texture->width, 8);
    EXPECT_EQ(texture->height, 4);
    EXPECT_EQ(texture->scaleT, -1.0f);
    EXPECT_EQ(texture->scaleR, 0.5f);
    EXPECT_EQ(texture->flags, RF_NOMIPMAP | RF_INVERT);  // creation bits only
    EXPECT_EQ(texture->frameLayout, 0);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    EXPECT_EQ(levelSizes().size(), 1u);  // RF_NOMIPMAP: level 0 alone
    auto texels = readLevel(0, 8, 4);
    EXPECT_EQ(texels[4 * 13 + 0], 255);
    EXPECT_EQ(texels[4 * 13 + 1], 0);
    EXPECT_EQ(texels[4 * 13 + 2], 128);

    Texture* mipmapped = makeSolidTexture(16, 16, 0, 0, 0, 255, 1, 1, 1, 0);
    glBindTexture(GL_TEXTURE_2D, mipmapped->name);
    EXPECT_EQ(levelSizes().size(), 5u);
    glDeleteTextures(1, &texture->name);
    glDeleteTextures(1, &mipmapped->name);
    delete texture;  // the program keeps its records; tests hand them back
    delete mipmapped;
}

TEST_F(TextureUpload, RenderTargetsFollowTheWorkAreaSizes)
{
    largeTexSize = 512;
    smallTexSize = 256;
    Texture* screen = makeScreenTexture();
    EXPECT_EQ(screen->width, 512);
    EXPECT_EQ(screen->height, 256);
    EXPECT_EQ(screen->flags, RF_NOMIPMAP | RF_CLAMP);
    EXPECT_EQ(screen->scaleS, 1.0f);
    EXPECT_EQ(screen->scaleT, 1.0f);
    glBindTexture(GL_TEXTURE_2D, screen->name);
    auto texels = readLevel(0, 512, 256);
    EXPECT_EQ(texels[4 * 1000], 0);

    BlurChain* chain = makeBlurChain();
    ASSERT_EQ(chain->count, 8);
    for (int i = 0; i < chain->count; i++) {
        const Texture& level = chain->levels[i];
        EXPECT_EQ(level.width, 512 >> i);
        EXPECT_EQ(level.height, 256 >> i);
        EXPECT_EQ(level.flags, RF_NOMIPMAP);
        glBindTexture(GL_TEXTURE_2D, level.name);
        GLint w = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        EXPECT_EQ(w, 512 >> i);
    }
    EXPECT_EQ(chain->levels[7].width, 4);
    EXPECT_EQ(chain->levels[7].height, 2);
    glDeleteTextures(1, &screen->name);
    for (int i = 0; i < chain->count; i++)
        glDeleteTextures(1, &chain->levels[i].name);
    delete screen;
    delete chain;
}

// Red value of the shown picture at a point of the bar's own coordinates.
static int barPixel(float x, float y)
{
    float ndcX = -0.9f + 0.5f * x, ndcY = -0.7f + 0.5f * y;
    unsigned char rgba[4];
    readPixel((int)((ndcX + 1) * 0.5f * screenWidth), (int)((ndcY + 1) * 0.5f * screenHeight), rgba);
    return rgba[0];
}

TEST_F(TextureUpload, LoadingBarGrowsWithProgressAndStopsOnceTheShowRuns)
{
    // The bar is shown by a swap: read what reached the front buffer.
    glReadBuffer(GL_FRONT);
    showStarted = 0;
    loadingProgress = 0.0f;
    drawLoadingBar();
    EXPECT_FLOAT_EQ(loadingProgress, 0.1f);
    EXPECT_EQ(barPixel(0.05f, -0.15f), 255);   // first box
    EXPECT_EQ(barPixel(0.65f, -0.15f), 255);   // fourth box
    EXPECT_EQ(barPixel(0.15f, -0.15f), 0);     // gap between the first two
    EXPECT_EQ(barPixel(0.45f, -0.35f), 255);   // underline
    EXPECT_EQ(barPixel(0.25f, 0.05f), 0);      // no progress yet

    loadingProgress = 1.0f;  // after ten steps the bar reaches 0.125
    drawLoadingBar();
    EXPECT_EQ(barPixel(0.25f, 0.1f), 255);
    EXPECT_EQ(barPixel(0.25f, 0.15f), 0);
    EXPECT_EQ(barPixel(0.15f, 0.1f), 0);       // only above the second box
    glReadBuffer(GL_BACK);

    showStarted = 1;
    float before = loadingProgress;
    drawLoadingBar();
    EXPECT_EQ(loadingProgress, before);
}
