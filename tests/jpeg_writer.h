// Test helper: small JPEG files written with libjpeg's compressor.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <unistd.h>

// A path for a scratch file of this test run.
inline std::string scratchPath(const std::string& name)
{
    return ::testing::TempDir() + "vorn_" + std::to_string(::getpid()) + "_" + name;
}

// Writes components-byte pixels (1 = grey, 3 = RGB, 4 = CMYK) as a JPEG;
// quality 100 without chroma subsampling keeps flat colours exact.
inline void writeTestJpeg(const std::string& path, int width, int height, int components,
                          const std::vector<uint8_t>& pixels, int quality = 100)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    for (int c = 0; c < info.num_components; c++)
        info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    for (JSAMPROW row = (JSAMPROW)pixels.data(); info.next_scanline < info.image_height; row += width * components)
        jpeg_write_scanlines(&info, &row, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// An RGB picture of one colour.
inline std::vector<uint8_t> solidRgb(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> pixels((size_t)width * height * 3);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = i % 3 == 0 ? r : i % 3 == 1 ? g : b;
    return pixels;
}
