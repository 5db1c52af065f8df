// JPEG decoding, the padded texel buffer of JPEG textures, and the texture
// records they make; bad input of every kind ends in a clear fatal error.
// Death tests run in a fresh process ("threadsafe" style): forking a process
// that holds a GL context with rendering threads is not safe.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/jpeg_writer.h"
#include "tests/support/gl_context.h"
#include "tests/texture_records.h"
#include "textures/image_texture.h"
#include "textures/jpeg.h"

static void expectNear(const uint8_t* actual, int r, int g, int b, int tolerance = 3)
{
    EXPECT_NEAR(actual[0], r, tolerance);
    EXPECT_NEAR(actual[1], g, tolerance);
    EXPECT_NEAR(actual[2], b, tolerance);
}

static std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LoadJpeg, DecodesRgbTopRowFirstExpandsGreyscaleAndPassesStrayBytes)
{
    // 16 x 16, one colour per 8 x 8 quadrant (whole JPEG blocks, so the
    // colours survive compression).
    static const uint8_t colours[4][3] = {{250, 10, 10}, {10, 250, 10}, {10, 10, 250}, {240, 240, 20}};
    std::vector<uint8_t> quadrants(16 * 16 * 3), grey(24 * 8);
    for (int p = 0; p < 16 * 16; p++)
        std::memcpy(&quadrants[p * 3], colours[(p / 16 / 8) * 2 + p % 16 / 8], 3);
    for (int p = 0; p < 24 * 8; p++)
        grey[p] = p % 24 < 8 ? 30 : p % 24 < 16 ? 128 : 220;
    std::string colourPath = scratchPath("quadrants.jpg"), greyPath = scratchPath("grey.jpg");
    writeTestJpeg(colourPath, 16, 16, 3, quadrants);
    writeTestJpeg(greyPath, 24, 8, 1, grey);

    int w = 0, h = 0;
    uint8_t* rgb = loadJpeg(colourPath.c_str(), &w, &h);
    ASSERT_EQ(std::pair(w, h), std::pair(16, 16));
    for (int q = 0; q < 4; q++)
        expectNear(rgb + ((q / 2 * 11 + 2) * 16 + q % 2 * 11 + 2) * 3, colours[q][0], colours[q][1], colours[q][2]);
    // Bytes between two markers (as some cameras write them) only warn.
    std::string bytes = fileBytes(colourPath), strayPath = scratchPath("stray.jpg");
    size_t afterApp0 = 4 + ((uint8_t)bytes[4] << 8 | (uint8_t)bytes[5]);
    std::ofstream(strayPath, std::ios::binary) << bytes.insert(afterApp0, "\x01\x02\x03");
    uint8_t* stray = loadJpeg(strayPath.c_str(), &w, &h);
    EXPECT_EQ(std::memcmp(stray, rgb, 16 * 16 * 3), 0);
    std::free(stray);
    std::free(rgb);

    rgb = loadJpeg(greyPath.c_str(), &w, &h);
    ASSERT_EQ(std::pair(w, h), std::pair(24, 8));
    for (int x : {3, 12, 20})
        expectNear(rgb + (4 * 24 + x) * 3, grey[x], grey[x], grey[x], 1);
    std::free(rgb);
}

TEST(LoadJpegDeathTest, BadFilesEndWithTheirNameAndReason)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::vector<uint8_t> pattern(64 * 64 * 3);
    for (size_t i = 0; i < pattern.size(); i++)
        pattern[i] = (uint8_t)(i * 7 % 251);
    std::string valid = scratchPath("valid.jpg");
    writeTestJpeg(valid, 64, 64, 3, pattern, 90);
    const std::string bytes = fileBytes(valid);
    std::string scrambled = bytes;  // damaged entropy-coded data in the middle of an intact file
    uint32_t x = 12346;
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 200; i++) {
        x = x * 69069u + 1u;
        scrambled[i] = (char)(x >> 24);
    }
    auto jpeg = [](int w, int h, int components, int quality = 100) {
        writeTestJpeg(scratchPath("made.jpg"), w, h, components, std::vector<uint8_t>(w * h * components), quality);
        return fileBytes(scratchPath("made.jpg"));
    };
    const struct {
        const char* name;
        std::string data;
        const char* message;
    } cases[] = {
        {"truncated.jpg", bytes.substr(0, bytes.size() / 2), "truncated.jpg: bad JPEG data: Premature end of JPEG"},
        {"scrambled.jpg", scrambled, "scrambled.jpg: bad JPEG data: Corrupt JPEG data"},
        {"text.jpg", "this is not a picture at all", "text.jpg: bad JPEG data: Not a JPEG file"},
        {"empty.jpg", "", "empty.jpg: bad JPEG data: Empty"},
        {"cmyk.jpg", jpeg(16, 16, 4), "cmyk.jpg: 16 x 16: CMYK"},
        {"thin.jpg", jpeg(1, 16, 3), "thin.jpg: 1 x 16: image size must be 2 to 65536"},
        {"flat.jpg", jpeg(16, 1, 3), "flat.jpg: 16 x 1: image size must be 2 to 65536"},
        // 2900 x 2900 texels of RGBA do not fit in the 32 MiB pool: refused before decoding.
        {"huge.jpg", jpeg(2900, 2900, 3, 30), "^out of tempmalloc"},
    };
    int w, h;
    EXPECT_EXIT(loadJpeg("no/such/picture.jpg", &w, &h), ::testing::ExitedWithCode(1),
                "^no/such/picture.jpg not found");
    for (const auto& bad : cases) {
        std::ofstream(scratchPath(bad.name), std::ios::binary) << bad.data;
        EXPECT_EXIT(loadJpeg(scratchPath(bad.name).c_str(), &w, &h), ::testing::ExitedWithCode(1), bad.message)
            << bad.name;
    }
}

TEST(JpegTextureDeathTest, AlphaFileFirstSizesMatchAndTheFilterFitsThePool)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string colour = scratchPath("colour64.jpg"), alpha = scratchPath("alpha32.jpg");
    writeTestJpeg(colour, 64, 64, 3, solidRgb(64, 64, 10, 20, 30));
    writeTestJpeg(alpha, 32, 32, 3, solidRgb(32, 32, 255, 255, 255));
    // 2048 x 2048 decodes, but its mipmap filter needs more than the pool.
    std::string large = scratchPath("large.jpg");
    writeTestJpeg(large, 2048, 2048, 3, solidRgb(2048, 2048, 0, 0, 0), 30);

    EXPECT_EXIT(makeJpegTexture("missing_colour.jpg", "missing_alpha.jpg", nullptr, 1, 1, 1, 0),
                ::testing::ExitedWithCode(1), "^missing_alpha.jpg not found");
    EXPECT_EXIT(makeJpegTexture(colour.c_str(), alpha.c_str(), nullptr, 1, 1, 1, 0), ::testing::ExitedWithCode(1),
                "colour64.jpg is 64 x 64 but its alpha image .*alpha32.jpg is 32 x 32");
    EXPECT_EXIT(makeJpegTexture(large.c_str(), nullptr, nullptr, 1, 1, 1, 0), ::testing::ExitedWithCode(1),
                "^out of tempmalloc");
}

TEST(PadImageTexels, PadsWithWhiteToPowersOfTwo)
{
    EXPECT_EQ(alphaFromGreyDistance(128, 128, 128), 0);  // |128 - r| + |128 - g| + |128 - b|, at most 255
    EXPECT_EQ(alphaFromGreyDistance(0, 0, 0), 255);
    EXPECT_EQ(alphaFromGreyDistance(200, 128, 128), 72);
    EXPECT_EQ(alphaFromGreyDistance(100, 150, 130), 52);

    // Texel (x, y) of the 300 x 200 picture is (x, y, x + y) modulo 256.
    std::vector<uint8_t> rgb;
    for (int p = 0; p < 300 * 200; p++)
        rgb.insert(rgb.end(), {(uint8_t)(p % 300), (uint8_t)(p / 300), (uint8_t)(p % 300 + p / 300)});
    int pw = 0, ph = 0;
    uint8_t* texels = padImageTexels(rgb.data(), nullptr, nullptr, 300, 200, 0, &pw, &ph);
    ASSERT_EQ(std::pair(pw, ph), std::pair(512, 256));
    for (int y : {0, 57, 199})
        for (int x : {0, 123, 299}) {
            const uint8_t expected[4] = {(uint8_t)x, (uint8_t)y, (uint8_t)(x + y), 255};
            EXPECT_EQ(std::memcmp(texels + ((size_t)y * 512 + x) * 4, expected, 4), 0) << x << ", " << y;
        }
    for (int p : {300 * 4, (199 * 512 + 511) * 4, (200 * 512) * 4, (255 * 512 + 511) * 4})
        EXPECT_EQ(std::memcmp(texels + p, "\xff\xff\xff\xff", 4), 0) << p;
    std::free(texels);
    std::free(padImageTexels(rgb.data(), nullptr, nullptr, 256, 128, 0, &pw, &ph));
    EXPECT_EQ(std::pair(pw, ph), std::pair(256, 128));  // powers of two stay as they are
}

TEST(PadImageTexels, AlphaComesFromFileThenFunctionElseOpaqueAndInvertSparesThePadding)
{
    std::vector<uint8_t> rgb = solidRgb(3, 3, 200, 128, 128), alpha = solidRgb(3, 3, 77, 200, 10);
    int pw, ph;
    uint8_t* fromFile = padImageTexels(rgb.data(), alpha.data(), alphaFromGreyDistance, 3, 3, 0, &pw, &ph);
    uint8_t* fromFunction = padImageTexels(rgb.data(), nullptr, alphaFromGreyDistance, 3, 3, 0, &pw, &ph);
    uint8_t* plain = padImageTexels(rgb.data(), nullptr, nullptr, 3, 3, 0, &pw, &ph);
    uint8_t* inverted = padImageTexels(rgb.data(), alpha.data(), nullptr, 3, 3, RF_INVERT, &pw, &ph);
    ASSERT_EQ(std::pair(pw, ph), std::pair(4, 4));
    EXPECT_EQ(fromFile[4 * 5 + 3], 77);  // red of the alpha image
    EXPECT_EQ(fromFunction[4 * 5 + 3], 72);
    EXPECT_EQ(plain[4 * 5 + 3], 255);
    EXPECT_EQ(std::memcmp(inverted + 4 * 5, "\x37\x7f\x7f\xb2", 4), 0);  // alpha complemented too
    for (uint8_t* texels : {fromFile, fromFunction, plain, inverted}) {
        for (int padding : {3, 12})  // padding stays white
            EXPECT_EQ(std::memcmp(texels + 4 * padding, "\xff\xff\xff\xff", 4), 0) << padding;
        std::free(texels);
    }
}

TEST(JpegTexture, RecordCoversThePictureAndUploads)
{
    openTestContext();
    std::string path = scratchPath("wide.jpg");
    writeTestJpeg(path, 300, 200, 3, solidRgb(300, 200, 40, 80, 160));
    Texture* texture = makeJpegTexture(path.c_str(), nullptr, nullptr, 1.0f, -1.0f, 0.5f, RF_INVERT | RF_ADD);
    Texture* single = makeJpegTexture(path.c_str(), nullptr, nullptr, 1, 1, 1, RF_NOMIPMAP);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    EXPECT_EQ(fieldsOf(texture), (RecordFields{512, 256, 300.0f / 512, -200.0f / 256, 0.5f, RF_INVERT, 0}));
    EXPECT_EQ(single->flags, RF_NOMIPMAP);

    // Level 0 holds the inverted picture; the RF_NOMIPMAP texture has no
    // level 1.
    glBindTexture(GL_TEXTURE_2D, texture->name);
    std::vector<uint8_t> level = readLevel(0, 512, 256);
    expectNear(&level[(100 * 512 + 150) * 4], 255 - 40, 255 - 80, 255 - 160);
    EXPECT_EQ(level[(100 * 512 + 150) * 4 + 3], 0);
    GLint width = -1;
    glBindTexture(GL_TEXTURE_2D, single->name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
    dropTextures({texture, single});
}
