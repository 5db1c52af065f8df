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
std::string cellRows(const uint8_t* image, int c, int columns = 4)
{
    std::string rows;
    for (int r = 0; r < 8; r++) {
        for (int k = 0; k < columns; k++) {
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
    EXPECT_EQ(cellRows(image, '0'), "....|.##.|#.#.|#.#.|#.#.|##..|....|....|");
    EXPECT_EQ(cellRows(image, 'g'), "....|....|....|.#..|#.#.|.##.|##..|....|");
    EXPECT_EQ(cellRows(image, 'j'), "....|.#..|....|.#..|.#..|.#..|#...|....|");
    EXPECT_EQ(cellRows(image, 'z'), "....|....|....|##..|.#..|.##.|....|....|");
    // Blank and punctuation have no glyph.
    for (int c : {0, 0x20, 0x21, 0x2E, 0x7F, 0xFF})
        EXPECT_EQ(cellRows(image, c), "....|....|....|....|....|....|....|....|") << c;
    // Only the left half of each cell is written.
    for (int c = 0; c < 256; c++)
        for (int r = 0; r < 8; r++)
            for (int k = 4; k < 8; k++)
                ASSERT_EQ(image[((c / 16) * 8 + r) * 128 + (c % 16) * 8 + k], 0x55);

    // The program's own image is made the same way.
    expandBitmapFont(packedFontTable, bitmapFontImage);
    EXPECT_EQ(cellRows(bitmapFontImage, 'A'), cellRows(image, 'A'));
}

TEST(OutlineFont, MapsWindows1252ToUnicode)
{
    EXPECT_EQ(windows1252ToUnicode('A'), 0x41u);
    EXPECT_EQ(windows1252ToUnicode(0x80), 0x20ACu);
    EXPECT_EQ(windows1252ToUnicode(0x85), 0x2026u);
    EXPECT_EQ(windows1252ToUnicode(0x81), 0x81u);
    EXPECT_EQ(windows1252ToUnicode(0x9F), 0x178u);
    EXPECT_EQ(windows1252ToUnicode(0xE4), 0xE4u);
}

// Lit pixels in the window after drawing with the current matrices.
int litPixels(int width, int height)
{
    static unsigned char pixels[640 * 360 * 4];
    glFinish();
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    int lit = 0;
    for (int i = 0; i < width * height; i++)
        lit += pixels[i * 4] > 128;
    return lit;
}

// Columns holding lit pixels, for measuring a width on screen.
int litColumns(int width, int height)
{
    static unsigned char pixels[640 * 360 * 4];
    glFinish();
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    int columns = 0;
    for (int x = 0; x < width; x++) {
        bool lit = false;
        for (int y = 0; y < height && !lit; y++)
            lit = pixels[(y * width + x) * 4] > 128;
        columns += lit;
    }
    return columns;
}

class OutlineFontGL : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        openTestContext(640, 360);
        fontListBase = glGenLists(256);
        while (glGetError() != GL_NO_ERROR) {
        }
        built = buildOutlineFont("Arial:bold", 0, 255, fontListBase, 0.2f, fontGlyphMetrics);
        buildError = glGetError();
    }
    static bool built;
    static GLenum buildError;

    // One glyph drawn white, 200 pixels to the em, rotated about the y axis.
    void drawGlyph(int code, float yawDegrees, bool cull)
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
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        if (cull) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
            glFrontFace(GL_CCW);
        } else {
            glDisable(GL_CULL_FACE);
        }
        glColor3f(1, 1, 1);
        glCallList(fontListBase + code);
        glDisable(GL_CULL_FACE);
    }
};
bool OutlineFontGL::built = false;
GLenum OutlineFontGL::buildError = GL_NO_ERROR;

TEST_F(OutlineFontGL, Has256ListsThatDrawWithoutError)
{
    ASSERT_TRUE(built);
    ASSERT_NE(fontListBase, 0u);
    EXPECT_EQ(buildError, (GLenum)GL_NO_ERROR);
    glMatrixMode(GL_MODELVIEW);
    for (int c = 0; c < 256; c++) {
        EXPECT_TRUE(glIsList(fontListBase + c)) << c;
        glLoadIdentity();
        glCallList(fontListBase + c);
        ASSERT_EQ(glGetError(), (GLenum)GL_NO_ERROR) << c;
    }
    // A string: each list ends by moving to the next glyph's origin.
    glLoadIdentity();
    const char* text = "VORN";
    glListBase(fontListBase);
    glCallLists(4, GL_UNSIGNED_BYTE, text);
    GLfloat matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    float advance = 0;
    for (int i = 0; i < 4; i++)
        advance += fontGlyphMetrics[(unsigned char)text[i]].cellIncX;
    EXPECT_FLOAT_EQ(matrix[12], advance);
    EXPECT_EQ(matrix[13], 0.0f);
    glListBase(0);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(OutlineFontGL, MetricsAreInEmUnits)
{
    ASSERT_TRUE(built);
    const GlyphMetricsFloat& a = fontGlyphMetrics['A'];
    // A bold sans-serif capital: about 0.7 em wide and high, on the base line.
    EXPECT_GT(a.blackBoxX, 0.6f);
    EXPECT_LT(a.blackBoxX, 0.8f);
    EXPECT_GT(a.blackBoxY, 0.6f);
    EXPECT_LT(a.blackBoxY, 0.8f);
    EXPECT_NEAR(a.glyphOriginY, a.blackBoxY, 0.01f);
    EXPECT_GT(a.cellIncX, a.blackBoxX);
    EXPECT_EQ(a.cellIncY, 0.0f);
    // The blank advances without a black box; "g" reaches below the line.
    EXPECT_GT(fontGlyphMetrics[' '].cellIncX, 0.2f);
    EXPECT_EQ(fontGlyphMetrics[' '].blackBoxX, 0.0f);
    EXPECT_LT(fontGlyphMetrics['g'].glyphOriginY - fontGlyphMetrics['g'].blackBoxY, -0.1f);
    // Windows-1252 codes have their glyphs: the euro sign and the e acute.
    EXPECT_GT(fontGlyphMetrics[0x80].blackBoxX, 0.3f);
    EXPECT_GT(fontGlyphMetrics[0xE9].blackBoxY, fontGlyphMetrics['e'].blackBoxY);
}

TEST_F(OutlineFontGL, FacesPointOutAndSidesAreExtruded)
{
    ASSERT_TRUE(built);
    // The front face seen from the front and the back face from behind
    // survive back-face culling, and cover the same area.
    drawGlyph('O', 0, true);
    int front = litPixels(640, 360);
    drawGlyph('O', 180, true);
    int back = litPixels(640, 360);
    drawGlyph('O', 0, false);
    int unculled = litPixels(640, 360);
    EXPECT_GT(front, 5000);
    EXPECT_NEAR(back, front, front / 50);
    EXPECT_NEAR(unculled, front, front / 50);

    // Seen edge-on the glyph is a slab 0.2 em (40 pixels) deep.
    drawGlyph('I', 90, false);
    EXPECT_NEAR(litColumns(640, 360), 40, 2);
    // The walls face outwards: edge-on with culling they still show.
    drawGlyph('I', 90, true);
    EXPECT_NEAR(litColumns(640, 360), 40, 2);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

}  // namespace
