// The window, context and checks against a real GL (Mesa llvmpipe, headless):
// what the checks find of the context, the names of the errors it raises,
// and what is fatal.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <string>

#include "app/main_loop.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "show/assets.h"
#include "tests/support/gl_context.h"

static const char* hiddenEntryPoint = nullptr;

// Stands in for SDL's lookup in this test program: a driver that lacks the
// hidden entry point.
extern "C" void* SDL_GL_GetProcAddress(const char* name)
{
    static auto driver = (void* (*)(const char*))dlsym(RTLD_NEXT, "SDL_GL_GetProcAddress");
    return hiddenEntryPoint && std::strcmp(name, hiddenEntryPoint) == 0 ? nullptr : driver(name);
}

TEST(Context, ChecksFillTheCapsWithEntryPointsThatActOnTheContext)
{
    openTestContext(640, 360);
    const GlCaps& gl = testDisplay().gl;
    EXPECT_EQ(testDisplay().width, 640);
    EXPECT_EQ(testDisplay().height, 360);
    GLint depth = 0, units = 0, active = 0, clientActive = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 16);
    // Mesa offers far more than OpenGL 1.2 and two units.
    EXPECT_EQ(gl.clampMode, GL_CLAMP_TO_EDGE);
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
    EXPECT_EQ(gl.textureUnits, units);
    EXPECT_GE(gl.textureUnits, 3);
    // Each entry point does its own job: a swapped pair would select the
    // other unit kind, a wrong coordinate call would set another unit.
    gl.activeTexture(GL_TEXTURE1);
    gl.clientActiveTexture(GL_TEXTURE2);
    gl.multiTexCoord2f(GL_TEXTURE1, 0.25f, 0.75f);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &clientActive);
    GLfloat coords[4] = {};
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
    EXPECT_EQ(active, GL_TEXTURE1);
    EXPECT_EQ(clientActive, GL_TEXTURE2);
    EXPECT_TRUE(coords[0] == 0.25f && coords[1] == 0.75f && coords[2] == 0.0f && coords[3] == 1.0f);
    gl.activeTexture(GL_TEXTURE0);
    gl.clientActiveTexture(GL_TEXTURE0);
}

TEST(Context, EachErrorIsNamedAsTheGlRaisingItNamesIt)
{
    openTestContext(640, 360);
    auto raised = [] { return std::string(glErrorName(glGetError())); };
    EXPECT_EQ(raised(), "GL_NO_ERROR");
    glEnable(0x7FFF);
    EXPECT_EQ(raised(), "GL_INVALID_ENUM");
    glGenLists(-1);
    EXPECT_EQ(raised(), "GL_INVALID_VALUE");
    glEndList();
    EXPECT_EQ(raised(), "GL_INVALID_OPERATION");
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    EXPECT_EQ(raised(), "GL_STACK_UNDERFLOW");
    GLint depth = 0;
    glGetIntegerv(GL_MAX_MODELVIEW_STACK_DEPTH, &depth);
    for (int i = 0; i < depth; i++) glPushMatrix();  // one more matrix than the stack holds
    EXPECT_EQ(raised(), "GL_STACK_OVERFLOW");
    for (int i = 1; i < depth; i++) glPopMatrix();
    EXPECT_EQ(raised(), "GL_NO_ERROR");
    EXPECT_STREQ(glErrorName(0x7FFF), "UNKNOWN GL_ERROR");
}

// Death tests run in a fresh process: forking one that holds a GL context
// with rendering threads is not safe.
TEST(ContextDeathTest, AGlErrorAtTheEndOfAFrameOrAMissingEntryPointIsFatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    openTestContext(640, 360);
    // The show's assets load first; their timings come before the error.
    static App app;
    initApp(&app);
    app.display = testDisplay();
    auto frameAfter = [](void (*fault)()) {
        precalcAssets(app.display, app.random, &app.show.assets, &app.precalcLeftovers, ProgressReport());
        fault();
        renderFrame(&app);
    };
    EXPECT_EXIT(frameAfter([] { glEnable(0x7FFF); }), testing::ExitedWithCode(1), "s\nGL_INVALID_ENUM\n$");
    for (const char* name : {"glMultiTexCoord2fARB", "glActiveTextureARB", "glClientActiveTextureARB"}) {
        hiddenEntryPoint = name;
        EXPECT_EXIT(checkExtensions(&app.display.gl), testing::ExitedWithCode(1),
                    "^wglGetProcAddress error on multitexture!\n$")
            << name;
    }
    hiddenEntryPoint = nullptr;
}
