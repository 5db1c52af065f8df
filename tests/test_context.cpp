// The window, context and checks against a real GL (Mesa llvmpipe, headless).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>

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

TEST(Context, PassesTheChecksOnMesaAndRendersFrames)
{
    openTestContext(640, 360);
    EXPECT_EQ(testDisplay().width, 640);
    EXPECT_EQ(testDisplay().height, 360);
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 16);
    EXPECT_EQ(testDisplay().gl.clampMode, 0x812F);
    // With no GL error pending a frame of the show goes on to the next.
    static App app;
    initApp(&app);
    app.display = testDisplay();
    precalcAssets(app.display, app.random, &app.show.assets, &app.precalcLeftovers, ProgressReport());
    renderFrame(&app);
    renderFrame(&app);
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
    EXPECT_EXIT(frameAfter([] { glPopMatrix(); }), testing::ExitedWithCode(1), "s\nGL_STACK_UNDERFLOW\n$");
    for (const char* name : {"glMultiTexCoord2fARB", "glActiveTextureARB", "glClientActiveTextureARB"}) {
        hiddenEntryPoint = name;
        EXPECT_EXIT(checkExtensions(&app.display.gl), testing::ExitedWithCode(1), "^wglGetProcAddress error on multitexture!\n$")
            << name;
    }
    hiddenEntryPoint = nullptr;
}
