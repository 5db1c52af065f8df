// Fuzz target of the blur atlas pair rule: two pictures of any sizes the
// JPEG loader lets through (here 2 to 65 texels each way, to keep runs
// short), with alpha from a picture, from the colour or none. Either the
// atlas refuses them or it is built. Input: four size bytes (w0, h0, w1,
// h1), an alpha choice byte, then texel bytes (repeated when short).
#include <cstdlib>
#include <vector>

#include "textures/blur_atlas.h"

// w x h RGB bytes taken from the input from offset on, wrapping around.
static std::vector<uint8_t> pictureBytes(const uint8_t* data, size_t size, size_t offset, int w, int h)
{
    std::vector<uint8_t> rgb((size_t)w * h * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        rgb[i] = size ? data[(offset + i) % size] : 0;
    return rgb;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    int sizes[4];
    for (int i = 0; i < 4; i++)
        sizes[i] = 2 + data[i] % 64;
    uint8_t choice = data[4];
    const uint8_t* texels = data + 5;
    size_t count = size - 5;
    std::vector<uint8_t> rgb[2], alpha[2];
    AtlasPicture pictures[2];
    for (int i = 0; i < 2; i++) {
        int w = sizes[2 * i], h = sizes[2 * i + 1];
        rgb[i] = pictureBytes(texels, count, (size_t)i * 7919, w, h);
        alpha[i] = pictureBytes(texels, count, (size_t)i * 7919 + 3, w, h);
        uint8_t bits = choice >> (2 * i);
        pictures[i] = AtlasPicture{rgb[i].data(), (bits & 1) ? alpha[i].data() : nullptr,
                                   (bits & 2) ? alphaFromGreyDistance : nullptr, w, h};
    }
    uint8_t* atlas = blurAtlasTexels(pictures[0], pictures[1], ProgressReport());
    bool sameSize = sizes[0] == sizes[2] && sizes[1] == sizes[3];
    if ((atlas != nullptr) != sameSize)
        std::abort();
    std::free(atlas);
    return 0;
}
