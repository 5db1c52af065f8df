// A plain, step-by-step metaball surface build (array-of-structures lattice,
// per-tetrahedron case analysis, heap arrays per leaf) used to check that the
// optimised isoBuild produces the very same vertices and triangles in the same
// order. Capacity follows isoBuild's rule: stop at the first tetrahedron whose
// triangles do not fit or which might need more than ISO_VERT_LIMIT vertices.
#pragma once
#include "geometry/isosurface.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace isoref {

struct Cell {
    float value;
    int x, y, z, index;
    int inside;
};

struct Slot {
    int vertex, stamp;
};

struct State {
    Cell cells[ISO_CELLS];
    int countX[32], countY[32], countZ[32];
    std::vector<Slot> cache = std::vector<Slot>(ISO_CACHE_SLOTS, Slot{0, -1});
    int stamp = 0;
    std::vector<float> verts = std::vector<float>(ISO_VERT_CAPACITY * 3);
    std::vector<float> norms = std::vector<float>(ISO_VERT_CAPACITY * 3);
    std::vector<int> tris = std::vector<int>(ISO_TRI_CAPACITY * 3);
    int vertCount = 0, triCount = 0;
    bool stopped = false;

    State()
    {
        for (int c = 0; c < ISO_CELLS; c++)
            cells[c] = Cell{0.0f, c % 32 - 16, c / 32 % 32 - 16, c / 1024 - 16, c, 0};
    }
};

inline Cell& cellAt(State& st, int i, int j, int k) { return st.cells[k * 1024 + j * 32 + i]; }

inline void field(float* out, const float* xs, const float* ys, const float* zs, int n,
                  const Blob* blobs, int nblobs)
{
    for (int p = 0; p < n; p++) {
        float value = 0.0f;
        for (int b = 0; b < nblobs; b++) {
            const Blob& bl = blobs[b];
            float dx = xs[p] - (bl.x + 16.0f), dy = ys[p] - (bl.y + 16.0f),
                  dz = zs[p] - (bl.z + 16.0f);
            float s = (dx * dx + dy * dy + dz * dz) * (1.0f / (bl.radius * bl.radius));
            float sign = bl.negative ? -1.0f : 1.0f;
            if (s < 0.5f) value += sign * (s * s - s + 0.25f);
        }
        out[p] = value;
    }
}

inline void fill(State& st, int x0, int x1, int y0, int y1, int z0, int z1, const Blob* blobs,
                 int nblobs)
{
    if (x1 - x0 <= 4) {
        // Leaf: one batch of every cell, z outer, y, x inner.
        std::vector<Cell*> cells;
        std::vector<float> xs, ys, zs;
        for (int k = z0; k < z1; k++)
            for (int j = y0; j < y1; j++)
                for (int i = x0; i < x1; i++) {
                    cells.push_back(&cellAt(st, i, j, k));
                    xs.push_back((float)i), ys.push_back((float)j), zs.push_back((float)k);
                }
        std::vector<float> vs(cells.size());
        field(vs.data(), xs.data(), ys.data(), zs.data(), (int)cells.size(), blobs, nblobs);
        for (size_t m = 0; m < cells.size(); m++) {
            Cell& c = *cells[m];
            c.value = vs[m];
            c.inside = c.value >= ISO_LEVEL ? 1 : 0;
            if (c.inside) st.countX[c.x + 16]++, st.countY[c.y + 16]++, st.countZ[c.z + 16]++;
        }
        return;
    }
    for (int b = 0; b < nblobs; b++) {
        const Blob& bl = blobs[b];
        float h = 0.707f * bl.radius;
        float cx = bl.x + 16.0f, cy = bl.y + 16.0f, cz = bl.z + 16.0f;
        if (x0 <= cx + h && cx - h <= x1 && y0 <= cy + h && cy - h <= y1 && z0 <= cz + h &&
            cz - h <= z1) {
            int hx = (x1 - x0) / 2, hy = (y1 - y0) / 2, hz = (z1 - z0) / 2;
            for (int c = 0; c < 2; c++)
                for (int b2 = 0; b2 < 2; b2++)
                    for (int a = 0; a < 2; a++)
                        fill(st, a ? x0 + hx : x0, a ? x1 : x0 + hx, b2 ? y0 + hy : y0,
                             b2 ? y1 : y0 + hy, c ? z0 + hz : z0, c ? z1 : z0 + hz, blobs, nblobs);
            return;
        }
    }
    for (int k = z0; k < z1; k++)
        for (int j = y0; j < y1; j++)
            for (int i = x0; i < x1; i++) {
                Cell& c = cellAt(st, i, j, k);
                c.value = 0.0f;
                c.inside = 0;
            }
}

// Vertex on the edge between cells a and b (one inside, one outside).
inline int edgeVertex(State& st, const Cell* a, const Cell* b)
{
    int key = ((a->z + b->z) * 64 + (a->y + b->y)) * 64 + (a->x + b->x);
    Slot& slot = st.cache[key + 133152];
    if (slot.stamp == st.stamp) return slot.vertex;
    const Cell* in = a->inside ? a : b;
    const Cell* out = a->inside ? b : a;
    float t = (in->value - ISO_LEVEL) / (in->value - out->value);
    int v = st.vertCount++;
    st.verts[v * 3 + 0] = (float)in->x + (float)(out->x - in->x) * t;
    st.verts[v * 3 + 1] = (float)in->y + (float)(out->y - in->y) * t;
    st.verts[v * 3 + 2] = (float)in->z + (float)(out->z - in->z) * t;
    slot = Slot{v, st.stamp};
    return v;
}

inline void addTri(State& st, int a, int b, int c)
{
    int* t = &st.tris[st.triCount++ * 3];
    t[0] = a, t[1] = b, t[2] = c;
}

inline void tetrahedron(State& st, const Cell* T[4])
{
    int n = T[0]->inside + T[1]->inside + T[2]->inside + T[3]->inside;
    if (n == 0 || n == 4) return;
    int needTris = n == 2 ? 2 : 1, needVerts = n == 2 ? 4 : 3;
    if (st.triCount + needTris > ISO_TRI_CAPACITY || st.vertCount + needVerts > ISO_VERT_LIMIT) {
        st.stopped = true;
        return;
    }
    auto E = [&](int a, int b) { return edgeVertex(st, T[a], T[b]); };
    // One triangle around the lone corner c: E(c, other[c][0..2]), in order.
    static const int loneInside[4][3] = {{3, 2, 1}, {0, 2, 3}, {3, 1, 0}, {0, 1, 2}};
    static const int loneOutside[4][3] = {{1, 2, 3}, {3, 2, 0}, {0, 1, 3}, {2, 1, 0}};
    if (n != 2) {
        int c = 0;
        while ((T[c]->inside != 0) != (n == 1)) c++;
        const int* other = n == 1 ? loneInside[c] : loneOutside[c];
        int a = E(c, other[0]), b = E(c, other[1]), d = E(c, other[2]);
        addTri(st, a, b, d);
        return;
    }
    int ins[2], outs[2], ni = 0, no = 0;
    for (int k = 0; k < 4; k++) (T[k]->inside ? ins[ni++] : outs[no++]) = k;
    bool even = (!T[0]->inside) != (!T[2]->inside);
    int q0 = E(outs[0], ins[0]);
    int q1 = even ? E(outs[0], ins[1]) : E(outs[1], ins[0]);
    int q2 = even ? E(outs[1], ins[0]) : E(outs[0], ins[1]);
    int q3 = E(outs[1], ins[1]);
    addTri(st, q0, q1, q2);
    addTri(st, q1, q3, q2);
}

// Cube origins on one axis: from below the first occupied plane through the
// last one (lo > hi when no plane is occupied).
inline void cubeRange(const int* count, int& lo, int& hi)
{
    int first = -1, last = -1;
    for (int i = 0; i < 32; i++)
        if (count[i]) {
            if (first < 0) first = i;
            last = i;
        }
    lo = first < 0 ? 0 : std::max(first - 1, 0);
    hi = first < 0 ? -1 : std::min(last, 30);
}

inline void polygonize(State& st)
{
    int xlo, xhi, ylo, yhi, zlo, zhi;
    cubeRange(st.countX, xlo, xhi);
    cubeRange(st.countY, ylo, yhi);
    cubeRange(st.countZ, zlo, zhi);
    // Corner labels cXYZ, written as X, Y, Z bits.
    static const int tets[5][4][3] = {
        {{1, 1, 1}, {1, 0, 1}, {1, 1, 0}, {0, 1, 1}},
        {{1, 0, 0}, {1, 0, 1}, {0, 0, 0}, {1, 1, 0}},
        {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {0, 0, 0}},
        {{0, 1, 0}, {0, 1, 1}, {1, 1, 0}, {0, 0, 0}},
        {{0, 0, 0}, {0, 1, 1}, {1, 1, 0}, {1, 0, 1}},
    };
    for (int z = zlo; z <= zhi; z++)
        for (int y = ylo; y <= yhi; y++)
            for (int x = xlo; x <= xhi; x++) {
                // Mirroring: on an odd origin coordinate bit b means offset 1 - b.
                auto corner = [&](int X, int Y, int Z) {
                    return &cellAt(st, x + (x % 2 ? 1 - X : X), y + (y % 2 ? 1 - Y : Y),
                                   z + (z % 2 ? 1 - Z : Z));
                };
                int sum = 0;
                for (int c = 0; c < 8; c++) sum += corner(c & 1, (c >> 1) & 1, c >> 2)->inside;
                if (sum < 1 || sum > 7) continue;
                int parity = (x ^ y ^ z) & 1;
                for (int t = 0; t < 5; t++) {
                    const Cell* T[4];
                    for (int k = 0; k < 4; k++)
                        T[k] = corner(tets[t][k][0], tets[t][k][1], tets[t][k][2]);
                    if (parity) std::swap(T[2], T[3]);
                    tetrahedron(st, T);
                    if (st.stopped) return;
                }
            }
}

inline void smooth(State& st)
{
    std::vector<float> acc(st.vertCount * 4, 0.0f);
    for (int t = 0; t < st.triCount; t++) {
        const int* tri = &st.tris[t * 3];
        float S[4] = {0.0f, 0.0f, 0.0f, 3.0f};
        for (int a = 0; a < 3; a++)
            S[a] = st.verts[tri[0] * 3 + a] + st.verts[tri[1] * 3 + a] + st.verts[tri[2] * 3 + a];
        for (int k = 0; k < 3; k++)
            for (int a = 0; a < 4; a++) acc[tri[k] * 4 + a] += S[a];
    }
    for (int v = 0; v < st.vertCount; v++)
        for (int a = 0; a < 3; a++) st.verts[v * 3 + a] = acc[v * 4 + a] / acc[v * 4 + 3];
}

inline void normals(const float* positions, float* out, int count, const Blob* blobs, int nblobs)
{
    // q[a] holds axis a of q = p + 16; s[a] the same stepped by 0.01.
    std::vector<float> q[3], s[3], f[4];
    for (int a = 0; a < 3; a++) {
        for (int i = 0; i < count; i++) q[a].push_back(positions[i * 3 + a] + 16.0f);
        for (float v : q[a]) s[a].push_back(v + 0.01f);
    }
    for (auto& v : f) v.resize(count);
    field(f[0].data(), q[0].data(), q[1].data(), q[2].data(), count, blobs, nblobs);
    field(f[1].data(), s[0].data(), q[1].data(), q[2].data(), count, blobs, nblobs);
    field(f[2].data(), q[0].data(), s[1].data(), q[2].data(), count, blobs, nblobs);
    field(f[3].data(), q[0].data(), q[1].data(), s[2].data(), count, blobs, nblobs);
    for (int i = 0; i < count; i++)
        for (int a = 0; a < 3; a++) out[i * 3 + a] = (f[0][i] - f[a + 1][i]) * 100.0f;
}

inline void build(State& st, const Blob* blobs, int nblobs)
{
    for (int i = 0; i < 32; i++) st.countX[i] = st.countY[i] = st.countZ[i] = 0;
    st.vertCount = st.triCount = 0;
    st.stopped = false;
    fill(st, 0, 32, 0, 32, 0, 32, blobs, nblobs);
    polygonize(st);
    smooth(st);
    normals(st.verts.data(), st.norms.data(), st.vertCount, blobs, nblobs);
    st.stamp++;
}

// Heap-allocated state (the lattice and the arrays are large).
inline std::unique_ptr<State> makeState() { return std::make_unique<State>(); }

}  // namespace isoref
