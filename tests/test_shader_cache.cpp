// The shader backend's knowledge of the ES context, on Mesa's OpenGL ES 3:
// the backend leaves out calls that set what the context already holds and
// streams vertices through buffers it reuses, so these tests break that
// knowledge the ways it can break and read back what is drawn: other code
// changing the context (then sglForgetState), a texture name deleted and
// made again, and draws that fill, wrap and outgrow the stream buffers.
// Then what the backend does apart from the fixed-function pipeline it is
// compared with elsewhere: the calls it refuses in a display list, and the
// programs of every alpha test.
#include <GLES3/gl3.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "glshader/legacy_enums.h"
#include "glshader/shader_gl.h"
#include "tests/support/gl_context.h"

namespace {

constexpr int width = 64;
constexpr int height = 48;

// One ES 3.0 window for the process; each test starts a fresh backend on it.
void startBackend()
{
    static SDL_GLContext context = nullptr;
    if (!context) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_Window* window =
            SDL_CreateWindow("VORN test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        context = SDL_GL_CreateContext(window);
        ASSERT_NE(context, nullptr) << SDL_GetError();
        pinGlDriver();
    }
    sglDestroyContext();
    ASSERT_TRUE(sglCreateContext());
    sglViewport(0, 0, width, height);
    sglMatrixMode(GL_PROJECTION);
    sglLoadIdentity();
    sglOrtho(0, width, 0, height, -1, 1);  // a unit a pixel
    sglMatrixMode(GL_MODELVIEW);
    sglLoadIdentity();
}

using Picture = std::vector<uint8_t>;

// Mesa crashes reading pixels with no read buffer (which the backend could
// wrongly leave there): then nothing is read.
bool readable()
{
    GLint buffer = GL_NONE;
    glGetIntegerv(GL_READ_BUFFER, &buffer);
    return buffer != GL_NONE;
}

Picture readWindow()
{
    if (!readable())
        return Picture();
    Picture pixels((size_t)width * height * 4);
    sglPixelStorei(GL_PACK_ALIGNMENT, 4);
    sglReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

const uint8_t* pixelAt(const Picture& picture, int x, int y)
{
    return &picture[4 * ((size_t)y * width + x)];
}

void colouredQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a = 1.0f)
{
    sglColor4f(r, g, b, a);
    sglBegin(GL_QUADS);
    sglTexCoord2f(0, 0);
    sglVertex2f(x0, y0);
    sglTexCoord2f(1, 0);
    sglVertex2f(x1, y0);
    sglTexCoord2f(1, 1);
    sglVertex2f(x1, y1);
    sglTexCoord2f(0, 1);
    sglVertex2f(x0, y1);
    sglEnd();
}

// A texture of w x h RGBA texels, each (r, g, b) with r and g rising with x
// and y and b from the argument.
void upload(int w, int h, uint8_t blue, GLint internalFormat = GL_RGBA8)
{
    std::vector<uint8_t> texels((size_t)w * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t* t = &texels[4 * ((size_t)y * w + x)];
            t[0] = (uint8_t)(40 + 60 * x);
            t[1] = (uint8_t)(30 + 70 * y);
            t[2] = blue;
            t[3] = 255;
        }
    sglTexImage2D(GL_TEXTURE_2D, 0, internalFormat, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
}

void nearestClamped()
{
    sglTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    sglTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    sglTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    sglTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

GLuint compile(GLenum type, const char* source)
{
    GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// What the state test's scene keeps between its drawings.
struct SceneObjects {
    GLuint texture, copy;
};

struct StateScene {
    Picture picture;
    uint8_t block[64];  // 3 x 3 pixels read with rows packed, then slack
};

// Uses every kind of state the backend tracks: clear values, an RGB8
// upload of odd width (unpack alignment), sampling parameters, two units,
// a blend, a depth test, a copy from the framebuffer (read buffer), the
// alpha test, matrices, and a read-back of odd width (pack alignment).
StateScene drawStateScene(const SceneObjects& objects)
{
    sglClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    sglClearDepth(1.0);
    sglClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sglEnable(GL_TEXTURE_2D);
    sglBindTexture(GL_TEXTURE_2D, objects.texture);
    upload(3, 3, 200, GL_RGB8);
    colouredQuad(0, 0, 24, 24, 1, 1, 1);
    sglActiveTexture(GL_TEXTURE1);
    sglEnable(GL_TEXTURE_2D);
    sglBindTexture(GL_TEXTURE_2D, objects.texture);
    sglActiveTexture(GL_TEXTURE0);
    sglEnable(GL_BLEND);
    sglBlendFunc(GL_ONE, GL_ONE);
    sglPushMatrix();
    sglTranslatef(30, 0, 0);
    colouredQuad(0, 0, 24, 24, 0.4f, 0.3f, 0.0f);
    sglPopMatrix();
    sglActiveTexture(GL_TEXTURE1);
    sglDisable(GL_TEXTURE_2D);
    sglActiveTexture(GL_TEXTURE0);
    sglDisable(GL_BLEND);
    sglEnable(GL_DEPTH_TEST);
    sglDepthFunc(GL_LESS);
    sglDisable(GL_TEXTURE_2D);
    colouredQuad(56, 0, 64, 48, 0.9f, 0.5f, 0.1f);
    sglDisable(GL_DEPTH_TEST);

    sglEnable(GL_TEXTURE_2D);
    sglBindTexture(GL_TEXTURE_2D, objects.copy);
    sglCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, 8, 8);
    sglEnable(GL_ALPHA_TEST);
    sglAlphaFunc(GL_GREATER, 0.5f);
    colouredQuad(0, 28, 16, 44, 1, 1, 1, 0.7f);
    colouredQuad(20, 28, 36, 44, 1, 1, 1, 0.3f);  // discarded
    sglDisable(GL_ALPHA_TEST);
    // Last, the program of the first draw: the next drawing starts with
    // the program the backend used last.
    colouredQuad(40, 28, 48, 36, 1, 1, 1);
    sglDisable(GL_TEXTURE_2D);

    StateScene scene;
    scene.picture = readWindow();
    std::memset(scene.block, 0, sizeof scene.block);
    sglPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (readable())
        sglReadPixels(1, 1, 3, 3, GL_RGBA, GL_UNSIGNED_BYTE, scene.block);
    return scene;
}

void expectBlockPacked(const StateScene& scene)
{
    ASSERT_FALSE(scene.picture.empty()) << "nothing read";
    for (int y = 0; y < 3; y++)
        EXPECT_EQ(std::memcmp(&scene.block[12 * y], pixelAt(scene.picture, 1, 1 + y), 12), 0) << "row " << y;
}

// What other code does to the context: every value the backend tracks set
// to something else, another program and vertex array drawing, the
// backend's texture and program given other values.
void otherCodeUsesTheContext(const SceneObjects& objects)
{
    GLint backendProgram = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &backendProgram);
    const float zero[16] = {};
    glUniformMatrix4fv(glGetUniformLocation((GLuint)backendProgram, "uModelViewProjection"), 1, GL_FALSE, zero);

    GLuint program = glCreateProgram();
    GLuint vertex = compile(GL_VERTEX_SHADER, "#version 300 es\nin vec4 p;\nvoid main() { gl_Position = p; }\n");
    GLuint fragment = compile(GL_FRAGMENT_SHADER, "#version 300 es\nprecision mediump float;\nout vec4 c;\n"
                                                  "void main() { c = vec4(1.0, 0.0, 1.0, 1.0); }\n");
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLuint vertexArray = 0, buffer = 0, texture = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const float triangle[6] = {-1, -1, 1, -1, 0, 1};
    glBufferData(GL_ARRAY_BUFFER, sizeof triangle, triangle, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLES, 0, 3);

    glGenTextures(1, &texture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBindTexture(GL_TEXTURE_2D, objects.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
    glBindTexture(GL_TEXTURE_2D, texture);
    glActiveTexture(GL_TEXTURE1);

    glEnable(GL_BLEND);
    glBlendFunc(GL_ZERO, GL_SRC_COLOR);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_NEVER);
    glViewport(0, 0, 8, 8);
    glClearColor(1, 0, 1, 1);
    glClearDepthf(0.0f);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    glReadBuffer(GL_NONE);

    glDeleteShader(vertex);
    glDeleteShader(fragment);
    glDeleteProgram(program);  // still in use, so it lives on
    glDeleteBuffers(1, &buffer);
    glDeleteTextures(1, &texture);
    glDeleteVertexArrays(1, &vertexArray);  // unbinds it: none is bound
}

SceneObjects makeSceneObjects()
{
    SceneObjects objects;
    sglGenTextures(1, &objects.texture);
    sglBindTexture(GL_TEXTURE_2D, objects.texture);
    nearestClamped();
    sglGenTextures(1, &objects.copy);
    sglBindTexture(GL_TEXTURE_2D, objects.copy);
    upload(8, 8, 0, GL_RGB8);
    nearestClamped();
    return objects;
}

}  // namespace

TEST(ShaderCache, SendsEverythingAgainAfterOtherCodeUsedTheContext)
{
    startBackend();
    SceneObjects objects = makeSceneObjects();
    StateScene before = drawStateScene(objects);
    // The scene draws what it is meant to: the texel at the lower left
    // (40, 30, 200), a blend over it, its copy drawn back, the quad the
    // alpha test discards leaving the clear colour.
    const uint8_t corner[3] = {40, 30, 200};
    EXPECT_EQ(std::memcmp(pixelAt(before.picture, 2, 2), corner, 3), 0);
    EXPECT_GT(pixelAt(before.picture, 32, 2)[0], pixelAt(before.picture, 45, 40)[0]) << "the blended quad";
    EXPECT_EQ(std::memcmp(pixelAt(before.picture, 2, 30), corner, 3), 0) << "the copy of the corner";
    EXPECT_EQ(std::memcmp(pixelAt(before.picture, 24, 36), pixelAt(before.picture, 45, 40), 3), 0)
        << "the discarded quad";
    expectBlockPacked(before);
    EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR);

    // Unforgotten, the changes show: they reach the picture.
    otherCodeUsesTheContext(objects);
    EXPECT_NE(drawStateScene(objects).picture, before.picture);
    EXPECT_NE(sglGetError(), (unsigned)GL_NO_ERROR) << "the vertices went to no buffer";
    while (glGetError() != GL_NO_ERROR) {
    }

    otherCodeUsesTheContext(objects);
    sglForgetState();
    StateScene after = drawStateScene(objects);
    EXPECT_EQ(after.picture, before.picture);
    expectBlockPacked(after);
    EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR);
}

// Other code deletes the backend's texture and makes one of the same name
// (ES makes a texture of any name bound): with its own image and the
// default parameters it is not what the backend last bound, nor has it the
// parameters the backend gave its own. Unforgotten, the backend samples
// what is bound (nothing); forgotten, it binds the new texture and sends
// its parameters (a minifying filter without mipmaps, or it samples black).
TEST(ShaderCache, ForgetsATextureOtherCodeDeletedAndMadeAgain)
{
    startBackend();
    GLuint name = 0;
    sglGenTextures(1, &name);
    sglBindTexture(GL_TEXTURE_2D, name);
    upload(2, 2, 10);
    nearestClamped();
    sglEnable(GL_TEXTURE_2D);
    colouredQuad(0, 0, 16, 16, 1, 1, 1);

    glDeleteTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    const uint8_t texels[2 * 2 * 4] = {90, 80, 77, 255, 90, 80, 77, 255, 90, 80, 77, 255, 90, 80, 77, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    colouredQuad(16, 0, 32, 16, 1, 1, 1);
    sglForgetState();
    colouredQuad(32, 0, 48, 16, 1, 1, 1);

    Picture picture = readWindow();
    ASSERT_FALSE(picture.empty());
    EXPECT_EQ(pixelAt(picture, 4, 4)[2], 10);
    EXPECT_NE(pixelAt(picture, 20, 4)[2], 77) << "the change reaches the picture when not forgotten";
    EXPECT_EQ(std::memcmp(pixelAt(picture, 36, 4), texels, 3), 0);
    EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR);
}

namespace {

// The windows's 8 x 8 cells, numbered from the lower left along rows, each
// with a colour of its own.
void cellColour(int cell, float rgb[3])
{
    rgb[0] = (float)(20 + 13 * cell) / 255.0f;
    rgb[1] = (float)(250 - 12 * cell) / 255.0f;
    rgb[2] = (float)(cell % 2 ? 230 : 90) / 255.0f;
}

void cellCorners(int cell, float corners[4][2])
{
    float x = (float)(cell % 8 * 8 + 1), y = (float)(cell / 8 * 8 + 1);
    const float unit[4][2] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}};
    for (int i = 0; i < 4; i++) {
        corners[i][0] = x + unit[i][0];
        corners[i][1] = y + unit[i][1];
    }
}

void quadInCell(int cell)
{
    float rgb[3], corners[4][2];
    cellColour(cell, rgb);
    cellCorners(cell, corners);
    colouredQuad(corners[0][0], corners[0][1], corners[2][0], corners[2][1], rgb[0], rgb[1], rgb[2]);
}

// One glDrawElements over arrays of vertexCount vertices (the others placed
// outside the window) whose elements 2 to 5 and last four make the quads
// of two cells, each quad's two triangles given repeats times: the draw
// streams vertexCount - 2 vertices (the elements the indices span) and
// 12 x repeats indices.
void arrayQuadsInCells(int vertexCount, int cellA, int cellB, int repeats)
{
    std::vector<float> positions((size_t)vertexCount * 3, -100.0f), colours((size_t)vertexCount * 4, 0.0f);
    const int cells[2] = {cellA, cellB};
    const uint32_t firsts[2] = {2, (uint32_t)vertexCount - 4};
    std::vector<uint32_t> indices;
    for (int q = 0; q < 2; q++) {
        float rgb[3], corners[4][2];
        cellColour(cells[q], rgb);
        cellCorners(cells[q], corners);
        for (uint32_t i = 0; i < 4; i++) {
            float* p = &positions[3 * (firsts[q] + i)];
            p[0] = corners[i][0];
            p[1] = corners[i][1];
            p[2] = 0.0f;
            float* c = &colours[4 * (firsts[q] + i)];
            std::memcpy(c, rgb, sizeof rgb);
            c[3] = 1.0f;
        }
    }
    for (int r = 0; r < repeats; r++)
        for (int q = 0; q < 2; q++)
            for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u})
                indices.push_back(firsts[q] + i);
    sglPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    sglEnableClientState(GL_VERTEX_ARRAY);
    sglEnableClientState(GL_COLOR_ARRAY);
    sglVertexPointer(3, GL_FLOAT, 0, positions.data());
    sglColorPointer(4, GL_FLOAT, 0, colours.data());
    sglDrawElements(GL_TRIANGLES, (int)indices.size(), GL_UNSIGNED_INT, indices.data());
    sglPopClientAttrib();
}

}  // namespace

// Draws that nearly fill the vertex buffer, then ones that no longer fit
// (the buffer starts again), then one larger than the buffer, and the same
// for the index buffer, each followed by a quad of immediate mode: every
// cell drawn shows its own colour.
TEST(ShaderCache, DrawsRightAcrossWrappedAndEnlargedStreams)
{
    startBackend();
    const int vertices = (int)(sglVertexStreamBytes / 64), indices = (int)(sglVertexStreamBytes / 16);
    sglClearColor(0, 0, 0, 1);
    sglClear(GL_COLOR_BUFFER_BIT);
    arrayQuadsInCells(vertices * 9 / 10, 0, 1, 1);
    quadInCell(2);
    arrayQuadsInCells(vertices / 5, 3, 4, 1);  // does not fit: the buffer starts again
    quadInCell(5);
    arrayQuadsInCells(vertices * 11 / 10, 6, 7, 1);  // larger than the buffer
    quadInCell(8);
    arrayQuadsInCells(10, 9, 10, indices / 12 * 11 / 10);  // more indices than their buffer holds
    quadInCell(11);
    arrayQuadsInCells(10, 12, 13, indices / 12);  // the index buffer starts again
    quadInCell(14);
    arrayQuadsInCells(10, 15, 16, 1);
    EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR);

    Picture picture = readWindow();
    for (int cell = 0; cell < 17; cell++) {
        float rgb[3];
        cellColour(cell, rgb);
        const uint8_t* pixel = pixelAt(picture, cell % 8 * 8 + 4, cell / 8 * 8 + 4);
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(pixel[c], rgb[c] * 255.0f, 1.0f) << "cell " << cell << ", channel " << c;
    }
}

// A list records what the program puts in lists (a colour, a translation, a
// quad of immediate mode) and draws nothing while it does; a call it never
// records is refused there with GL_INVALID_ENUM and changes nothing, the
// blend function here: blending adds the quads drawn over each other if
// it took effect. Each replay runs the recorded translation again.
TEST(ShaderLists, RecordAndRefuseWhileRecording)
{
    startBackend();
    sglClearColor(0, 0, 0, 1);
    sglClear(GL_COLOR_BUFFER_BIT);
    GLuint list = sglGenLists(1);
    sglNewList(list, GL_COMPILE);
    sglTranslatef(16, 0, 0);
    colouredQuad(0, 0, 16, 16, 0.0f, 0.5f, 0.0f);
    EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR);
    sglBlendFunc(GL_ONE, GL_ONE);
    EXPECT_EQ(sglGetError(), (unsigned)GL_INVALID_ENUM) << "glBlendFunc in a list";
    sglEndList();
    Picture recorded = readWindow();
    ASSERT_FALSE(recorded.empty());
    EXPECT_EQ(pixelAt(recorded, 20, 8)[1], 0) << "recording drew";

    colouredQuad(16, 0, 48, 16, 0.5f, 0.0f, 0.0f);
    sglEnable(GL_BLEND);
    sglCallList(list);
    sglCallList(list);
    Picture replayed = readWindow();
    for (int x : {20, 36}) {
        const uint8_t* pixel = pixelAt(replayed, x, 8);
        EXPECT_EQ(pixel[0], 0) << "x " << x << ": the list's quad blended";
        EXPECT_NEAR(pixel[1], 128, 1) << "x " << x << ": the list's quad";
    }
    EXPECT_EQ(pixelAt(replayed, 8, 8)[1], 0) << "a quad without the translation";
    EXPECT_EQ(pixelAt(replayed, 52, 8)[1], 0) << "the translation run thrice";
    EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR);
}

// Each alpha test's program links, and of three quads, alpha 0.25, 0.5
// and 0.75 against the reference 0.5, draws those that pass.
TEST(ShaderPrograms, AlphaTestsPassWhatTheirFunctionPasses)
{
    struct Case {
        const char* name;
        bool on;
        GLenum function;
        const char* passing;  // of the quads of alpha 0.25, 0.5 and 0.75
    };
    const Case cases[] = {{"off", false, GL_NEVER, "yyy"},         {"never", true, GL_NEVER, "nnn"},
                          {"less", true, GL_LESS, "ynn"},          {"equal", true, GL_EQUAL, "nyn"},
                          {"lequal", true, GL_LEQUAL, "yyn"},      {"greater", true, GL_GREATER, "nny"},
                          {"notequal", true, GL_NOTEQUAL, "yny"},  {"gequal", true, GL_GEQUAL, "nyy"},
                          {"always", true, GL_ALWAYS, "yyy"}};
    startBackend();
    for (const Case& c : cases) {
        sglClearColor(0, 0, 0, 1);
        sglClear(GL_COLOR_BUFFER_BIT);
        if (c.on)
            sglEnable(GL_ALPHA_TEST);
        else
            sglDisable(GL_ALPHA_TEST);
        sglAlphaFunc(c.function, 0.5f);
        for (int i = 0; i < 3; i++)
            colouredQuad(16.0f * i, 0, 16.0f * (i + 1), 16, 1, 1, 1, 0.25f * (i + 1));
        Picture picture = readWindow();
        ASSERT_FALSE(picture.empty());
        std::string drawn;
        for (int i = 0; i < 3; i++)
            drawn += pixelAt(picture, 16 * i + 8, 8)[0] == 255 ? 'y' : 'n';
        EXPECT_EQ(drawn, c.passing) << c.name;
        EXPECT_EQ(sglGetError(), (unsigned)GL_NO_ERROR) << c.name;
    }
}
