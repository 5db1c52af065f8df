// Test support: pictures read from and written to PNG files, and the
// comparison of two pictures pixel by pixel.
#pragma once
#include <string>
#include <vector>

// An RGB picture, rows bottom-up as OpenGL reads them back.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// False when the file is missing or not a PNG; any PNG is converted to RGB.
bool readPng(const std::string& path, Picture* picture);
bool writePng(const std::string& path, const Picture& picture);

struct PictureDifference {
    int largest;            // largest difference of one channel, in levels
    double shareDiffering;  // share of pixels with any channel off
    double shareAbove;      // share of pixels with a channel off by more than the limit
};

// Compares the first channels of each stride-byte pixel (RGBA pixels when
// stride is 4); pictures of different sizes differ everywhere.
PictureDifference comparePictures(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                                  int channels, int limit, int stride = 4);
