// PNG files of captured frames, written by libpng.
#pragma once
#include <string>

// Writes an RGBA frame as read back from GL (rows bottom-up, alpha ignored)
// as an 8-bit RGB PNG at path, through a temporary name beside it, so that
// path only ever holds a whole file. Empty on success, else the problem.
std::string writeFramePng(const std::string& path, const unsigned char* rgba, int width, int height);

// Name of frame n in a frame folder: "DIR/000042.png".
std::string frameFileName(const std::string& folder, long n);
