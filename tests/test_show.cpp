// The show as a viewer sees it, read back from a real GL: black start and
// end, letterbox bars, flashes on the hit rows, the grain, the text and logo
// fades, the relief and glow passes on known pictures, and the world
// scene's camera switches and spectrum shake.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/isosurface.h"
#include "geometry/radix_sort.h"
#include "geometry/show_blobs.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "shell/platform.h"
#include "shell/setup.h"
#include "show/camera.h"
#include "show/grain.h"
#include "show/hits.h"
#include "show/plasma.h"
#include "show/scene_layers.h"
#include "show/scene_world.h"
#include "show/timeline.h"
#include "tests/support/gl_context.h"
#include "textures/precalc.h"
#include "textures/texture.h"

namespace {

constexpr int W = 640, H = 360;

// A 640 x 360 window with every asset of the show, at the 16:9 aspect.
void showContext(float factor = 1.0f)
{
    static bool made = false;
    openTestContext(W, H);
    if (!made) {
        precalcAssets();
        made = true;
    }
    aspectRatio = 16.0f / 9.0f * factor;
    aspectFactor = factor;
}

// The RGB channels of the window rows [y0, y1) over its whole width.
std::vector<unsigned char> readRows(int y0, int y1)
{
    std::vector<unsigned char> rgb((size_t)W * (y1 - y0) * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, y0, W, y1 - y0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

int channel(int x, int y)
{
    unsigned char rgba[4];
    readPixel(x, y, rgba);
    return rgba[0];
}

// The whole window cleared to one grey, outside any render-state pair.
void clearTo(float grey)
{
    resetRenderState();
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

TEST(ShowFrame, BlackFirstAndLastFramesAndLetterboxBars)
{
    struct Case {
        float t, factor;
        bool pictureLit;
    } cases[] = {{0.0f, 1.0f, false}, {15.0f, 1.0f, false}, {15.5f, 0.75f, false}, {8.0f, 0.75f, true}};
    for (const Case& c : cases) {
        showContext(c.factor);
        show_draw(c.t);
        int bar = (int)(H * (1.0f - c.factor) * 0.5f);
        std::vector<unsigned char> below = readRows(0, bar), above = readRows(H - bar, H);
        std::vector<unsigned char> picture = readRows(bar, H - bar);
        EXPECT_EQ(*std::max_element(picture.begin(), picture.end()) > 0, c.pictureLit) << "t = " << c.t;
        for (const auto* rows : {&below, &above})
            EXPECT_TRUE(std::all_of(rows->begin(), rows->end(), [](unsigned char v) { return v == 0; }))
                << "letterbox bar at t = " << c.t;
        EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    }
}

TEST(ShowFrame, FlashAddsATrianglePulseOnEveryHitRow)
{
    showContext();
    for (int row : {htab[0], htab[8]})
        for (auto [offset, added] : {std::pair{0, 1.0f}, {-1, 0.5f}, {1, 0.5f}, {-2, 0.0f}, {2, 0.0f}, {-5, 0.0f}}) {
            clearTo(0.2f);
            hit_flash((float)(row + offset) / 64.0f, 1.0f);
            EXPECT_NEAR(channel(W / 2, H / 2), std::min(0.2f + added, 1.0f) * 255.0f, 1.0f)
                << "row " << row << " " << offset;
        }
}

TEST(ShowFrame, GrainDarkensWhiteByAtMostATenthAndMovesEveryFrame)
{
    showContext();
    std::vector<unsigned char> frames[2];
    for (auto& frame : frames) {
        clearTo(1.0f);
        grain_overlay(3.0f);
        frame = readRows(0, H);
        double sum = 0;
        for (unsigned char v : frame) {
            ASSERT_LE(v, 254);
            ASSERT_GE(v, 229);
            sum += v;
        }
        double darkening = 1.0 - sum / frame.size() / 255.0;
        EXPECT_GT(darkening, 0.004);
        EXPECT_LT(darkening, 0.10);
    }
    EXPECT_NE(frames[0], frames[1]);
}

TEST(ShowFrame, TextPairsAndLogoFadeInAtTheirTimes)
{
    showContext();
    // Solid white stand-ins: each layer then darkens white by exactly its
    // fade value, and the logo by its alpha.
    Texture* white = makeSolidTexture(4, 4, 255, 255, 255, 255, 1.0f, -1.0f, 1.0f, 0);
    Texture* saved[4] = {textTextures[0], textTextures[1], textTextures[2], logoTexture};
    textTextures[0] = textTextures[1] = textTextures[2] = logoTexture = white;
    const float pair1 = 0.97f * 0.95f, pair2 = 0.95f * 0.97f, pair3 = 0.97f * 0.95f;
    struct Case {
        float t, left;
    } cases[] = {
        {1.0f, 1.0f},
        {1.5f, (1 - 0.015f) * (1 - 0.025f)},
        {2.5f, pair1},
        {3.0f, pair1 * (1 - 0.025f) * (1 - 0.015f)},
        {7.5f, pair1 * pair2},
        {9.0f, pair1 * pair2 * pair3},
        {13.5f, pair1 * pair2 * pair3},
        {13.75f, pair1 * pair2 * pair3 * 0.5f},
        {14.0f, 0.0f},
        {20.0f, 0.0f},
    };
    for (const Case& c : cases) {
        clearTo(1.0f);
        text_layers(c.t);
        // Each of up to seven darkening passes rounds to the 8-bit buffer.
        EXPECT_NEAR(channel(W / 3, H / 3), c.left * 255.0f, 4.0f) << "t = " << c.t;
    }
    textTextures[0] = saved[0], textTextures[1] = saved[1], textTextures[2] = saved[2], logoTexture = saved[3];
    glDeleteTextures(1, &white->name);
    delete white;
}

TEST(PostPasses, ReliefEmbossesByACopyMovedFourPixelsRightAndUp)
{
    showContext();
    for (float p : {0.2f, 0.5f, 0.8f}) {
        clearTo(p);
        post_relief(screenTexture, 8.0f, RF_OFFSCREEN);
        EXPECT_NEAR(channel(256, 128), (p * (1 - p) + 0.5f * p) * 255.0f, 2.0f) << p;
    }
    // White upper-right quadrant of the work area on black: the copy moved
    // right and up leaves its lower and left edges undarkened.
    clearTo(0.0f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(256, 128, 256, 128);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    post_relief(screenTexture, 8.0f, RF_OFFSCREEN);
    struct Probe {
        int x, y, value;
    } probes[] = {{300, 200, 128}, {257, 200, 255}, {300, 129, 255}, {254, 200, 0}, {300, 126, 0}};
    for (const Probe& probe : probes)
        EXPECT_NEAR(channel(probe.x, probe.y), probe.value, 2) << probe.x << "," << probe.y;
}

TEST(PostPasses, GlowAddsEachBlurredLevelAtItsWeight)
{
    showContext();
    const float white[4] = {1, 1, 1, 1};
    const float c = 104.0f / 255.0f;
    BlurChain one = *blurChain;
    one.count = 1;
    // Seven blurred levels of a flat picture, squared from level 1 on or not;
    // a single-level chain only copies.
    struct Case {
        const BlurChain* chain;
        int square;
        float expected, tolerance;
    } cases[] = {{blurChain, 1, c + 0.15f * 7 * c * c, 6}, {blurChain, 0, c + 0.15f * 7 * c, 6}, {&one, 1, c, 1}};
    for (const Case& k : cases) {
        clearTo(c);
        blur_chain_build(k.chain, k.square, 1.0f, white);
        blur_chain_compose(k.chain, 0.15f, 0);
        EXPECT_NEAR(channel(W / 2, H / 2), std::min(k.expected, 1.0f) * 255.0f, k.tolerance)
            << k.chain->count << " levels, square " << k.square;
    }
}

TEST(PostPasses, WarpGridCoversTheChosenAreaOnly)
{
    showContext(0.75f);  // picture area: rows 45 to 314
    Texture* white = makeSolidTexture(4, 4, 255, 255, 255, 255, 1.0f, 1.0f, 1.0f, 0);
    struct Probe {
        int x, y, value;
    };
    struct Case {
        RenderFlags flags;
        Probe probes[4];
    } cases[] = {{0, {{0, 45, 255}, {639, 314, 255}, {320, 44, 0}, {320, 315, 0}}},
                 {RF_OFFSCREEN, {{0, 0, 255}, {511, 255, 255}, {512, 100, 0}, {100, 256, 0}}}};
    for (const Case& k : cases) {
        clearTo(0.0f);
        glColor4f(1, 1, 1, 1);
        warp_grid(white, 16, 9, 1.0f, warp_field, 1.0f, 1.0f, k.flags);
        for (const Probe& probe : k.probes)
            EXPECT_EQ(channel(probe.x, probe.y), probe.value) << k.flags << " at " << probe.x << "," << probe.y;
    }
    glDeleteTextures(1, &white->name);
    delete white;
}

TEST(WorldScene, PlasmaImagesAreExactlyThoseOfTheirPhase)
{
    // FNV-1a hashes of whole images. At tau = 21.137777 (the frame 70.4 s
    // into the music) 0.2 x tau rounded once to a float differs from
    // 0.2f x tau, which would change 20 texels.
    static unsigned char image[128 * 64 * 4];
    const struct {
        float tau;
        uint32_t hash;
    } cases[] = {{0.0f, 2292490241u}, {21.1377773f, 2136378602u}, {59.9f, 391739959u}};
    for (const auto& c : cases) {
        plasmaImage(image, 0.3f, c.tau);
        uint32_t hash = 2166136261u;
        for (unsigned char v : image)
            hash = (hash ^ v) * 16777619u;
        EXPECT_EQ(hash, c.hash) << c.tau;
    }
}

TEST(WorldScene, WarpFieldStaysInItsRange)
{
    const float aux[3] = {0, 0, 0};
    for (float time = 0.0f; time < 20.0f; time += 0.37f)
        for (int i = 0; i <= 16; i++)
            for (int j = 0; j <= 9; j++) {
                float v[3] = {i / 16.0f, j / 9.0f, 0.25f}, out[3];
                warp_field(time, v, aux, 1.0f, 1.0f, out);
                ASSERT_TRUE(out[0] >= 0.06f && out[0] <= 0.94f && out[1] >= 0.06f && out[1] <= 0.94f);
                ASSERT_EQ(out[2], 0.25f);
            }
}

TEST(WorldScene, CameraPresetChangesExactlyOnTheHitRows)
{
    for (int i = 0; i < hitCountMax - 1; i++) {
        float t = (float)htab[i] / 64.0f;
        EXPECT_EQ(hitsReached(t), i + 1) << htab[i];
        EXPECT_EQ(hitsReached(std::nextafter(t, 0.0f)), i) << htab[i];
    }
    EXPECT_EQ(hitsReached(1000.0f), hitCountMax - 1);
    CameraPreset presets[cameraPresetCount];
    cameraPresets(0.0f, presets);
    EXPECT_EQ(presets[0].eye[2], -8.0f);
    EXPECT_EQ(presets[0].eye[3], 60.0f);
}

TEST(WorldScene, LoudMusicShakesTheChosenPointsQuietMusicNone)
{
    const float quiet[4] = {0.6f, 0.3f, 0, 0}, loud[4] = {3.0f, 3.0f, 0, 0};
    enum { surfaceOnly, sphereOnly, all };
    struct Case {
        float t;
        int moved;
    } cases[] = {{2.0f, sphereOnly}, {3.0f, surfaceOnly}, {3.5f, sphereOnly}, {12.0f, all}};
    for (const Case& c : cases) {
        Blob blobs[SHOW_BLOB_COUNT];
        showBlobs(c.t, blobs);
        std::vector<float> runs[2];
        int surface = 0, count = 0;
        for (int run = 0; run < 2; run++) {
            isoBuild(blobs, SHOW_BLOB_COUNT);
            surface = isoVertCount;
            std::vector<float> built(isoVerts, isoVerts + 3 * surface);
            float* sizes = nullptr;
            count = worldParticles(c.t, hitsReached(c.t), run ? loud : quiet, &sizes);
            free(sizes);
            runs[run].assign(isoVerts, isoVerts + 3 * count);
            if (run == 0) {
                EXPECT_TRUE(std::equal(built.begin(), built.end(), runs[0].begin())) << "quiet moved at " << c.t;
            }
        }
        ASSERT_GT(surface, 20) << c.t;
        ASSERT_EQ(count, surface + 512);
        int movedSurface = 0, movedSphere = 0;
        for (int i = 0; i < count; i++)
            if (runs[0][3 * i] != runs[1][3 * i] || runs[0][3 * i + 1] != runs[1][3 * i + 1])
                (i < surface ? movedSurface : movedSphere)++;
        EXPECT_EQ(movedSurface > surface * 9 / 10, c.moved != sphereOnly) << c.t;
        EXPECT_EQ(movedSurface == 0, c.moved == sphereOnly) << c.t;
        EXPECT_EQ(movedSphere > 512 * 9 / 10, c.moved != surfaceOnly) << c.t;
        EXPECT_EQ(movedSphere == 0, c.moved == surfaceOnly) << c.t;
    }
}

TEST(WorldSceneDeathTest, MoreParticlesThanTheSortTakesIsFatalFirst)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const float levels[4] = {0, 0, 0, 0};
    EXPECT_EXIT(
        {
            isoVertCount = maxSortKeys - 511;
            isoTriCount = 0;
            float* sizes = nullptr;
            worldParticles(5.0f, 0, levels, &sizes);
        },
        ::testing::ExitedWithCode(1), "dumbass");
}
