// The whole build of an isosurface: its storage made on the first build,
// the smoothing pass and isoBuild.
#include "geometry/iso_internal.h"

#include <climits>

void IsoWorkFree::operator()(IsoWork* work) const
{
    delete work;
}

static void clearCache(IsoWork& work)
{
    for (IsoSlot& s : work.cache) s = IsoSlot{0, -1};
}

// The arrays of a surface that has not been built yet; the working arrays
// start out zero but for the stale cache slots.
static void makeStorage(IsoSurface& surface)
{
    surface.verts.assign((size_t)ISO_VERT_CAPACITY * 3, 0.0f);
    surface.norms.assign((size_t)ISO_VERT_CAPACITY * 3, 0.0f);
    surface.tris.assign((size_t)ISO_TRI_CAPACITY * 3, 0);
    surface.work.reset(new IsoWork());
    clearCache(*surface.work);
}

void isoSmooth(IsoWork& work, IsoSurface& surface)
{
    typedef float V4 __attribute__((vector_size(16)));
    V4* acc = (V4*)work.smoothSums;
    float* verts = surface.verts.data();
    const int* tris = surface.tris.data();
    for (int v = 0; v < surface.vertCount; v++) acc[v] = V4{0.0f, 0.0f, 0.0f, 0.0f};
    for (int t = 0; t < surface.triCount; t++) {
        const int* tri = tris + 3 * t;
        const float* a = verts + 3 * tri[0];
        const float* b = verts + 3 * tri[1];
        const float* c = verts + 3 * tri[2];
        V4 s = {a[0] + b[0] + c[0], a[1] + b[1] + c[1], a[2] + b[2] + c[2], 3.0f};
        acc[tri[0]] += s;
        acc[tri[1]] += s;
        acc[tri[2]] += s;
    }
    for (int v = 0; v < surface.vertCount; v++) {
        V4 p = acc[v] / acc[v][3];
        verts[3 * v + 0] = p[0];
        verts[3 * v + 1] = p[1];
        verts[3 * v + 2] = p[2];
    }
}

void isoBuild(IsoSurface& surface, const Blob* blobs, int nblobs)
{
    if (!surface.work)
        makeStorage(surface);
    IsoWork& work = *surface.work;
    for (int i = 0; i < ISO_SIZE; i++) work.countX[i] = work.countY[i] = work.countZ[i] = 0;
    surface.vertCount = 0;
    surface.triCount = 0;
    isoFill(work, 0, ISO_SIZE, 0, ISO_SIZE, 0, ISO_SIZE, blobs, nblobs);
    isoPolygonize(work, surface);
    isoSmooth(work, surface);
    isoNormals(surface.verts.data(), surface.norms.data(), surface.vertCount, blobs, nblobs);
    // A new stamp invalidates every cache slot; before the stamp would
    // overflow the slots are cleared and the stamps start over.
    if (work.stamp == INT_MAX) {
        clearCache(work);
        work.stamp = 0;
    } else {
        work.stamp++;
    }
}
