// The whole show through both GL backends: vorn-capture --backend fixed and
// --backend shader at moments that cover the show (fade-in, every camera
// preset, a hit and the frames around it, the shaking, the logo, the
// fade-out) must give the same picture within the tolerance below.
//
// Tolerance: both backends run on Mesa's llvmpipe, which rasterises and
// samples the same way for both, so what differs is rounding of the last
// bit in vertex arithmetic (fused or separate multiply-adds): a sprite or
// grid edge that falls on another pixel, a texel weight one step off. At
// most 0.01 % of the pixels may have a channel off by more than 2 levels (of
// 255), and at most 2 % may differ at all. A wrong blend, combiner,
// matrix, split of a quad or attribute restore changes far more than that.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/pictures.h"

TEST(BackendFrames, ShaderBackendDrawsTheShowAsTheFixedFunctionOne)
{
    // Leaks inside the GL driver, when the capture runs under the sanitizers.
    setenv("LSAN_OPTIONS", "suppressions=" VORN_LSAN_SUPPRESSIONS ":print_suppressions=0", 0);
    const std::string work = VORN_BACKEND_FRAMES_WORK;
    ASSERT_EQ(std::system(("rm -rf '" + work + "' && mkdir -p '" + work + "'").c_str()), 0);
    // The show times of the reference frames (tests/frames/): the fade-in,
    // the first hit and the rows beside it, each camera preset on its
    // ramps, the shaking from 11.66, the logo, the fade to black.
    std::vector<const char*> times = {"0.25",      "0.5",       "1.5",      "2.3125", "2.328125", "2.34375",
                                      "2.5833333", "3.3214286", "5.453125", "6.8833333", "7.8928571", "9",
                                      "10.5",      "11.720588", "12.5",     "13.75",  "14.5",     "15.25"};
#if defined(__SANITIZE_ADDRESS__)
    // Under the sanitizers a capture takes seconds: one moment of each kind.
    times = {"0.5", "2.328125", "2.5833333", "9", "11.720588", "14.5"};
#endif
    for (const char* t : times) {
        std::string fixed = work + "/fixed-" + t + ".png", shader = work + "/shader-" + t + ".png";
        std::string capture = std::string("'") + VORN_CAPTURE + "' --quiet --size 640x360 --at " + t;
        std::string both = capture + " --backend fixed --out '" + fixed + "' >/dev/null & " + capture
                           + " --backend shader --out '" + shader + "' >/dev/null; s=$?; wait $! && exit $s";
        ASSERT_EQ(std::system(both.c_str()), 0) << "capture at " << t;
        Picture a, b;
        ASSERT_TRUE(readPng(fixed, &a) && readPng(shader, &b)) << t;
        ASSERT_EQ(a.rgb.size(), b.rgb.size());
        PictureDifference d = comparePictures(a.rgb, b.rgb, 3, 2, 3);
        std::printf("t = %-8s largest %3d levels, %.3f %% of pixels differ, %.4f %% by more than 2\n", t, d.largest,
                    100.0 * d.shareDiffering, 100.0 * d.shareAbove);
        EXPECT_LE(d.shareAbove, 0.0001) << "at " << t;
        EXPECT_LE(d.shareDiffering, 0.02) << "at " << t;
    }
    // The shader capture really draws on OpenGL ES 3: offered only ES 2, it
    // cannot start.
    std::string esTwo = std::string("MESA_GLES_VERSION_OVERRIDE=2.0 '") + VORN_CAPTURE
                        + "' --quiet --size 640x360 --at 1 --backend shader --out '" + work + "/es2.png' 2>/dev/null";
    EXPECT_EQ(std::system(esTwo.c_str()), 1 << 8);
}
