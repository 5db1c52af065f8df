// Frames of the real show, drawn by vorn-capture's frame loop at 512 x 288:
// compared with the committed reference pictures in tests/frames/, and
// drawn again after other frames to show that a frame depends on nothing
// but its time, the random state and the band levels.
//
// A reference picture is the frame halved by 2 x 2 means (256 x 144, RGB),
// exactly as `vorn-capture --at T --size 512x288` draws it: each frame
// starts from the random state of a fresh capture. `make references` writes
// them anew (VORN_WRITE_REFERENCES=1).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/setup.h"
#include "app/setup_choices.h"
#include "music/music.h"
#include "tests/support/gl_context.h"
#include "tests/support/pictures.h"
#include "programs/vorn-capture/frame_loop.h"
#include "programs/vorn-capture/frame_readback.h"
#include "programs/vorn-capture/offscreen_context.h"

namespace {

constexpr int W = 512, H = 288, HW = W / 2, HH = H / 2;

// A channel value counts as off when it differs by more than valueSlack;
// a picture passes with at most offShare of its values off and the mean of
// every 32 x 32 tile (64 x 64 pixels of the frame) within tileSlack, channel
// by channel. Mesa's other software rasterizer (GALLIUM_DRIVER=softpipe),
// which rounds its blending and filtering differently, stays within a fifth
// of the share and at most 3.6 off in a tile mean over these frames; a wrong
// constant, step or texture puts several percent of the values off.
constexpr int valueSlack = 6;
constexpr double offShare = 0.005;
constexpr int tileSize = 32;
constexpr double tileSlack = 5.0;

struct Shot {
    const char* name;  // file name in tests/frames, without .png
    double t;          // show time in patterns
    int aspect;        // setup dialog item: 0 is 4:3, 2 is 16:9
};

// What each frame shows; the camera presets pulse on beat envelopes, taken
// here on their ramps.
const Shot shots[] = {
    {"00.25-fade-in", 0.25, 2},          {"00.50-fade-in-target-ramp", 0.5, 2},
    {"01.50-first-text-pair", 1.5, 2},   {"02.31-row-148", 2.3125, 2},
    {"02.33-hit-row-149", 2.328125, 2},  {"02.34-row-150-telephoto", 2.34375, 2},
    {"02.58-telephoto-ramp", 2.5833333, 2}, {"03.32-wide-ramp", 3.3214286, 2},
    {"05.45-fly-in-gate-ramp", 5.453125, 2}, {"06.88-telephoto-both-ramps", 6.8833333, 2},
    {"07.89-wide-third-text-pair", 7.8928571, 2}, {"09.00-fly-in", 9.0, 2},
    {"10.50-telephoto-4x3", 10.5, 0},    {"11.72-wide-shake", 11.720588, 2},
    {"12.50-fly-in-shake", 12.5, 2},     {"13.75-logo", 13.75, 2},
    {"14.50-fade-out", 14.5, 2},         {"15.25-dark", 15.25, 2},
};

// The capture's start-up, once per process; the random state a fresh
// capture draws its first frame with.
uint32_t startSeed;
CaptureShow capture;

void startShow()
{
    static bool started = false;
    if (started)
        return;
    ASSERT_EQ(openCaptureContext(&capture, W, H, 2), "");
    pinGlDriver();
    loadMusic(&capture.music, "data/tune.mp3", 0);
    startCaptureShow(&capture);
    startSeed = capture.random.seed;
    started = true;
}

// Draws the frame at t and reads it back (RGBA, rows bottom-up).
std::vector<unsigned char> drawFrame(double t, int aspect = 2)
{
    aspectForItem(aspect, &capture.display.aspectRatio, &capture.display.aspectFactor);
    drawCaptureFrame(&capture, t);
    std::vector<unsigned char> rgba((size_t)W * H * 4);
    readFrame(W, H, rgba.data());
    return rgba;
}

// The frame a fresh `vorn-capture --at t` draws: the particle renderer's
// random table is made again from the start-up's random state.
std::vector<unsigned char> freshFrame(double t, int aspect = 2)
{
    capture.random.seed = startSeed;
    capture.show.world.particles.randomMade = false;
    return drawFrame(t, aspect);
}

// 2 x 2 means, rounded, of the RGB channels: HW x HH, rows bottom-up.
Picture halve(const std::vector<unsigned char>& rgba)
{
    Picture half{HW, HH, std::vector<unsigned char>((size_t)HW * HH * 3)};
    for (size_t i = 0; i < half.rgb.size(); i++) {
        size_t x = i / 3 % HW, y = i / 3 / HW, c = i % 3, at = ((2 * y) * W + 2 * x) * 4 + c;
        half.rgb[i] = (unsigned char)((rgba[at] + rgba[at + 4] + rgba[at + 4 * W] + rgba[at + 4 * W + 4] + 2) / 4);
    }
    return half;
}

std::string pathOf(const Shot& shot)
{
    return std::string("tests/frames/") + shot.name + ".png";
}

// Share of channel values off by more than valueSlack, and the largest
// difference of a tile's mean in one channel.
struct Difference {
    double offShare, worstTile;
};

Difference difference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    long off = 0;
    double worst = 0;
    for (int ty = 0; ty < HH; ty += tileSize)
        for (int tx = 0; tx < HW; tx += tileSize)
            for (int c = 0; c < 3; c++) {
                long sum = 0, count = 0;
                for (int y = ty; y < std::min(HH, ty + tileSize); y++)
                    for (int x = tx; x < tx + tileSize; x++, count++) {
                        size_t i = ((size_t)y * HW + x) * 3 + c;
                        sum += a[i] - b[i];
                        off += std::abs(a[i] - b[i]) > valueSlack;
                    }
                worst = std::max(worst, std::fabs((double)sum / count));
            }
    return {(double)off / (HW * HH * 3), worst};
}

}  // namespace

TEST(ReferenceFrames, TheShowLooksAsCommitted)
{
    startShow();
    const bool write = std::getenv("VORN_WRITE_REFERENCES") != nullptr;
    for (const Shot& shot : shots) {
        Picture frame = halve(freshFrame(shot.t, shot.aspect));
        if (write) {
            EXPECT_TRUE(writePng(pathOf(shot), frame)) << pathOf(shot);
            continue;
        }
        Picture reference;
        ASSERT_TRUE(readPng(pathOf(shot), &reference) && reference.width == HW && reference.height == HH)
            << "no 256 x 144 picture " << pathOf(shot);
        Difference d = difference(frame.rgb, reference.rgb);
        std::printf("%-32s %.4f%% off, worst tile %.2f\n", shot.name, 100 * d.offShare, d.worstTile);
        if (d.offShare > offShare || d.worstTile > tileSlack) {
            std::string drawn = ::testing::TempDir() + shot.name + ".png";
            writePng(drawn, frame);
            ADD_FAILURE() << shot.name << ": " << 100 * d.offShare << " % of the values off by more than "
                          << valueSlack << ", a tile's mean off by " << d.worstTile << "; drawn: " << drawn;
        }
    }
}

// The first frame of a process is drawn straight after the start-up; it
// must come out the same after other frames (the hits, every camera preset,
// the frames just before), once the random state is the same again. The
// band levels come from the music at t on every draw.
class FramePurity : public ::testing::TestWithParam<double> {};

TEST_P(FramePurity, AFrameIsTheSameAfterOtherFrames)
{
    const double t = GetParam();
    startShow();
    RandomState afterTable{startSeed};
    for (int i = 0; i < 1024; i++)
        randNext(afterTable);
    capture.random = capture.show.world.particles.randomMade ? afterTable : RandomState{startSeed};
    std::vector<unsigned char> direct = drawFrame(t);

    for (int i = 0; i < 24; i++)
        drawFrame(15.5 * i / 24);
    for (int i = 3; i > 0; i--)
        drawFrame(t - i / (30 * 7.5));
    capture.random = afterTable;
    EXPECT_TRUE(drawFrame(t) == direct) << "t = " << t;
}

INSTANTIATE_TEST_SUITE_P(Times, FramePurity, ::testing::Values(0.5, 2.328125, 6.8833333, 11.720588, 14.5));
