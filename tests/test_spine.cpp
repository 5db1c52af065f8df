// The program's spine without a window: GL error names, profiling scopes,
// the fatal-error path, extension and version parsing.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <thread>

#include "shell/gl_checks.h"
#include "shell/lifecycle.h"

namespace {

TEST(GlErrorName, NamesEveryTableEntryAndUnknownCodes)
{
    EXPECT_STREQ(glErrorName(0), "GL_NO_ERROR");
    EXPECT_STREQ(glErrorName(0x500), "GL_INVALID_ENUM");
    EXPECT_STREQ(glErrorName(0x501), "GL_INVALID_VALUE");
    EXPECT_STREQ(glErrorName(0x502), "GL_INVALID_OPERATION");
    EXPECT_STREQ(glErrorName(0x503), "GL_STACK_OVERFLOW");
    EXPECT_STREQ(glErrorName(0x504), "GL_STACK_UNDERFLOW");
    EXPECT_STREQ(glErrorName(0x505), "GL_OUT_OF_MEMORY");
    EXPECT_STREQ(glErrorName(0x506), "UNKNOWN GL_ERROR");
    EXPECT_STREQ(glErrorName(0x4FF), "UNKNOWN GL_ERROR");
}

TEST(ScopeTimer, NestedScopesRestoreTheChainAndPrintInnerFirst)
{
    ASSERT_EQ(profileChain, nullptr);
    testing::internal::CaptureStderr();
    ScopeTimer* outer = scopeBegin("outer");
    EXPECT_EQ(profileChain, outer);
    ScopeTimer* inner = scopeBegin("inner");
    EXPECT_EQ(profileChain, inner);
    EXPECT_EQ(inner->previous, outer);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    scopeEnd(inner);
    EXPECT_EQ(profileChain, outer);
    scopeEnd(outer);
    EXPECT_EQ(profileChain, nullptr);
    std::string output = testing::internal::GetCapturedStderr();

    double innerSeconds = -1, outerSeconds = -1;
    ASSERT_EQ(std::sscanf(output.c_str(), "inner in %lfs\nouter in %lfs\n", &innerSeconds, &outerSeconds), 2)
        << output;
    EXPECT_GE(innerSeconds, 0.029);
    EXPECT_LT(innerSeconds, 1.0);
    EXPECT_GE(outerSeconds, innerSeconds);
    // Four decimals, as "%.4f" prints them.
    EXPECT_NE(output.find(".", 0), std::string::npos);
    EXPECT_EQ(output.substr(output.find('.') + 5, 3), "s\no");
}

TEST(FatalError, PrintsTheTextAndExitsWithStatusOne)
{
    EXPECT_EXIT(fatalError("Init failed!"), testing::ExitedWithCode(1), "^Init failed!\n$");
}

TEST(HasExtension, MatchesWholeNamesOnly)
{
    const char* list = "GL_ARB_multitexture_extra GL_EXT_abc GL_ARB_texture_env_combine";
    EXPECT_TRUE(hasExtensionIn(list, "GL_EXT_abc"));
    // The last name has no blank after it.
    EXPECT_TRUE(hasExtensionIn(list, "GL_ARB_texture_env_combine"));
    // A longer name that merely begins with the wanted one does not count.
    EXPECT_FALSE(hasExtensionIn(list, "GL_ARB_multitexture"));
    EXPECT_FALSE(hasExtensionIn(list, "GL_ARB_texture_env"));
    EXPECT_FALSE(hasExtensionIn(list, "GL_EXT_ab"));
    EXPECT_FALSE(hasExtensionIn(list, nullptr));
    EXPECT_FALSE(hasExtensionIn(nullptr, "GL_EXT_abc"));
    EXPECT_FALSE(hasExtensionIn("", "GL_EXT_abc"));
    EXPECT_TRUE(hasExtensionIn("GL_ARB_multitexture", "GL_ARB_multitexture"));
}

TEST(ClampMode, FollowsTheVersionString)
{
    EXPECT_EQ(clampModeForVersion("1.1"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion("1.1.0 Vendor"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion("1.2"), 0x812F);
    EXPECT_EQ(clampModeForVersion("2.0"), 0x812F);
    EXPECT_EQ(clampModeForVersion("4.5 (Compatibility Profile) Mesa 22.3.6"), 0x812F);
    EXPECT_EQ(clampModeForVersion("OpenGL ES 3.2"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion("3"), GL_CLAMP);
    EXPECT_EQ(clampModeForVersion(nullptr), GL_CLAMP);
}

}  // namespace
