// The program's spine without a window: profiling scopes, the fatal-error
// path, extension and version parsing.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>
#include <tuple>
#include <string>
#include <thread>
#include <utility>

#include "base/clock.h"
#include "base/fatal.h"
#include "platform/gl_checks.h"

namespace {

TEST(ScopeTimer, NestedScopesPrintInnerFirst)
{
    testing::internal::CaptureStderr();
    ScopeTimer* outer = scopeBegin("outer");
    ScopeTimer* inner = scopeBegin("inner");
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    scopeEnd(inner);
    scopeEnd(outer);
    std::string output = testing::internal::GetCapturedStderr();
    double innerSeconds = -1, outerSeconds = -1;
    ASSERT_EQ(std::sscanf(output.c_str(), "inner in %lfs\nouter in %lfs\n", &innerSeconds, &outerSeconds), 2) << output;
    EXPECT_TRUE(innerSeconds >= 0.029 && innerSeconds < 1.0 && outerSeconds >= innerSeconds) << output;
}

TEST(FatalError, PrintsTheTextAndExitsWithStatusOne)
{
    EXPECT_EXIT(fatalError("Init failed!"), testing::ExitedWithCode(1), "^Init failed!\n$");
}

TEST(HasExtension, MatchesWholeNamesOnly)
{
    // The last name has no blank after it; a longer name that merely begins
    // with the wanted one does not count, nor does a prefix of a name.
    const char* list = "GL_ARB_multitexture_extra GL_EXT_abc GL_ARB_texture_env_combine";
    for (auto [extensions, name, found] : {std::tuple{list, "GL_EXT_abc", true}, {list, "GL_ARB_texture_env_combine", true},
                                           {list, "GL_ARB_multitexture", false}, {list, "GL_ARB_texture_env", false},
                                           {list, "GL_EXT_ab", false}, {"GL_ARB_multitexture", "GL_ARB_multitexture", true},
                                           {"", "GL_EXT_abc", false}, {nullptr, "GL_EXT_abc", false}, {list, nullptr, false}})
        EXPECT_EQ(hasExtensionIn(extensions, name), found) << (name ? name : "null") << " in " << (extensions ? extensions : "null");
}

TEST(ClampMode, FollowsTheVersionString)
{
    for (auto [version, mode] : {std::pair<const char*, GLint>{"1.1.0 Vendor", GL_CLAMP}, {"1.2", 0x812F}, {"2.0", 0x812F},
                                 {"4.5 (Compatibility Profile) Mesa 22.3.6", 0x812F}, {"OpenGL ES 3.2", GL_CLAMP},
                                 {"3", GL_CLAMP}, {nullptr, GL_CLAMP}})
        EXPECT_EQ(clampModeForVersion(version), mode) << (version ? version : "null");
}

}  // namespace
