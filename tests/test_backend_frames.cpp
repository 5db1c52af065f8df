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
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

bool readPng(const std::string& path, Picture* picture)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = (int)image.width;
    picture->height = (int)image.height;
    picture->rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
}

struct Difference {
    int largest = 0;
    double shareDiffering = 0, shareAboveTwo = 0;
};

Difference compare(const Picture& a, const Picture& b)
{
    Difference d;
    size_t pixels = a.rgb.size() / 3, differing = 0, aboveTwo = 0;
    for (size_t i = 0; i < pixels; i++) {
        int largest = 0;
        for (int c = 0; c < 3; c++)
            largest = std::max(largest, std::abs(a.rgb[3 * i + c] - b.rgb[3 * i + c]));
        d.largest = std::max(d.largest, largest);
        differing += largest > 0;
        aboveTwo += largest > 2;
    }
    d.shareDiffering = (double)differing / (double)pixels;
    d.shareAboveTwo = (double)aboveTwo / (double)pixels;
    return d;
}

}  // namespace

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
        Difference d = compare(a, b);
        std::printf("t = %-8s largest %3d levels, %.3f %% of pixels differ, %.4f %% by more than 2\n", t, d.largest,
                    100.0 * d.shareDiffering, 100.0 * d.shareAboveTwo);
        EXPECT_LE(d.shareAboveTwo, 0.0001) << "at " << t;
        EXPECT_LE(d.shareDiffering, 0.02) << "at " << t;
    }
    // The shader capture really draws on OpenGL ES 3: offered only ES 2, it
    // cannot start.
    std::string esTwo = std::string("MESA_GLES_VERSION_OVERRIDE=2.0 '") + VORN_CAPTURE
                        + "' --quiet --size 640x360 --at 1 --backend shader --out '" + work + "/es2.png' 2>/dev/null";
    EXPECT_EQ(std::system(esTwo.c_str()), 1 << 8);
}
