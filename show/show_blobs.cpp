// The world scene's metaball set as a function of the show time.
#include "show/show_blobs.h"

#include <algorithm>
#include <cmath>

void showBlobs(float t, Blob out[SHOW_BLOB_COUNT])
{
    float v = t < 10.0f ? 0.0f : t - 10.0f;
    out[0] = Blob{0.0f, 0.0f, 0.0f, std::max(5.0f - v, 0.0f), 1, 0};
    // The base reaches 0 at t = 16; past that it is held at 0.
    float p = std::pow(std::max(1.0f - t / 16.0f, 0.0f), 0.25f);
    for (int i = 1; i < SHOW_BLOB_COUNT; i++) {
        float fi = (float)i;
        float size = std::clamp(0.1f * fi + t / 8.0f, 0.0f, 1.0f);
        out[i].x = 5.0f * p * std::sin(4.727f * t + 2.9f * fi);
        out[i].y = 5.0f * p * std::sin(2.871f * t + 1.7f * fi);
        out[i].z = 0.0f;
        out[i].radius = 5.0f * std::pow(size, 8.0f);
        out[i].negative = 0;
        out[i].shape = 0;
    }
}
