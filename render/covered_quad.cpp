// Fullscreen quads cut along the cells of a texture's coverage, the empty ones left out.
#include "render/covered_quad.h"

#include <cmath>
#include <vector>

#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/render_state.h"
#include "render/texture_record.h"

int blockStrips(int pixels, double start, double perPixel, int texels, int blockTexels, BlockStrip* strips)
{
    int blocks = texels > blockTexels ? texels / blockTexels : 1;
    double scale = (double)texels / blockTexels;
    int count = 0;
    for (int i = 0; i < pixels; i++) {
        double at = std::floor((start + perPixel * (i + 0.5)) * scale);
        int block = (int)(at - std::floor(at / blocks) * blocks);
        if (count > 0 && strips[count - 1].block == block) {
            strips[count - 1].end = i + 1;
        } else {
            strips[count] = {i, i + 1, block};
            count++;
        }
    }
    return count;
}

void fullscreenQuadOverCoverage(const View& view, RenderFlags areaFlags, const Texture* texture,
                                RenderFlags textureFlags, float s0, float t0, float s1, float t1,
                                const TextureSpan& span, uint8_t what)
{
    // Clamped or generated coordinates do not follow the span's wrapping.
    const RenderFlags generated = RF_SPHEREMAP | RF_EYELINEAR | RF_PLANAR_YZ | RF_PLANAR_XZ | RF_PLANAR_XY |
                                  RF_PLANAR_DIAG | RF_REFLECT;
    RenderFlags flags = textureFlags | texture->flags;
    const TexelCoverage* coverage = texture->coverage.get();
    if (!coverage || (flags & (RF_CLAMP | generated))) {
        fullscreenQuad(view, 0.0f, 0.0f, s0, t0, s1, t1);
        return;
    }
    int rect[4];
    viewportRect(view, areaFlags, rect);
    int width = rect[2], height = rect[3];
    if (width <= 0 || height <= 0)
        return;

    int firstLevel = 0, lastLevel = 0;
    if (!(flags & RF_NOMIPMAP)) {
        double across = std::fabs(span.su) * coverage->width / width;
        double up = std::fabs(span.tv) * coverage->height / height;
        sampledLevels((float)(across > up ? across : up), (flags & RF_TRILINEAR) != 0, coverage->levels, &firstLevel,
                      &lastLevel);
    }

    // Reused from call to call: no allocation once the largest area is seen.
    static std::vector<BlockStrip> columns, rows;
    columns.resize((size_t)width);
    rows.resize((size_t)height);
    int columnCount = blockStrips(width, span.s0, span.su / width, coverage->width, coverageCellTexels, columns.data());
    int rowCount = blockStrips(height, span.t0, span.tv / height, coverage->height, coverageCellTexels, rows.data());

    float z = view.viewNear + 0.001f;
    bool drawing = false;
    auto emit = [&](int x0, int x1, int y0, int y1) {
        if (!drawing) {
            glBegin(GL_QUADS);
            drawing = true;
        }
        float xa = (float)(-1.0 + 2.0 * x0 / width), xb = (float)(-1.0 + 2.0 * x1 / width);
        float ya = (float)(-1.0 + 2.0 * y0 / height), yb = (float)(-1.0 + 2.0 * y1 / height);
        float sa = (float)(s0 + (double)(s1 - s0) * x0 / width), sb = (float)(s0 + (double)(s1 - s0) * x1 / width);
        float ta = (float)(t0 + (double)(t1 - t0) * y0 / height), tb = (float)(t0 + (double)(t1 - t0) * y1 / height);
        glTexCoord2f(sa, ta);
        glVertex3f(xa, ya, z);
        glTexCoord2f(sb, ta);
        glVertex3f(xb, ya, z);
        glTexCoord2f(sb, tb);
        glVertex3f(xb, yb, z);
        glTexCoord2f(sa, tb);
        glVertex3f(xa, yb, z);
    };
    for (int r = 0; r < rowCount; r++) {
        const BlockStrip& row = rows[(size_t)r];
        int runStart = -1;
        for (int c = 0; c <= columnCount; c++) {
            bool on = c < columnCount &&
                      coverageAny(*coverage, firstLevel, lastLevel, columns[(size_t)c].block, row.block, what);
            if (on && runStart < 0)
                runStart = columns[(size_t)c].first;
            if (!on && runStart >= 0) {
                emit(runStart, columns[(size_t)c - 1].end, row.first, row.end);
                runStart = -1;
            }
        }
    }
    if (drawing)
        glEnd();
}
