// The two fonts made during set-up: the pixel font expanded from its packed
// table, and the outline font's display lists on a real GL (the show draws
// no text with it, so only that every list draws and advances is checked).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/bitmap_font.h"
#include "platform/outline_font.h"
#include "tests/support/gl_context.h"

namespace {

// The 8 rows of code c's cell as text, '#' for 0xFF and '.' for 0x00.
std::string cellRows(const uint8_t* image, int c)
{
    std::string rows;
    for (int r = 0; r < 8; r++) {
        for (int k = 0; k < 4; k++) {
            uint8_t v = image[((c / 16) * 8 + r) * 128 + (c % 16) * 8 + k];
            rows += v == 0xFF ? '#' : v == 0x00 ? '.' : '?';
        }
        rows += '|';
    }
    return rows;
}

TEST(BitmapFont, ExpandsGlyphRowsTopToBottomLeftToRight)
{
    static uint8_t image[128 * 128];
    std::memset(image, 0x55, sizeof image);
    expandBitmapFont(packedFontTable, image);
    EXPECT_EQ(cellRows(image, 'A'), "....|.#..|#.#.|###.|#.#.|#.#.|....|....|");
    EXPECT_EQ(cellRows(image, 'j'), "....|.#..|....|.#..|.#..|.#..|#...|....|");
    EXPECT_EQ(cellRows(image, 'z'), "....|....|....|##..|.#..|.##.|....|....|");
    // Blank and punctuation have no glyph; only the left half of each cell
    // is written.
    for (int c : {0, 0x20, 0x21, 0x2E, 0x7F, 0xFF}) EXPECT_EQ(cellRows(image, c), "....|....|....|....|....|....|....|....|") << c;
    int written = 0;
    for (int i = 0; i < 128 * 128; i++) written += (i % 8 >= 4) && image[i] != 0x55;
    EXPECT_EQ(written, 0);
}

TEST(OutlineFont, MapsWindows1252ToUnicode)
{
    for (auto [code, unicode] : {std::pair{'A', 0x41u}, {0x80, 0x20ACu}, {0x85, 0x2026u}, {0x81, 0x81u}, {0x9F, 0x178u}, {0xE4, 0xE4u}})
        EXPECT_EQ(windows1252ToUnicode(code), unicode) << code;
}

TEST(OutlineFontGL, Has256ListsThatDrawWithoutErrorAndAdvance)
{
    openTestContext(640, 360);
    static GlyphMetricsFloat fontGlyphMetrics[256];
    GLuint fontListBase = glGenLists(256);
    ASSERT_TRUE(buildOutlineFont("Arial:bold", 0, 255, fontListBase, 0.2f, fontGlyphMetrics));
    ASSERT_NE(fontListBase, 0u);
    glMatrixMode(GL_MODELVIEW);
    int missing = 0;
    for (int c = 0; c < 256; c++) {
        missing += !glIsList(fontListBase + c);
        glLoadIdentity();
        glCallList(fontListBase + c);
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    // A string: each list ends by moving to the next glyph's origin.
    glLoadIdentity();
    glListBase(fontListBase);
    glCallLists(4, GL_UNSIGNED_BYTE, "VORN");
    glListBase(0);
    GLfloat matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    float advance = 0;
    for (unsigned char c : std::string("VORN")) advance += fontGlyphMetrics[c].cellIncX;
    EXPECT_GT(advance, 2.0f);  // four capitals of about 0.7 em
    EXPECT_FLOAT_EQ(matrix[12], advance);
    EXPECT_EQ(matrix[13], 0.0f);
}

}  // namespace
