// The grids of non-zero texels per mipmap level and the questions drawing
// asks of them.
#include "render/texel_coverage.h"

#include <cmath>

static void startGrid(CoverageGrid* grid, int cellTexels, int width, int height, int levels)
{
    grid->cellTexels = cellTexels;
    grid->columns = (width + cellTexels - 1) / cellTexels;
    grid->rows = (height + cellTexels - 1) / cellTexels;
    grid->cells.assign((size_t)levels * grid->rows * grid->columns, 0);
}

void coverageStart(TexelCoverage* coverage, int width, int height, int levels)
{
    coverage->width = width;
    coverage->height = height;
    coverage->levels = levels;
    startGrid(&coverage->fine, coverageFineTexels, width, height, levels);
    startGrid(&coverage->blocks, coverageBlockTexels, width, height, levels);
}

static int wrap(int value, int count)
{
    int m = value % count;
    return m < 0 ? m + count : m;
}

static int floorDivide(int value, int divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// Marks `bits` in the cells of level `level` that hold level-0 texels
// [x0, x1) x [y0, y1), wrapped.
static void markSpan(CoverageGrid* grid, int level, int x0, int x1, int y0, int y1, uint8_t bits)
{
    int c0 = floorDivide(x0, grid->cellTexels), c1 = floorDivide(x1 - 1, grid->cellTexels);
    int r0 = floorDivide(y0, grid->cellTexels), r1 = floorDivide(y1 - 1, grid->cellTexels);
    if (c1 - c0 >= grid->columns)
        c0 = 0, c1 = grid->columns - 1;
    if (r1 - r0 >= grid->rows)
        r0 = 0, r1 = grid->rows - 1;
    uint8_t* cells = grid->cells.data() + (size_t)level * grid->rows * grid->columns;
    for (int r = r0; r <= r1; r++) {
        uint8_t* row = cells + (size_t)wrap(r, grid->rows) * grid->columns;
        for (int c = c0; c <= c1; c++)
            row[wrap(c, grid->columns)] |= bits;
    }
}

void coverageMarkLevel(TexelCoverage* coverage, int level, const uint8_t* rgba)
{
    if (level < 0 || level >= coverage->levels)
        return;
    int w = coverage->width >> level, h = coverage->height >> level;
    w = w > 0 ? w : 1;
    h = h > 0 ? h : 1;
    // Level-0 texels per texel of this level, across and up.
    int sx = coverage->width / w, sy = coverage->height / h;
    for (int y = 0; y < h; y++) {
        const uint8_t* texel = rgba + (size_t)y * w * 4;
        for (int x = 0; x < w; x++, texel += 4) {
            uint8_t bits = (texel[0] | texel[1] | texel[2] ? COVER_COLOUR : 0) | (texel[3] ? COVER_ALPHA : 0);
            if (!bits)
                continue;
            int x0 = (x - 1) * sx, x1 = (x + 2) * sx, y0 = (y - 1) * sy, y1 = (y + 2) * sy;
            markSpan(&coverage->fine, level, x0, x1, y0, y1, bits);
            markSpan(&coverage->blocks, level, x0, x1, y0, y1, bits);
        }
    }
}

bool coverageAny(const CoverageGrid& grid, int firstLevel, int lastLevel, int column0, int row0, int column1,
                 int row1, uint8_t what)
{
    if (column1 - column0 > grid.columns)
        column0 = 0, column1 = grid.columns;
    if (row1 - row0 > grid.rows)
        row0 = 0, row1 = grid.rows;
    int levels = grid.columns * grid.rows > 0 ? (int)(grid.cells.size() / ((size_t)grid.columns * grid.rows)) : 0;
    for (int level = firstLevel < 0 ? 0 : firstLevel; level <= lastLevel && level < levels; level++) {
        const uint8_t* cells = grid.cells.data() + (size_t)level * grid.rows * grid.columns;
        for (int r = row0; r < row1; r++) {
            const uint8_t* row = cells + (size_t)wrap(r, grid.rows) * grid.columns;
            for (int c = column0; c < column1; c++)
                if (row[wrap(c, grid.columns)] & what)
                    return true;
        }
    }
    return false;
}

void sampledLevels(float texelsPerPixel, bool trilinear, int levels, int* firstLevel, int* lastLevel)
{
    const double margin = 0.25;
    double lambda = texelsPerPixel > 0.0f ? std::log2((double)texelsPerPixel) : -1.0;
    int first, last;
    if (trilinear) {
        first = (int)std::floor(lambda - margin);
        last = (int)std::floor(lambda + margin) + 1;
    } else {
        first = (int)std::ceil(lambda - 0.5 - margin);
        last = (int)std::floor(lambda + 0.5 + margin);
    }
    first = first < 0 ? 0 : first;
    last = last < 0 ? 0 : last;
    *firstLevel = first < levels ? first : levels - 1;
    *lastLevel = last < levels ? last : levels - 1;
}
