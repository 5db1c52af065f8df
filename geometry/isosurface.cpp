// The isosurface's storage and its whole-build sequence: one-time set-up,
// the smoothing pass and isoBuild.
#include "geometry/iso_internal.h"

#include <climits>

float isoVerts[ISO_VERT_CAPACITY * 3];
float isoNorms[ISO_VERT_CAPACITY * 3];
int isoTris[ISO_TRI_CAPACITY * 3];
int isoVertCount;
int isoTriCount;
int isoStamp;

alignas(64) float isoCellValue[ISO_CELLS];
uint32_t isoInsideRows[ISO_SIZE * ISO_SIZE];
int isoCountX[ISO_SIZE], isoCountY[ISO_SIZE], isoCountZ[ISO_SIZE];
IsoSlot isoCache[ISO_CACHE_SLOTS];

// Smoothing accumulators: x, y, z sums and weight per vertex.
alignas(16) static float smoothSums[ISO_VERT_LIMIT][4];

static void clearCache()
{
    for (IsoSlot& s : isoCache) s = IsoSlot{0, -1};
}

void isoInit()
{
    static bool ready = false;
    if (ready) return;
    ready = true;
    // The arrays are static, so values, inside bits, positions, normals and
    // triangles start out zero.
    clearCache();
    isoBuildCubeCases();
}

void isoSmooth()
{
    typedef float V4 __attribute__((vector_size(16)));
    V4* acc = (V4*)smoothSums;
    for (int v = 0; v < isoVertCount; v++) acc[v] = V4{0.0f, 0.0f, 0.0f, 0.0f};
    for (int t = 0; t < isoTriCount; t++) {
        const int* tri = isoTris + 3 * t;
        const float* a = isoVerts + 3 * tri[0];
        const float* b = isoVerts + 3 * tri[1];
        const float* c = isoVerts + 3 * tri[2];
        V4 s = {a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2], 3.0f};
        acc[tri[0]] += s;
        acc[tri[1]] += s;
        acc[tri[2]] += s;
    }
    for (int v = 0; v < isoVertCount; v++) {
        V4 p = acc[v] / acc[v][3];
        isoVerts[3 * v + 0] = p[0];
        isoVerts[3 * v + 1] = p[1];
        isoVerts[3 * v + 2] = p[2];
    }
}

void isoBuild(const Blob* blobs, int nblobs)
{
    isoInit();
    for (int i = 0; i < ISO_SIZE; i++) isoCountX[i] = isoCountY[i] = isoCountZ[i] = 0;
    isoVertCount = 0;
    isoTriCount = 0;
    isoFill(0, ISO_SIZE, 0, ISO_SIZE, 0, ISO_SIZE, blobs, nblobs);
    isoPolygonize();
    isoSmooth();
    isoNormals(isoVerts, isoNorms, isoVertCount, blobs, nblobs);
    // A new stamp invalidates every cache slot; before the stamp would
    // overflow the slots are cleared and the stamps start over.
    if (isoStamp == INT_MAX) {
        clearCache();
        isoStamp = 0;
    } else {
        isoStamp++;
    }
}
