// The asset pre-calculation: its timing lines, its globals, its loading-bar
// steps and random numbers, and a start-up that stops at a missing file.
// Death tests run in a fresh process ("threadsafe" style): forking a process
// that holds a GL context with rendering threads is not safe.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "shell/lifecycle.h"
#include "show/random.h"
#include "tests/support/gl_context.h"
#include "textures/loading_bar.h"
#include "textures/precalc.h"

TEST(Precalc, BuildsEveryAssetInsideItsScopes)
{
    openTestContext();
    uint32_t seed = 12345;
    randseed = seed;
    float progress = loadingProgress;
    ::testing::internal::CaptureStderr();
    ScopeTimer* scope = scopeBegin("precalc");
    precalcAssets();
    scopeEnd(scope);
    std::string log = ::testing::internal::GetCapturedStderr();
    const std::regex lines("precalc_noise in \\d+\\.\\d{4}s\n([\\s\\S]*\n)?precalc in \\d+\\.\\d{4}s\n");
    EXPECT_TRUE(std::regex_search(log, lines)) << log;
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    // 13 bar steps; 1024 numbers for the permutation, 65536 for the grain.
    EXPECT_NEAR(loadingProgress - progress, 1.3f, 1e-4f);
    for (int i = 0; i < 1024 + 65536; i++)
        seed = seed * 69069u + 1u;
    EXPECT_EQ(randseed, seed);
    int sorted[1024];
    std::copy(noisePermutation, noisePermutation + 1024, sorted);
    std::sort(sorted, sorted + 1024);
    for (int i = 0; i < 1024; i++)
        ASSERT_EQ(sorted[i], i) << "not a permutation of 0..1023";

    EXPECT_EQ(bubbleAtlas->frameLayout, 2);
    EXPECT_EQ(bubbleAtlas->width % 4, 0);
    EXPECT_EQ(bubbleAtlas->height * 2, bubbleAtlas->width);
    EXPECT_EQ(plasmaTexture->width, 128);
    EXPECT_EQ(plasmaTexture->height, 64);
    EXPECT_EQ(plasmaTexture->flags, RF_NOMIPMAP);
    EXPECT_EQ(grainTexture->width, 256);
    EXPECT_EQ(grainTexture->height, 256);
    for (Texture* plain : {backdropTexture, maskTexture}) {
        EXPECT_GT(plain->scaleS, 0.0f);
        EXPECT_GT(plain->scaleT, 0.0f);
        EXPECT_EQ(plain->scaleR, 1.0f);
    }
    for (Texture* flipped : {logoTexture, textTextures[0], textTextures[1], textTextures[2]}) {
        EXPECT_GT(flipped->scaleS, 0.0f);
        EXPECT_LT(flipped->scaleT, 0.0f);
        EXPECT_TRUE(glIsTexture(flipped->name));
    }
    EXPECT_EQ(blurChain->count, 8);
    EXPECT_EQ(screenTexture->width, 512);
    EXPECT_EQ(boxMesh->triangleCount, 12);
    EXPECT_EQ(tubeMesh->triangleCount, 30);
    EXPECT_TRUE(glIsList(boxMesh->list));
    EXPECT_TRUE(glIsList(tubeMesh->list));
}

// Runs the pre-calculation in a copy of data/ that lacks one file.
static void precalcWithout(const char* missing)
{
    namespace fs = std::filesystem;
    fs::path folder = fs::path(::testing::TempDir()) / ("vorn_precalc_" + std::to_string(getpid()));
    fs::create_directories(folder / "data");
    for (const auto& entry : fs::directory_iterator("data"))
        if (entry.path().filename() != missing)
            fs::copy_file(entry.path(), folder / "data" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
    openTestContext();
    if (chdir(folder.c_str()) != 0)
        std::abort();
    precalcAssets();
}

TEST(PrecalcDeathTest, StopsAtTheFirstMissingFile)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const char* missing : {"leiska.jpg", "bubble2.jpg"})
        EXPECT_EXIT(precalcWithout(missing), ::testing::ExitedWithCode(1),
                    std::string("precalc_noise in .*\ndata/") + missing + " not found");
}
