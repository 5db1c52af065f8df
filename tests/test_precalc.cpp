// The asset pre-calculation: its timing lines, loading-bar steps, random
// numbers and results, and a start-up that stops at a missing file.
// Death tests run in a fresh process ("threadsafe" style): forking a process
// that holds a GL context with rendering threads is not safe.
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "app/loading_bar.h"
#include "base/clock.h"
#include "base/fatal.h"
#include "base/random.h"
#include "show/assets.h"
#include "tests/support/gl_context.h"

TEST(Precalc, BuildsEveryAssetInsideItsScopes)
{
    openTestContext();
    RandomState random{12345}, expected = random;
    int steps = 0;
    ProgressReport countSteps{[](void* user) { ++*(int*)user; }, &steps};
    static ShowAssets assets;
    static PrecalcLeftovers leftovers;
    ::testing::internal::CaptureStderr();
    ScopeTimer* scope = scopeBegin("precalc");
    precalcAssets(testDisplay(), random, &assets, &leftovers, countSteps);
    scopeEnd(scope);
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_search(log, std::regex("precalc_noise in \\d+\\.\\d{4}s\n([\\s\\S]*\n)?precalc in \\d+\\.\\d{4}s\n")))
        << log;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    // 13 bar steps; 1024 random numbers for the permutation, 65536 for the
    // grain. (What the assets look like the reference frames show.)
    EXPECT_EQ(steps, 13);
    for (int i = 0; i < 1024 + 65536; i++) randNext(expected);
    EXPECT_EQ(random.seed, expected.seed);
}

// Runs the pre-calculation in a copy of data/ that lacks one file.
static void precalcWithout(const char* missing)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::path(::testing::TempDir()) / ("vorn_precalc_" + std::to_string(getpid()));
    fs::create_directories(folder / "data");
    for (const auto& entry : fs::directory_iterator("data"))
        if (entry.path().filename() != missing)
            fs::copy_file(entry.path(), folder / "data" / entry.path().filename(), fs::copy_options::overwrite_existing);
    openTestContext();
    if (chdir(folder.c_str()) != 0) std::abort();
    static ShowAssets assets;
    static PrecalcLeftovers leftovers;
    RandomState random;
    precalcAssets(testDisplay(), random, &assets, &leftovers, ProgressReport());
}

TEST(PrecalcDeathTest, StopsAtTheFirstMissingFile)
{
    for (const char* missing : {"leiska.jpg", "bubble2.jpg"})
        EXPECT_EXIT(precalcWithout(missing), ::testing::ExitedWithCode(1),
                    std::string("precalc_noise in .*\ndata/") + missing + " not found");
}
