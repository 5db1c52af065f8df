// Defocus blur with a pentagon-shaped aperture, computed in linear light
// with boosted highlights.
#pragma once
#include <cstdint>

// Kernel radius for a radius fraction f of a w texels wide image:
// r = w x f, R = trunc(r), side N = 2R + 4.
struct BokehKernel {
    float r;
    int R;
    int side;
    float* weights;  // side x side, row j = vertical offset j - R - 2
};

// Builds the normalised pentagon kernel (weights sum to 1, or are all 0
// when the aperture is too small to cover a tap, r below about 0.3); free
// the weights with free().
BokehKernel makeBokehKernel(float f, int w);

// Blurs the w x h RGBA image src into dst with the pentagon aperture of
// radius w x f texels. Colour channels are blurred as squared, highlight
// boosted values and written back through a square root; alpha linearly.
// Samples outside the image count as zero. A kernel of zero weights leaves
// the image as it is.
void bokehBlur(const uint8_t* src, uint8_t* dst, float f, int w, int h);
