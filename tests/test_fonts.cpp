// The two fonts made during set-up: the pixel font expanded from its packed
// table, and the outline font's display lists and metrics on a real GL.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "shell/bitmap_font.h"
#include "shell/outline_font.h"
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

class OutlineFontGL : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openTestContext(640, 360);
        fontListBase = glGenLists(256);
        while (glGetError() != GL_NO_ERROR) {
        }
        // A failure here fails the suite; the tests below then fail too.
        EXPECT_TRUE(buildOutlineFont("Arial:bold", 0, 255, fontListBase, 0.2f, fontGlyphMetrics));
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }

    // Draws one glyph white, 200 pixels to the em, turned about the y axis,
    // and counts the lit pixels and the columns holding any.
    int columns = 0;
    int drawGlyph(int code, float yawDegrees, bool cull)
    {
        glViewport(0, 0, 640, 360);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 640, 0, 360, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(320, 100, 0);
        glScalef(200, 200, 200);
        glRotatef(yawDegrees, 0, 1, 0);
        glTranslatef(-fontGlyphMetrics[code].cellIncX / 2, 0, 0.1f);
        for (GLenum cap : {GL_LIGHTING, GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE}) glDisable(cap);
        if (cull) glEnable(GL_CULL_FACE), glCullFace(GL_BACK), glFrontFace(GL_CCW);
        glColor3f(1, 1, 1);
        glCallList(fontListBase + code);
        glDisable(GL_CULL_FACE);

        static unsigned char pixels[360][640][4];
        glFinish();
        glReadPixels(0, 0, 640, 360, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        int lit = 0;
        columns = 0;
        for (int x = 0; x < 640; x++) {
            int inColumn = 0;
            for (int y = 0; y < 360; y++) inColumn += pixels[y][x][0] > 128;
            lit += inColumn;
            columns += inColumn > 0;
        }
        return lit;
    }
};

TEST_F(OutlineFontGL, Has256ListsThatDrawWithoutErrorAndAdvance)
{
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
    EXPECT_FLOAT_EQ(matrix[12], advance);
    EXPECT_EQ(matrix[13], 0.0f);
}

TEST_F(OutlineFontGL, MetricsAreInEmUnits)
{
    // A bold sans-serif capital: about 0.7 em wide and high, on the base line.
    const GlyphMetricsFloat& a = fontGlyphMetrics['A'];
    EXPECT_NEAR(a.blackBoxX, 0.7f, 0.1f);
    EXPECT_NEAR(a.blackBoxY, 0.7f, 0.1f);
    EXPECT_NEAR(a.glyphOriginY, a.blackBoxY, 0.01f);
    EXPECT_GT(a.cellIncX, a.blackBoxX);
    // The blank advances without a black box; "g" reaches below the line;
    // Windows-1252 codes have their glyphs: the euro sign and the e acute.
    EXPECT_TRUE(fontGlyphMetrics[' '].cellIncX > 0.2f && fontGlyphMetrics[' '].blackBoxX == 0.0f);
    EXPECT_LT(fontGlyphMetrics['g'].glyphOriginY - fontGlyphMetrics['g'].blackBoxY, -0.1f);
    EXPECT_GT(fontGlyphMetrics[0x80].blackBoxX, 0.3f);
    EXPECT_GT(fontGlyphMetrics[0xE9].blackBoxY, fontGlyphMetrics['e'].blackBoxY);
}

TEST_F(OutlineFontGL, FacesPointOutAndSidesAreExtruded)
{
    // The front face seen from the front and the back face from behind
    // survive back-face culling, and cover the same area.
    int front = drawGlyph('O', 0, true);
    EXPECT_GT(front, 5000);
    EXPECT_NEAR(drawGlyph('O', 180, true), front, front / 50);
    EXPECT_NEAR(drawGlyph('O', 0, false), front, front / 50);
    // Seen edge-on the glyph is a slab 0.2 em (40 pixels) deep, with walls
    // facing outwards: culling leaves them.
    for (bool cull : {false, true}) {
        drawGlyph('I', 90, cull);
        EXPECT_NEAR(columns, 40, 2) << cull;
    }
}

}  // namespace
