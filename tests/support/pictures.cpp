// PNG reading and writing (libpng's simplified API) and the pixel-by-pixel
// comparison of two pictures.
#include "tests/support/pictures.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>

bool readPng(const std::string& path, Picture* picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = (int)image.width;
    picture->height = (int)image.height;
    picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
    // PNG rows run top-down; a negative stride keeps GL's bottom-up order.
    bool read = png_image_finish_read(&image, nullptr, picture->rgb.data(), -picture->width * 3, nullptr) != 0;
    png_image_free(&image);
    return read;
}

bool writePng(const std::string& path, const Picture& picture)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32)picture.width;
    image.height = (png_uint_32)picture.height;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), -picture.width * 3, nullptr) != 0;
}

PictureDifference comparePictures(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b,
                                  int channels, int limit, int stride)
{
    if (a.size() != b.size())
        return {255, 1.0, 1.0};
    size_t pixels = a.size() / stride, differing = 0, above = 0;
    PictureDifference d = {0, 0.0, 0.0};
    for (size_t i = 0; i < pixels; i++) {
        int largest = 0;
        for (int c = 0; c < channels; c++)
            largest = std::max(largest, std::abs(a[stride * i + c] - b[stride * i + c]));
        d.largest = std::max(d.largest, largest);
        differing += largest > 0;
        above += largest > limit;
    }
    d.shareDiffering = pixels ? (double)differing / (double)pixels : 0.0;
    d.shareAbove = pixels ? (double)above / (double)pixels : 0.0;
    return d;
}
