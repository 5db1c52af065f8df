// Fuzz target of the JPEG path: decoding a memory image, the size and pool
// rules, then the padded RGBA texels of a JPEG texture with alpha from a
// second picture (the same one) or from the colour, everything short of GL.
#include <cstdlib>
#include <cstring>

#include "textures/image_texture.h"
#include "textures/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char error[1024];
    int w = 0, h = 0;
    uint8_t* rgb = decodeJpeg(data, size, "fuzz.jpg", &w, &h, error, sizeof error);
    if (!rgb) {
        // Every refusal names the file, or the pool it would not fit in.
        if (std::strncmp(error, "fuzz.jpg: ", 10) != 0 && std::strcmp(error, "out of tempmalloc") != 0)
            std::abort();
        return 0;
    }
    if (w < 2 || h < 2 || w > 65536 || h > 65536)
        std::abort();
    // The last byte picks the alpha source and the inversion, as the
    // textures of the show vary them.
    uint8_t choice = size ? data[size - 1] : 0;
    const uint8_t* alphaRgb = (choice & 1) ? rgb : nullptr;
    AlphaFunction alphaFunction = (choice & 2) ? alphaFromGreyDistance : nullptr;
    RenderFlags flags = (choice & 4) ? RF_INVERT : 0;
    int pw = 0, ph = 0;
    uint8_t* texels = padImageTexels(rgb, alphaRgb, alphaFunction, w, h, flags, &pw, &ph);
    // Padded to the next powers of two, the padding white.
    if (pw < w || ph < h || pw >= 2 * w || ph >= 2 * h || (pw & (pw - 1)) || (ph & (ph - 1)))
        std::abort();
    if (pw > w && std::memcmp(texels + (size_t)w * 4, "\xff\xff\xff\xff", 4) != 0)
        std::abort();
    std::free(texels);
    std::free(rgb);
    return 0;
}
