// The built-in 4 x 8 pixel font: one packed word per character code, and
// its expansion into a 128 x 128 byte image of 16 x 16 cells.
#pragma once
#include <cstdint>

// Bits 31..28 are the top row, bits 3..0 row 7; the most significant bit of
// a row is its leftmost pixel. Codes without a glyph hold 0.
extern const uint32_t packedFontTable[256];

// Writes the table into image, 128 x 128 bytes in rows of 128: code c sits
// in the 8 x 8 cell at column c mod 16, row c div 16, 0xFF for each set bit
// and 0x00 for each clear one; only the left 4 columns of a cell are
// written.
void expandBitmapFont(const uint32_t* table, uint8_t* image);
