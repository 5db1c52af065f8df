// JPEG decoding with libjpeg into plain RGB buffers.
#pragma once
#include <cstddef>
#include <cstdint>

// Decodes the JPEG memory image bytes (size bytes) into a heap buffer of
// width x height x 3 bytes (R, G, B; first row = top of the picture); the
// caller frees it with free(). Greyscale is expanded to RGB. Refused, with
// null returned and the reason written to error (prefixed with name, which
// only labels the messages): damaged or truncated data, CMYK, sizes outside
// 2..65536, and pictures whose RGBA texels would not fit in the temporary
// pool ("out of tempmalloc"). Warnings that leave the pixels intact (stray
// bytes between markers) only go to standard error.
uint8_t* decodeJpeg(const uint8_t* bytes, size_t size, const char* name, int* width, int* height, char* error,
                    size_t errorSize);

// decodeJpeg of the file name; every refusal is fatal, and so is a missing
// file ("<name> not found").
uint8_t* loadJpeg(const char* name, int* width, int* height);
