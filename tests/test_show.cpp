// The show's pieces read back from a real GL, where the reference frames
// cannot see them well enough: the flash pulse on the hit rows, the grain
// and its random steps, the faint text layers and the logo on structured
// stand-ins, the relief and glow passes on known pictures, the plasma's
// exact images, the camera switches and the spectrum shake.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/setup.h"
#include "base/random.h"
#include "geometry/isosurface.h"
#include "geometry/radix_sort.h"
#include "platform/window.h"
#include "render/fullscreen_quad.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "show/assets.h"
#include "show/camera.h"
#include "show/grain.h"
#include "show/hits.h"
#include "show/overlay.h"
#include "show/plasma.h"
#include "show/scene_layers.h"
#include "show/scene_world.h"
#include "show/show_blobs.h"
#include "show/timeline.h"
#include "tests/support/gl_context.h"
#include "textures/texture.h"

namespace {

constexpr int W = 640, H = 360;

// A 640 x 360 window with every asset of the show, at the 16:9 aspect.
Show& showContext()
{
    openTestContext(W, H);
    precalcTestShow();
    return testShow();
}

// The RGB channels of the whole window, rows bottom-up.
std::vector<unsigned char> readWindow()
{
    std::vector<unsigned char> rgb((size_t)W * H * 3);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
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
    resetRenderState(testShow().view);
    glClearColor(grey, grey, grey, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

}  // namespace

TEST(ShowFrame, FlashAddsATrianglePulseOnEveryHitRow)
{
    Show& show = showContext();
    for (int row : {htab[0], htab[8]})
        for (auto [offset, added] : {std::pair{0, 1.0f}, {-1, 0.5f}, {1, 0.5f}, {-2, 0.0f}, {2, 0.0f}, {-5, 0.0f}}) {
            clearTo(0.2f);
            hit_flash(show.view, (float)(row + offset) / 64.0f, 1.0f);
            EXPECT_NEAR(channel(W / 2, H / 2), std::min(0.2f + added, 1.0f) * 255.0f, 1.0f)
                << "row " << row << " " << offset;
        }
}

TEST(ShowFrame, GrainDarkensWhiteByAtMostATenthAndMovesEveryFrame)
{
    Show& show = showContext();
    std::vector<unsigned char> frames[2];
    for (auto& frame : frames) {
        clearTo(1.0f);
        RandomState& random = testRandom();
        RandomState twoSteps = random;
        randNext(twoSteps);
        randNext(twoSteps);
        grain_overlay(show, random);
        EXPECT_EQ(random.seed, twoSteps.seed);  // two random steps a frame
        frame = readWindow();
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

TEST(ShowFrame, TextLayersAndLogoScrollScaleAndFadeAsTheirRecordsSay)
{
    // Stand-ins of 2 x 2 texels, one white, in another corner for each text
    // image and the logo: over white, every layer of the table darkens by
    // its fade times the bilinear weight of its white texel, a bump
    // repeating across the view, moved and scaled as its record says.
    Show& show = showContext();
    ShowAssets& a = show.assets;
    Texture* saved[4] = {a.textTextures[0], a.textTextures[1], a.textTextures[2], a.logoTexture};
    Texture* marks[4];
    for (int i = 0; i < 4; i++) {
        uint8_t* texels = (uint8_t*)std::calloc(16, 1);
        std::fill(texels + 4 * i, texels + 4 * i + 4, 255);
        marks[i] = finishTexture(2, 2, texels, 1.0f, -1.0f, 1.0f, RF_NOMIPMAP, 0);
    }
    a.textTextures[0] = marks[0], a.textTextures[1] = marks[1], a.textTextures[2] = marks[2], a.logoTexture = marks[3];
    auto weight = [](double s, double t, int texel) {
        auto along = [](double x, int column) {
            double d = x - 0.25 - 0.5 * column;
            return std::max(0.0, 1.0 - 2.0 * std::fabs(d - std::floor(d + 0.5)));
        };
        return along(s, texel % 2) * along(t, texel / 2);
    };
    for (double t : {1.0, 1.5, 3.0, 9.0, 13.75}) {
        clearTo(1.0f);
        text_layers(show, (float)t);
        std::vector<unsigned char> rgb = readWindow();
        int off = 0, samples = 0;
        for (int y = 4; y < H; y += 16)
            for (int x = 4; x < W; x += 16, samples++) {
                // The layers' quad has t flipped, the logo's record scale flips it.
                double u = (x + 0.5) / W, v = (y + 0.5) / H, left = 1.0;
                for (const TextLayer& l : textLayers)
                    if (t > l.start)
                        left *= 1.0 - std::clamp(t - l.start, 0.0, 1.0) * l.peak
                                          * weight(l.sx0 + l.sxt * t + 0.5 + l.kx * (u - 0.5),
                                                   l.sy0 + l.syt * t + 0.5 + l.ky * (0.5 - v), l.texture);
                left *= 1.0 - std::clamp(2.0 * (t - 13.5), 0.0, 1.0) * weight(u, -v, 3);
                off += std::fabs(rgb[((size_t)y * W + x) * 3] - 255.0 * left) > 2.5;
            }
        EXPECT_LE(off, samples / 100) << "t = " << t;
    }
    a.textTextures[0] = saved[0], a.textTextures[1] = saved[1], a.textTextures[2] = saved[2], a.logoTexture = saved[3];
    for (Texture* mark : marks) {
        glDeleteTextures(1, &mark->name);
        delete mark;
    }
}

// The real text images and logo, drawn only over their non-zero parts,
// leave the picture as whole quads over the view would (to a level: the
// parts' texture coordinates are interpolated from their own corners).
TEST(ShowFrame, TextLayersAndLogoDrawnInPartsDarkenAsWholeQuads)
{
    Show& show = showContext();
    View& view = show.view;
    const ShowAssets& a = show.assets;
    for (float t : {1.5f, 3.0f, 9.0f, 13.75f, 14.2f}) {
        clearTo(1.0f);
        text_layers(show, t);
        std::vector<unsigned char> parts = readWindow();

        clearTo(1.0f);
        for (const TextLayer& l : textLayers) {
            if (!(t > l.start))
                continue;
            pushRenderState();
            applyRenderFlags(RF_INVMUL);
            bindTexture(view.display->gl, a.textTextures[l.texture], RF_INVMUL);
            overlay_begin(view, RF_INVMUL);
            scrollTextureMatrix(l.sx0 + l.sxt * t, l.sy0 + l.syt * t, l.kx, l.ky, 0.0f);
            float k = std::clamp(t - l.start, 0.0f, 1.0f) * l.peak;
            glColor4f(k, k, k, k);
            fullscreenQuadFlipped(view);
            popRenderState();
        }
        if (t > 13.5f) {
            pushRenderState();
            glEnable(GL_BLEND);
            glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
            setOrtho(view, 0);
            bindTexture(view.display->gl, a.logoTexture, RF_INVMUL);
            flatQuadState();
            float alpha = std::clamp(2.0f * (t - 13.5f), 0.0f, 1.0f);
            glColor4f(alpha, alpha, alpha, alpha);
            fullscreenQuad(view);
            popRenderState();
        }
        std::vector<unsigned char> whole = readWindow();

        int largest = 0, darkened = 0;
        for (size_t i = 0; i < whole.size(); i++) {
            largest = std::max(largest, std::abs(whole[i] - parts[i]));
            darkened += whole[i] < 250;
        }
        EXPECT_LE(largest, 1) << "t = " << t;
        EXPECT_GT(darkened, (int)whole.size() / 100) << "t = " << t;
    }
}

TEST(PostPasses, ReliefEmbossesByACopyMovedFourPixelsRightAndUp)
{
    Show& show = showContext();
    for (float p : {0.2f, 0.5f, 0.8f}) {
        clearTo(p);
        post_relief(show.view, show.assets.screenTexture, 8.0f, RF_OFFSCREEN);
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
    post_relief(show.view, show.assets.screenTexture, 8.0f, RF_OFFSCREEN);
    struct Probe {
        int x, y, value;
    } probes[] = {{300, 200, 128}, {257, 200, 255}, {300, 129, 255}, {254, 200, 0}, {300, 126, 0}};
    for (const Probe& probe : probes)
        EXPECT_NEAR(channel(probe.x, probe.y), probe.value, 2) << probe.x << "," << probe.y;

    // Onto the picture area instead, the copy is stretched over the window
    // (5 pixels for 4): the quadrant lands in the window's upper right, its
    // left edge undarkened above the work area too.
    clearTo(0.0f);
    glEnable(GL_SCISSOR_TEST);
    glScissor(256, 128, 256, 128);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    post_relief(show.view, show.assets.screenTexture, 8.0f, 0);
    const Probe stretched[] = {{322, 300, 255}, {600, 300, 128}, {300, 300, 0}, {600, 170, 0}};
    for (const Probe& probe : stretched)
        EXPECT_NEAR(channel(probe.x, probe.y), probe.value, 2) << probe.x << "," << probe.y;
}

TEST(PostPasses, GlowAddsEachBlurredLevelAtItsWeight)
{
    Show& show = showContext();
    const float white[4] = {1, 1, 1, 1};
    const float c = 104.0f / 255.0f;
    BlurChain* blurChain = show.assets.blurChain;
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
        blur_chain_build(show.view, k.chain, k.square, 1.0f, white);
        blur_chain_compose(show.view, k.chain, 0.15f, 0);
        EXPECT_NEAR(channel(W / 2, H / 2), std::min(k.expected, 1.0f) * 255.0f, k.tolerance)
            << k.chain->count << " levels, square " << k.square;
    }
}

TEST(PostPasses, BlurTapsLieOnACircleOfOneNewPixel)
{
    // A one-texel white line in the work area: a texel of level 1 is the
    // mean of eight bilinear samples 2 sin(a) texels across (for a column)
    // or 2 cos(a) texels up (for a row) from its centre, a = k x 45 degrees.
    Show& show = showContext();
    const float white[4] = {1, 1, 1, 1};
    for (int line : {200, 100}) {
        const bool column = line == 200;
        clearTo(0.0f);
        glEnable(GL_SCISSOR_TEST);
        column ? glScissor(line, 0, 1, 256) : glScissor(0, line, 512, 1);
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        blur_chain_build(show.view, show.assets.blurChain, 0, 1.0f, white);
        std::vector<unsigned char> level(256 * 128 * 4);
        glBindTexture(GL_TEXTURE_2D, show.assets.blurChain->levels[1].name);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
        for (int d = line / 2 - 3; d <= line / 2 + 3; d++) {
            double sum = 0.0;
            for (int k = 0; k < 8; k++) {
                double offset = 2.0 * (column ? std::sin(k * M_PI / 4) : std::cos(k * M_PI / 4));
                sum += std::max(0.0, 1.0 - std::fabs(2 * d + 0.5 + offset - line));
            }
            int at = column ? 64 * 256 + d : d * 256 + 128;
            EXPECT_NEAR(level[4 * at], 255.0 * sum / 8, 3.0) << (column ? "column " : "row ") << d;
        }
    }
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

TEST(WorldScene, CameraPresetChangesExactlyOnTheHitRows)
{
    for (int i = 0; i < hitCountMax - 1; i++) {
        float t = (float)htab[i] / 64.0f;
        EXPECT_EQ(hitsReached(t), i + 1) << htab[i];
        EXPECT_EQ(hitsReached(std::nextafter(t, 0.0f)), i) << htab[i];
    }
    EXPECT_EQ(hitsReached(1000.0f), hitCountMax - 1);
}

TEST(WorldScene, LoudMusicShakesTheChosenPointsQuietMusicNone)
{
    const float quiet[4] = {0.6f, 0.3f, 0, 0}, loud[4] = {3.0f, 3.0f, 0, 0};
    enum { surfaceOnly, sphereOnly, all };
    struct Case {
        float t;
        int moved;
    } cases[] = {{2.0f, sphereOnly}, {3.0f, surfaceOnly}, {3.5f, sphereOnly}, {12.0f, all}};
    static WorldStorage world;
    for (const Case& c : cases) {
        Blob blobs[SHOW_BLOB_COUNT];
        showBlobs(c.t, blobs);
        std::vector<float> runs[2];
        int surface = 0, count = 0;
        for (int run = 0; run < 2; run++) {
            isoBuild(world.surface, blobs, SHOW_BLOB_COUNT);
            surface = world.surface.vertCount;
            const float* points = world.surface.verts.data();
            std::vector<float> built(points, points + 3 * surface);
            float* sizes = nullptr;
            count = worldParticles(world, c.t, hitsReached(c.t), run ? loud : quiet, &sizes);
            free(sizes);
            runs[run].assign(points, points + 3 * count);
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
            static WorldStorage world;
            world.surface.vertCount = maxSortKeys - 511;
            float* sizes = nullptr;
            worldParticles(world, 5.0f, 0, levels, &sizes);
        },
        ::testing::ExitedWithCode(1), "dumbass");
}
