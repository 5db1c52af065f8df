// Marching-tetrahedra case analysis of the isosurface: the five mirrored
// tetrahedra of a lattice cube, what each one contributes for its inside
// corners, and the per-cube case table derived from them.
#include "geometry/iso_internal.h"
#include "geometry/iso_tetra.h"

const int isoTetCorners[5][4] = {
    {7, 5, 3, 6},  // c111 c101 c110 c011
    {1, 5, 0, 3},  // c100 c101 c000 c110
    {4, 5, 6, 0},  // c001 c101 c011 c000
    {2, 6, 3, 0},  // c010 c011 c110 c000
    {0, 6, 3, 5},  // c000 c011 c110 c101
};

void isoTetCube(int tet, int mirror, int P[4])
{
    int parity = (mirror ^ (mirror >> 1) ^ (mirror >> 2)) & 1;
    for (int k = 0; k < 4; k++) P[k] = isoTetCorners[tet][k] ^ mirror;
    if (parity) {
        int swap = P[2];
        P[2] = P[3];
        P[3] = swap;
    }
}

int isoTetCase(const int P[4], int mask, IsoTetCase& out)
{
    int in[4], n = 0;
    for (int k = 0; k < 4; k++) {
        in[k] = (mask >> P[k]) & 1;
        n += in[k];
    }
    out.lookupCount = 0;
    out.triCount = 0;
    if (n == 0 || n == 4) return n;
    // The edge between tetrahedron positions a and b, as (inside, outside).
    auto look = [&](int a, int b) {
        int l = out.lookupCount++;
        out.inCorner[l] = in[a] ? P[a] : P[b];
        out.outCorner[l] = in[a] ? P[b] : P[a];
    };
    static const int one[4][3] = {{3, 2, 1}, {0, 2, 3}, {3, 1, 0}, {0, 1, 2}};
    static const int three[4][3] = {{1, 2, 3}, {3, 2, 0}, {0, 1, 3}, {2, 1, 0}};
    if (n == 1 || n == 3) {
        int odd = 0;
        while (in[odd] != (n == 1 ? 1 : 0)) odd++;
        const int* other = n == 1 ? one[odd] : three[odd];
        for (int k = 0; k < 3; k++) look(odd, other[k]);
        out.tris[0][0] = 0;
        out.tris[0][1] = 1;
        out.tris[0][2] = 2;
        out.triCount = 1;
        return n;
    }
    int ins[2], outs[2], ni = 0, no = 0;
    for (int k = 0; k < 4; k++) {
        if (in[k])
            ins[ni++] = k;
        else
            outs[no++] = k;
    }
    bool even = (!in[0]) != (!in[2]);
    look(outs[0], ins[0]);
    if (even) {
        look(outs[0], ins[1]);
        look(outs[1], ins[0]);
    } else {
        look(outs[1], ins[0]);
        look(outs[0], ins[1]);
    }
    look(outs[1], ins[1]);
    static const uint8_t pair[2][3] = {{0, 1, 2}, {1, 3, 2}};
    for (int t = 0; t < 2; t++)
        for (int k = 0; k < 3; k++) out.tris[t][k] = pair[t][k];
    out.triCount = 2;
    return n;
}

static void makeEdge(IsoCaseTables& tables, int in, int out)
{
    IsoEdge& e = tables.edges[in * 8 + out];
    int ix = in & 1, iy = (in >> 1) & 1, iz = in >> 2;
    int ox = out & 1, oy = (out >> 1) & 1, oz = out >> 2;
    e.slotOffset = (iz + oz) * 4096 + (iy + oy) * 64 + (ix + ox);
    e.inCell = (int16_t)(iz * 1024 + iy * 32 + ix);
    e.outCell = (int16_t)(oz * 1024 + oy * 32 + ox);
    e.inX = (float)ix;
    e.inY = (float)iy;
    e.inZ = (float)iz;
    e.dX = (float)(ox - ix);
    e.dY = (float)(oy - iy);
    e.dZ = (float)(oz - iz);
}

static IsoCaseTables buildCaseTables()
{
    IsoCaseTables tables{};
    for (int in = 0; in < 8; in++)
        for (int out = 0; out < 8; out++) makeEdge(tables, in, out);
    for (int mirror = 0; mirror < 8; mirror++)
        for (int mask = 0; mask < 256; mask++) {
            IsoCubeCase& c = tables.cubes[mirror][mask];
            c.edgeCount = 0;
            c.triCount = 0;
            for (int tet = 0; tet < 5; tet++) {
                int P[4];
                IsoTetCase tc;
                isoTetCube(tet, mirror, P);
                isoTetCase(P, mask, tc);
                uint8_t local[4];
                for (int l = 0; l < tc.lookupCount; l++) {
                    uint8_t id = (uint8_t)(tc.inCorner[l] * 8 + tc.outCorner[l]);
                    int e = 0;
                    while (e < c.edgeCount && c.edges[e] != id) e++;
                    if (e == c.edgeCount) c.edges[c.edgeCount++] = id;
                    local[l] = (uint8_t)e;
                }
                for (int t = 0; t < tc.triCount; t++) {
                    for (int k = 0; k < 3; k++) c.tris[c.triCount][k] = local[tc.tris[t][k]];
                    c.triCount++;
                }
            }
        }
    return tables;
}

const IsoCaseTables isoCaseTables = buildCaseTables();
