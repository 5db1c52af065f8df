// Surface extraction of the isosurface: marching tetrahedra over the cubes
// of the evaluated lattice, vertices welded through the stamped edge cache.
//
// Cubes are visited z-outer, y, x-inner. Only cubes with some but not all
// corners inside produce anything, so each x row of cubes is reduced to a
// bit mask of such cubes from the inside bits of its four lattice rows. A
// cube's contribution comes from the case table: its distinct edges in the
// order the five tetrahedra look them up (vertices are numbered in that
// order) and its triangles in tetrahedron order. Near the capacity of the
// output arrays a cube is worked tetrahedron by tetrahedron instead, so the
// build can stop at the exact tetrahedron that no longer fits.
#include "geometry/iso_internal.h"
#include "geometry/iso_tetra.h"

// One polygonization: the working arrays it reads, the arrays it appends to
// and their counts.
struct Output {
    IsoWork& work;
    float* verts;
    int* tris;
    int vertCount;
    int triCount;
    bool full;  // a tetrahedron did not fit; nothing more is added in this build
};

struct CubeAt {
    int x, y, z;     // origin, lattice indices
    int cell;        // origin's lattice index
    int slotBase;    // edge cache slot of the origin's share of the key
    float ox, oy, oz;  // origin, centred coordinates
};

// Vertex on edge id (inside corner * 8 + outside corner) of the cube.
static inline int edgeVertex(Output& o, const CubeAt& c, int id)
{
    const IsoEdge& e = isoCaseTables.edges[id];
    IsoSlot& slot = o.work.cache[c.slotBase + e.slotOffset];
    if (slot.stamp == o.work.stamp) return slot.vertex;
    float fin = o.work.cellValue[c.cell + e.inCell];
    float fout = o.work.cellValue[c.cell + e.outCell];
    float t = (fin - ISO_LEVEL) / (fin - fout);
    int v = o.vertCount++;
    float* p = o.verts + 3 * v;
    p[0] = (c.ox + e.inX) + e.dX * t;
    p[1] = (c.oy + e.inY) + e.dY * t;
    p[2] = (c.oz + e.inZ) + e.dZ * t;
    slot.vertex = v;
    slot.stamp = o.work.stamp;
    return v;
}

// The careful way through one cube, one tetrahedron at a time, checking the
// room left before each.
static void cubeByTetrahedra(Output& o, const CubeAt& c, int mirror, int mask)
{
    for (int tet = 0; tet < 5; tet++) {
        int P[4];
        IsoTetCase tc;
        isoTetCube(tet, mirror, P);
        int n = isoTetCase(P, mask, tc);
        if (tc.triCount == 0) continue;
        int needVerts = n == 2 ? 4 : 3;
        if (o.triCount + tc.triCount > ISO_TRI_CAPACITY || o.vertCount + needVerts > ISO_VERT_LIMIT) {
            o.full = true;
            return;
        }
        int v[4];
        for (int l = 0; l < tc.lookupCount; l++)
            v[l] = edgeVertex(o, c, tc.inCorner[l] * 8 + tc.outCorner[l]);
        for (int t = 0; t < tc.triCount; t++) {
            int* tri = o.tris + 3 * o.triCount++;
            for (int k = 0; k < 3; k++) tri[k] = v[tc.tris[t][k]];
        }
    }
}

static inline void cube(Output& o, const CubeAt& c, int mirror, int mask)
{
    const IsoCubeCase& cc = isoCaseTables.cubes[mirror][mask];
    if (o.triCount + cc.triCount > ISO_TRI_CAPACITY || o.vertCount + cc.edgeCount + 4 > ISO_VERT_LIMIT) {
        cubeByTetrahedra(o, c, mirror, mask);
        return;
    }
    int v[ISO_CUBE_MAX_EDGES];
    for (int e = 0; e < cc.edgeCount; e++) v[e] = edgeVertex(o, c, cc.edges[e]);
    int* tri = o.tris + 3 * o.triCount;
    for (int t = 0; t < cc.triCount; t++) {
        tri[3 * t + 0] = v[cc.tris[t][0]];
        tri[3 * t + 1] = v[cc.tris[t][1]];
        tri[3 * t + 2] = v[cc.tris[t][2]];
    }
    o.triCount += cc.triCount;
}

// Cube origins to visit on one axis: from the plane before the first
// occupied one through the last occupied one, within 0 .. 30.
static bool cubeRange(const int* count, int& lo, int& hi)
{
    int first = 0;
    while (first < ISO_SIZE && count[first] == 0) first++;
    if (first == ISO_SIZE) return false;
    int last = ISO_SIZE - 1;
    while (count[last] == 0) last--;
    lo = first > 0 ? first - 1 : 0;
    hi = last < ISO_SIZE - 2 ? last : ISO_SIZE - 2;
    return true;
}

// The lattice's cubes in order, until the output is full.
static void polygonizeCubes(Output& o)
{
    const IsoWork& w = o.work;
    int xlo, xhi, ylo, yhi, zlo, zhi;
    if (!cubeRange(w.countX, xlo, xhi) || !cubeRange(w.countY, ylo, yhi) || !cubeRange(w.countZ, zlo, zhi))
        return;
    uint32_t xspan = (uint32_t)(((uint64_t)2 << xhi) - ((uint64_t)1 << xlo));
    for (int z = zlo; z <= zhi; z++) {
        for (int y = ylo; y <= yhi; y++) {
            uint32_t r00 = w.insideRows[z * 32 + y], r10 = w.insideRows[z * 32 + y + 1];
            uint32_t r01 = w.insideRows[(z + 1) * 32 + y];
            uint32_t r11 = w.insideRows[(z + 1) * 32 + y + 1];
            uint32_t any = r00 | r10 | r01 | r11, all = r00 & r10 & r01 & r11;
            // Cube x has a corner inside when bit x or x + 1 of any row is set,
            // and all corners inside when both bits are set in every row.
            uint32_t active = (any | (any >> 1)) & ~(all & (all >> 1)) & xspan;
            if (!active) continue;
            CubeAt c;
            c.y = y;
            c.z = z;
            c.oy = (float)(y - 16);
            c.oz = (float)(z - 16);
            int mirrorYZ = ((y & 1) << 1) | ((z & 1) << 2);
            int slotRow = ISO_KEY_BIAS + 4096 * (2 * z - 32) + 64 * (2 * y - 32) - 32;
            do {
                int x = __builtin_ctz(active);
                active &= active - 1;
                int mask = ((r00 >> x) & 3) | (((r10 >> x) & 3) << 2) | (((r01 >> x) & 3) << 4) |
                           (((r11 >> x) & 3) << 6);
                c.x = x;
                c.cell = z * 1024 + y * 32 + x;
                c.slotBase = slotRow + 2 * x;
                c.ox = (float)(x - 16);
                cube(o, c, mirrorYZ | (x & 1), mask);
                if (o.full) return;
            } while (active);
        }
    }
}

void isoPolygonize(IsoWork& work, IsoSurface& surface)
{
    Output o{work, surface.verts.data(), surface.tris.data(), surface.vertCount, surface.triCount, false};
    polygonizeCubes(o);
    surface.vertCount = o.vertCount;
    surface.triCount = o.triCount;
}
