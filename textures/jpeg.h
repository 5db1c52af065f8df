// JPEG decoding with libjpeg into plain RGB buffers.
#pragma once
#include <cstdint>

// Decodes the JPEG file name into a heap buffer of width x height x 3 bytes
// (R, G, B; first row = top of the picture); the caller frees it with free().
// Greyscale files are expanded to RGB. Every failure is fatal: a missing
// file ("<name> not found"), damaged or truncated data, CMYK files, sizes
// outside 2..65536 and images too large for the temporary pool. Warnings
// that leave the pixels intact (stray bytes between markers) only go to
// standard error.
uint8_t* loadJpeg(const char* name, int* width, int* height);
