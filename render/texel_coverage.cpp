// The grids of non-zero texels per mipmap level and the questions drawing
// asks of them.
#include "render/texel_coverage.h"

#include <cmath>

void coverageStart(TexelCoverage* coverage, int width, int height, int levels)
{
    coverage->width = width;
    coverage->height = height;
    coverage->levels = levels;
    coverage->columns = (width + coverageCellTexels - 1) / coverageCellTexels;
    coverage->rows = (height + coverageCellTexels - 1) / coverageCellTexels;
    coverage->cells.assign((size_t)levels * coverage->rows * coverage->columns, 0);
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

// Marks `bits` in the cells of `grid` (one level) that hold level-0 texels
// [x0, x1) x [y0, y1), wrapped.
static void markSpan(const TexelCoverage& coverage, uint8_t* grid, int x0, int x1, int y0, int y1, uint8_t bits)
{
    int c0 = floorDivide(x0, coverageCellTexels), c1 = floorDivide(x1 - 1, coverageCellTexels);
    int r0 = floorDivide(y0, coverageCellTexels), r1 = floorDivide(y1 - 1, coverageCellTexels);
    if (c1 - c0 >= coverage.columns)
        c0 = 0, c1 = coverage.columns - 1;
    if (r1 - r0 >= coverage.rows)
        r0 = 0, r1 = coverage.rows - 1;
    for (int r = r0; r <= r1; r++) {
        uint8_t* row = grid + (size_t)wrap(r, coverage.rows) * coverage.columns;
        for (int c = c0; c <= c1; c++)
            row[wrap(c, coverage.columns)] |= bits;
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
    uint8_t* grid = coverage->cells.data() + (size_t)level * coverage->rows * coverage->columns;
    for (int y = 0; y < h; y++) {
        const uint8_t* texel = rgba + (size_t)y * w * 4;
        for (int x = 0; x < w; x++, texel += 4) {
            uint8_t bits = (texel[0] | texel[1] | texel[2] ? COVER_COLOUR : 0) | (texel[3] ? COVER_ALPHA : 0);
            if (bits)
                markSpan(*coverage, grid, (x - 1) * sx, (x + 2) * sx, (y - 1) * sy, (y + 2) * sy, bits);
        }
    }
}

bool coverageAny(const TexelCoverage& coverage, int firstLevel, int lastLevel, int column, int row, uint8_t what)
{
    size_t cell = (size_t)wrap(row, coverage.rows) * coverage.columns + wrap(column, coverage.columns);
    size_t levelSize = (size_t)coverage.rows * coverage.columns;
    for (int level = firstLevel < 0 ? 0 : firstLevel; level <= lastLevel && level < coverage.levels; level++)
        if (coverage.cells[level * levelSize + cell] & what)
            return true;
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
