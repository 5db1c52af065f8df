// The window, context and checks against a real GL (Mesa llvmpipe, headless).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "shell/gl_checks.h"
#include "shell/main_loop.h"
#include "shell/platform.h"
#include "tests/support/gl_context.h"

namespace {

TEST(Context, PassesTheChecksOnMesa)
{
    openTestContext(640, 360);
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 360);
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    EXPECT_GE(depth, 16);
    EXPECT_EQ(textureClampMode, 0x812F);
    EXPECT_NE(pglActiveTextureARB, nullptr);
    EXPECT_NE(pglMultiTexCoord2fARB, nullptr);
    EXPECT_NE(pglClientActiveTextureARB, nullptr);
    EXPECT_TRUE(hasExtension("GL_ARB_multitexture"));
    EXPECT_FALSE(hasExtension("GL_ARB_multi"));
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(Context, AFrameWithoutErrorsRendersOn)
{
    openTestContext(640, 360);
    renderFrame();
    renderFrame();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(Context, AGlErrorPendingAtTheEndOfAFrameIsFatalWithItsName)
{
    openTestContext(640, 360);
    EXPECT_EXIT(
        {
            glEnable(0x7FFF);
            renderFrame();
        },
        testing::ExitedWithCode(1), "^GL_INVALID_ENUM\n$");
    EXPECT_EXIT(
        {
            glPopMatrix();
            renderFrame();
        },
        testing::ExitedWithCode(1), "^GL_STACK_UNDERFLOW\n$");
}

}  // namespace
