// Where a texture's texels are not zero: for each mipmap level, a grid of
// cells over the texture that says which cells a sample may find a non-zero
// colour or alpha in. Drawing uses it to leave out the parts of a quad
// whose every fragment would sample zero and so leave the framebuffer as it
// was.
#pragma once
#include <cstdint>
#include <vector>

// What a cell holds, as bits.
constexpr uint8_t COVER_COLOUR = 1;  // a texel with red, green or blue above 0
constexpr uint8_t COVER_ALPHA = 2;   // a texel with alpha above 0

// Cells are coverageCellTexels x coverageCellTexels texels of level 0.
constexpr int coverageCellTexels = 8;

// The record of a width x height texture (powers of two) with `levels`
// mipmap levels.
struct TexelCoverage {
    int width = 0, height = 0;
    int levels = 0;
    int columns = 0, rows = 0;   // cells across and up
    std::vector<uint8_t> cells;  // levels x rows x columns, COVER_* bits
};

// An empty record for a width x height texture of the given number of
// levels.
void coverageStart(TexelCoverage* coverage, int width, int height, int levels);

// Records level `level` (width >> level x height >> level, at least 1,
// RGBA bytes). A texel marks every cell within one texel of its own level
// around it (wrapping at the edges, as a repeated texture samples): a
// bilinear sample takes its four texels from that neighbourhood, with half
// a texel to spare for the rounding of texture coordinates.
void coverageMarkLevel(TexelCoverage* coverage, int level, const uint8_t* rgba);

// True when cell (column, row), taken modulo the grid, holds one of the
// bits of `what` in some level of [firstLevel, lastLevel].
bool coverageAny(const TexelCoverage& coverage, int firstLevel, int lastLevel, int column, int row, uint8_t what);

// The mipmap levels a texture may be sampled from where a pixel spans
// texelsPerPixel texels of level 0 along its longer axis: with mipmaps
// chosen nearest (trilinear false) the levels within half a level of
// log2(texelsPerPixel), with trilinear filtering the two around it, each
// range widened by a quarter level for drivers that round the level
// differently; level 0 alone when well magnified. Clamped to the levels
// the texture has.
void sampledLevels(float texelsPerPixel, bool trilinear, int levels, int* firstLevel, int* lastLevel);
