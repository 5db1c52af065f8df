// JPEG decoding, the padded texel buffer of JPEG textures, and the texture
// records they make; bad input of every kind ends in a clear fatal error.
// Death tests run in a fresh process ("threadsafe" style): forking a process
// that holds a GL context with rendering threads is not safe.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "shell/lifecycle.h"
#include "tests/jpeg_writer.h"
#include "tests/support/gl_context.h"
#include "textures/image_texture.h"
#include "textures/jpeg.h"
#include "textures/temp_pool.h"

// The show keeps its records for good; tests give theirs back.
static void dropTexture(Texture* texture)
{
    glDeleteTextures(1, &texture->name);
    delete texture;
}

// 16 x 16 picture with one colour per 8 x 8 quadrant (aligned to JPEG
// blocks, so the colours survive compression).
static std::vector<uint8_t> quadrants()
{
    static const uint8_t colours[4][3] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {240, 240, 20}};
    std::vector<uint8_t> pixels(16 * 16 * 3);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 16; x++)
            std::memcpy(&pixels[(y * 16 + x) * 3], colours[(y / 8) * 2 + x / 8], 3);
    return pixels;
}

static void expectNear(const uint8_t* actual, int r, int g, int b, int tolerance = 3)
{
    EXPECT_NEAR(actual[0], r, tolerance);
    EXPECT_NEAR(actual[1], g, tolerance);
    EXPECT_NEAR(actual[2], b, tolerance);
}

TEST(LoadJpeg, DecodesRgbTopRowFirst)
{
    std::string path = scratchPath("quadrants.jpg");
    writeTestJpeg(path, 16, 16, 3, quadrants());
    int w = 0, h = 0;
    uint8_t* rgb = loadJpeg(path.c_str(), &w, &h);
    ASSERT_EQ(w, 16);
    ASSERT_EQ(h, 16);
    expectNear(rgb + (2 * 16 + 2) * 3, 250, 10, 10);
    expectNear(rgb + (2 * 16 + 13) * 3, 10, 250, 10);
    expectNear(rgb + (13 * 16 + 2) * 3, 10, 10, 250);
    expectNear(rgb + (13 * 16 + 13) * 3, 240, 240, 20);
    std::free(rgb);
}

TEST(LoadJpeg, ExpandsGreyscaleToRgb)
{
    std::string path = scratchPath("grey.jpg");
    std::vector<uint8_t> grey(24 * 8);
    for (int x = 0; x < 24; x++)
        for (int y = 0; y < 8; y++)
            grey[y * 24 + x] = x < 8 ? 30 : x < 16 ? 128 : 220;
    writeTestJpeg(path, 24, 8, 1, grey);
    int w = 0, h = 0;
    uint8_t* rgb = loadJpeg(path.c_str(), &w, &h);
    ASSERT_EQ(w, 24);
    ASSERT_EQ(h, 8);
    expectNear(rgb + (4 * 24 + 3) * 3, 30, 30, 30, 1);
    expectNear(rgb + (4 * 24 + 12) * 3, 128, 128, 128, 1);
    expectNear(rgb + (4 * 24 + 20) * 3, 220, 220, 220, 1);
    std::free(rgb);
}

TEST(LoadJpegDeathTest, MissingFileIsNamed)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    int w, h;
    EXPECT_EXIT(loadJpeg("no/such/picture.jpg", &w, &h), ::testing::ExitedWithCode(1),
                "^no/such/picture.jpg not found");
}

TEST(LoadJpegDeathTest, DamagedDataIsFatalAndNamesTheFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string valid = scratchPath("valid.jpg");
    std::vector<uint8_t> pattern(64 * 64 * 3);
    for (size_t i = 0; i < pattern.size(); i++)
        pattern[i] = (uint8_t)(i * 7 % 251);
    writeTestJpeg(valid, 64, 64, 3, pattern, 90);
    std::ifstream in(valid, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::string truncated = scratchPath("truncated.jpg");
    std::ofstream(truncated, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size() / 2);
    // Scrambled entropy-coded data in the middle of an intact file.
    std::string scrambled = scratchPath("scrambled.jpg");
    std::string damaged = bytes;
    uint32_t x = 12346;
    for (size_t i = damaged.size() / 2; i < damaged.size() / 2 + 200; i++) {
        x = x * 69069u + 1u;
        damaged[i] = (char)(x >> 24);
    }
    std::ofstream(scrambled, std::ios::binary).write(damaged.data(), (std::streamsize)damaged.size());
    std::string text = scratchPath("text.jpg");
    std::ofstream(text, std::ios::binary) << "this is not a picture at all";
    std::string empty = scratchPath("empty.jpg");
    std::ofstream(empty, std::ios::binary).flush();

    int w, h;
    EXPECT_EXIT(loadJpeg(truncated.c_str(), &w, &h), ::testing::ExitedWithCode(1),
                "truncated.jpg: bad JPEG data: Premature end of JPEG file");
    EXPECT_EXIT(loadJpeg(scrambled.c_str(), &w, &h), ::testing::ExitedWithCode(1),
                "scrambled.jpg: bad JPEG data: Corrupt JPEG data");
    EXPECT_EXIT(loadJpeg(text.c_str(), &w, &h), ::testing::ExitedWithCode(1),
                "text.jpg: bad JPEG data: Not a JPEG file");
    EXPECT_EXIT(loadJpeg(empty.c_str(), &w, &h), ::testing::ExitedWithCode(1), "empty.jpg: bad JPEG data: Empty");
}

TEST(LoadJpegDeathTest, UnsupportedPicturesAreRefused)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string cmyk = scratchPath("cmyk.jpg");
    writeTestJpeg(cmyk, 16, 16, 4, std::vector<uint8_t>(16 * 16 * 4, 100));
    std::string thin = scratchPath("thin.jpg");
    writeTestJpeg(thin, 1, 16, 3, solidRgb(1, 16, 200, 0, 0));
    std::string flat = scratchPath("flat.jpg");
    writeTestJpeg(flat, 16, 1, 3, solidRgb(16, 1, 200, 0, 0));

    int w, h;
    EXPECT_EXIT(loadJpeg(cmyk.c_str(), &w, &h), ::testing::ExitedWithCode(1), "cmyk.jpg: 16 x 16: CMYK");
    EXPECT_EXIT(loadJpeg(thin.c_str(), &w, &h), ::testing::ExitedWithCode(1),
                "thin.jpg: 1 x 16: image size must be 2 to 65536");
    EXPECT_EXIT(loadJpeg(flat.c_str(), &w, &h), ::testing::ExitedWithCode(1),
                "flat.jpg: 16 x 1: image size must be 2 to 65536");
}

TEST(LoadJpegDeathTest, PicturesTooLargeForThePoolStopBeforeDecoding)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // 2900 x 2900 texels of RGBA do not fit in the 32 MiB pool.
    std::string huge = scratchPath("huge.jpg");
    writeTestJpeg(huge, 2900, 2900, 3, solidRgb(2900, 2900, 0, 0, 0), 30);
    // 2048 x 2048 decodes, but its mipmap filter needs more than the pool.
    std::string large = scratchPath("large.jpg");
    writeTestJpeg(large, 2048, 2048, 3, solidRgb(2048, 2048, 0, 0, 0), 30);

    int w, h;
    EXPECT_EXIT(loadJpeg(huge.c_str(), &w, &h), ::testing::ExitedWithCode(1), "^out of tempmalloc");
    EXPECT_EXIT(makeJpegTexture(large.c_str(), nullptr, nullptr, 1, 1, 1, 0), ::testing::ExitedWithCode(1),
                "^out of tempmalloc");
}

TEST(JpegTextureDeathTest, AlphaFileIsCheckedFirstAndMustMatchInSize)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string colour = scratchPath("colour64.jpg");
    writeTestJpeg(colour, 64, 64, 3, solidRgb(64, 64, 10, 20, 30));
    std::string alpha = scratchPath("alpha32.jpg");
    writeTestJpeg(alpha, 32, 32, 3, solidRgb(32, 32, 255, 255, 255));

    EXPECT_EXIT(makeJpegTexture("missing_colour.jpg", "missing_alpha.jpg", nullptr, 1, 1, 1, 0),
                ::testing::ExitedWithCode(1), "^missing_alpha.jpg not found");
    EXPECT_EXIT(makeJpegTexture(colour.c_str(), alpha.c_str(), nullptr, 1, 1, 1, 0), ::testing::ExitedWithCode(1),
                "colour64.jpg is 64 x 64 but its alpha image .*alpha32.jpg is 32 x 32");
}

TEST(AlphaFromGreyDistance, MeasuresDistanceFromMidGrey)
{
    EXPECT_EQ(alphaFromGreyDistance(128, 128, 128), 0);
    EXPECT_EQ(alphaFromGreyDistance(0, 0, 0), 255);
    EXPECT_EQ(alphaFromGreyDistance(200, 128, 128), 72);
    EXPECT_EQ(alphaFromGreyDistance(100, 150, 130), 52);
    EXPECT_EQ(alphaFromGreyDistance(255, 255, 255), 255);
}

// A w x h picture whose texel (x, y) is (x, y, x + y) modulo 256.
static std::vector<uint8_t> gradient(int w, int h)
{
    std::vector<uint8_t> rgb((size_t)w * h * 3);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t* p = &rgb[((size_t)y * w + x) * 3];
            p[0] = (uint8_t)x;
            p[1] = (uint8_t)y;
            p[2] = (uint8_t)(x + y);
        }
    return rgb;
}

TEST(PadImageTexels, PadsWithWhiteToPowersOfTwo)
{
    std::vector<uint8_t> rgb = gradient(300, 200);
    int pw = 0, ph = 0;
    uint8_t* texels = padImageTexels(rgb.data(), nullptr, nullptr, 300, 200, 0, &pw, &ph);
    ASSERT_EQ(pw, 512);
    ASSERT_EQ(ph, 256);
    for (int y : {0, 57, 199})
        for (int x : {0, 123, 299}) {
            const uint8_t* t = texels + ((size_t)y * 512 + x) * 4;
            EXPECT_EQ(t[0], (uint8_t)x);
            EXPECT_EQ(t[1], (uint8_t)y);
            EXPECT_EQ(t[2], (uint8_t)(x + y));
            EXPECT_EQ(t[3], 255);
        }
    for (int p : {300 * 4, (199 * 512 + 511) * 4, (200 * 512) * 4, (255 * 512 + 511) * 4})
        EXPECT_EQ(std::memcmp(texels + p, "\xff\xff\xff\xff", 4), 0) << p;
    std::free(texels);

    std::vector<uint8_t> square = gradient(256, 256);
    texels = padImageTexels(square.data(), nullptr, nullptr, 256, 256, 0, &pw, &ph);
    EXPECT_EQ(pw, 256);
    EXPECT_EQ(ph, 256);
    std::free(texels);
}

TEST(PadImageTexels, AlphaComesFromFileThenFunctionElseOpaque)
{
    std::vector<uint8_t> rgb = solidRgb(3, 2, 200, 128, 128);
    std::vector<uint8_t> alpha = solidRgb(3, 2, 77, 200, 10);
    int pw, ph;
    uint8_t* fromFile = padImageTexels(rgb.data(), alpha.data(), alphaFromGreyDistance, 3, 2, 0, &pw, &ph);
    uint8_t* fromFunction = padImageTexels(rgb.data(), nullptr, alphaFromGreyDistance, 3, 2, 0, &pw, &ph);
    uint8_t* plain = padImageTexels(rgb.data(), nullptr, nullptr, 3, 2, 0, &pw, &ph);
    ASSERT_EQ(pw, 4);
    ASSERT_EQ(ph, 2);
    EXPECT_EQ(fromFile[4 * 5 + 3], 77);
    EXPECT_EQ(fromFunction[4 * 5 + 3], 72);
    EXPECT_EQ(plain[4 * 5 + 3], 255);
    EXPECT_EQ(plain[4 * 3 + 3], 255);  // padding
    std::free(fromFile);
    std::free(fromFunction);
    std::free(plain);
}

TEST(PadImageTexels, InvertComplementsThePictureButNotThePadding)
{
    std::vector<uint8_t> rgb = solidRgb(3, 3, 10, 20, 30);
    std::vector<uint8_t> alpha = solidRgb(3, 3, 40, 0, 0);
    int pw, ph;
    uint8_t* texels = padImageTexels(rgb.data(), alpha.data(), nullptr, 3, 3, RF_INVERT, &pw, &ph);
    ASSERT_EQ(pw, 4);
    EXPECT_EQ(std::memcmp(texels + (1 * 4 + 2) * 4, "\xf5\xeb\xe1\xd7", 4), 0);
    EXPECT_EQ(std::memcmp(texels + (1 * 4 + 3) * 4, "\xff\xff\xff\xff", 4), 0);
    EXPECT_EQ(std::memcmp(texels + (3 * 4 + 0) * 4, "\xff\xff\xff\xff", 4), 0);
    std::free(texels);
}

TEST(JpegTexture, RecordCoversThePictureAndUploads)
{
    openTestContext();
    std::string path = scratchPath("wide.jpg");
    writeTestJpeg(path, 300, 200, 3, solidRgb(300, 200, 40, 80, 160));

    Texture* texture = makeJpegTexture(path.c_str(), nullptr, nullptr, 1.0f, -1.0f, 0.5f, RF_INVERT | RF_ADD);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_TRUE(glIsTexture(texture->name));
    EXPECT_EQ(texture->width, 512);
    EXPECT_EQ(texture->height, 256);
    EXPECT_FLOAT_EQ(texture->scaleS, 300.0f / 512.0f);
    EXPECT_FLOAT_EQ(texture->scaleT, -200.0f / 256.0f);
    EXPECT_FLOAT_EQ(texture->scaleR, 0.5f);
    EXPECT_EQ(texture->flags, RF_INVERT);
    EXPECT_EQ(texture->frameLayout, 0);

    // Level 0 holds the inverted picture and the white padding.
    glBindTexture(GL_TEXTURE_2D, texture->name);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 512);
    std::vector<uint8_t> level(512 * 256 * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
    const uint8_t* inside = &level[(100 * 512 + 150) * 4];
    expectNear(inside, 255 - 40, 255 - 80, 255 - 160);
    EXPECT_EQ(inside[3], 0);
    EXPECT_EQ(std::memcmp(&level[(100 * 512 + 400) * 4], "\xff\xff\xff\xff", 4), 0);

    Texture* single = makeJpegTexture(path.c_str(), nullptr, nullptr, 1, 1, 1, RF_NOMIPMAP);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_EQ(single->flags, RF_NOMIPMAP);
    glBindTexture(GL_TEXTURE_2D, single->name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
    dropTexture(texture);
    dropTexture(single);
}
