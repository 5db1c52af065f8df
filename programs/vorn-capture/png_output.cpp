// PNG writing with libpng: the same pixels always give the same bytes (no
// time or text chunks, fixed compression settings).
#include "programs/vorn-capture/png_output.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "programs/vorn-capture/output_files.h"

// Fast settings: the frames are big, many and grainy, so stronger settings
// cost several times the time for a few percent of size (at 1280 x 720:
// level 1 with the Sub filter about 60 ms a frame, level 6 with adaptive
// filters about 560 ms, 18 % smaller).
static const int compressionLevel = 1;

std::string frameFileName(const std::string& folder, long n)
{
    char name[32];
    std::snprintf(name, sizeof name, "%06ld.png", n);
    return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + name;
}

// Writes the whole image to an open file; false on a libpng error.
static bool encodePng(FILE* file, const unsigned char* rgba, int width, int height)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    // GL rows run bottom-up, PNG rows top-down.
    std::vector<png_bytep> rows((size_t)height);
    for (int y = 0; y < height; y++)
        rows[(size_t)y] = (png_bytep)rgba + (size_t)(height - 1 - y) * (size_t)width * 4;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, compressionLevel);
    png_set_filter(png, 0, PNG_FILTER_SUB);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops the fourth byte of each pixel
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string writeFramePng(const std::string& path, const unsigned char* rgba, int width, int height)
{
    std::string temporary = temporaryNameFor(path);
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return "cannot write " + path + ": " + std::strerror(errno);
    bool encoded = encodePng(file, rgba, width, height);
    int writeError = std::ferror(file) ? errno : 0;
    bool closed = std::fclose(file) == 0;
    if (!closed && !writeError)
        writeError = errno;
    if (!encoded || writeError || !closed) {
        std::remove(temporary.c_str());
        return "cannot write " + path + ": " + (writeError ? std::strerror(writeError) : "PNG encoding failed");
    }
    if (!publishFile(temporary, path)) {
        std::string problem = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return problem;
    }
    return "";
}
