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

// Set when a tetrahedron did not fit; nothing more is added in this build.
static bool outputFull;

struct CubeAt {
    int x, y, z;     // origin, lattice indices
    int cell;        // origin's lattice index
    int slotBase;    // edge cache slot of the origin's share of the key
    float ox, oy, oz;  // origin, centred coordinates
};

// Vertex on edge id (inside corner * 8 + outside corner) of the cube.
static inline int edgeVertex(const CubeAt& c, int id)
{
    const IsoEdge& e = isoEdges[id];
    IsoSlot& slot = isoCache[c.slotBase + e.slotOffset];
    if (slot.stamp == isoStamp) return slot.vertex;
    float fin = isoCellValue[c.cell + e.inCell];
    float fout = isoCellValue[c.cell + e.outCell];
    float t = (fin - ISO_LEVEL) / (fin - fout);
    int v = isoVertCount++;
    float* p = isoVerts + 3 * v;
    p[0] = (c.ox + e.inX) + e.dX * t;
    p[1] = (c.oy + e.inY) + e.dY * t;
    p[2] = (c.oz + e.inZ) + e.dZ * t;
    slot.vertex = v;
    slot.stamp = isoStamp;
    return v;
}

// The careful way through one cube, one tetrahedron at a time, checking the
// room left before each.
static void cubeByTetrahedra(const CubeAt& c, int mirror, int mask)
{
    for (int tet = 0; tet < 5; tet++) {
        int P[4];
        IsoTetCase tc;
        isoTetCube(tet, mirror, P);
        int n = isoTetCase(P, mask, tc);
        if (tc.triCount == 0) continue;
        int needVerts = n == 2 ? 4 : 3;
        if (isoTriCount + tc.triCount > ISO_TRI_CAPACITY ||
            isoVertCount + needVerts > ISO_VERT_LIMIT) {
            outputFull = true;
            return;
        }
        int v[4];
        for (int l = 0; l < tc.lookupCount; l++)
            v[l] = edgeVertex(c, tc.inCorner[l] * 8 + tc.outCorner[l]);
        for (int t = 0; t < tc.triCount; t++) {
            int* tri = isoTris + 3 * isoTriCount++;
            for (int k = 0; k < 3; k++) tri[k] = v[tc.tris[t][k]];
        }
    }
}

static inline void cube(const CubeAt& c, int mirror, int mask)
{
    const IsoCubeCase& cc = isoCubeCases[mirror][mask];
    if (isoTriCount + cc.triCount > ISO_TRI_CAPACITY ||
        isoVertCount + cc.edgeCount + 4 > ISO_VERT_LIMIT) {
        cubeByTetrahedra(c, mirror, mask);
        return;
    }
    int v[ISO_CUBE_MAX_EDGES];
    for (int e = 0; e < cc.edgeCount; e++) v[e] = edgeVertex(c, cc.edges[e]);
    int* tri = isoTris + 3 * isoTriCount;
    for (int t = 0; t < cc.triCount; t++) {
        tri[3 * t + 0] = v[cc.tris[t][0]];
        tri[3 * t + 1] = v[cc.tris[t][1]];
        tri[3 * t + 2] = v[cc.tris[t][2]];
    }
    isoTriCount += cc.triCount;
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

void isoPolygonize()
{
    isoInit();
    outputFull = false;
    int xlo, xhi, ylo, yhi, zlo, zhi;
    if (!cubeRange(isoCountX, xlo, xhi) || !cubeRange(isoCountY, ylo, yhi) ||
        !cubeRange(isoCountZ, zlo, zhi))
        return;
    uint32_t xspan = (uint32_t)(((uint64_t)2 << xhi) - ((uint64_t)1 << xlo));
    for (int z = zlo; z <= zhi; z++) {
        for (int y = ylo; y <= yhi; y++) {
            uint32_t r00 = isoInsideRows[z * 32 + y], r10 = isoInsideRows[z * 32 + y + 1];
            uint32_t r01 = isoInsideRows[(z + 1) * 32 + y];
            uint32_t r11 = isoInsideRows[(z + 1) * 32 + y + 1];
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
                cube(c, mirrorYZ | (x & 1), mask);
                if (outputFull) return;
            } while (active);
        }
    }
}
