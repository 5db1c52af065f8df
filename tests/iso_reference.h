// A plain, step-by-step metaball surface build (array-of-structures lattice,
// per-tetrahedron case analysis, heap arrays per leaf) used to check that the
// optimised isoBuild produces the very same vertices and triangles in the same
// order. Capacity follows isoBuild's rule: stop at the first tetrahedron whose
// triangles do not fit or which might need more than ISO_VERT_LIMIT vertices.
#pragma once
#include "geometry/isosurface.h"

#include <cstdlib>
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
        for (int k = 0; k < 32; k++)
            for (int j = 0; j < 32; j++)
                for (int i = 0; i < 32; i++) {
                    Cell& c = cells[k * 1024 + j * 32 + i];
                    c = Cell{0.0f, i - 16, j - 16, k - 16, k * 1024 + j * 32 + i, 0};
                }
    }
};

inline void field(float* out, const float* xs, const float* ys, const float* zs, int n,
                  const Blob* blobs, int nblobs)
{
    for (int p = 0; p < n; p++) {
        float value = 0.0f;
        for (int b = 0; b < nblobs; b++) {
            const Blob& bl = blobs[b];
            float cx = bl.x + 16.0f, cy = bl.y + 16.0f, cz = bl.z + 16.0f;
            float dx = xs[p] - cx, dy = ys[p] - cy, dz = zs[p] - cz;
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
        int n = (x1 - x0) * (y1 - y0) * (z1 - z0);
        float* xs = (float*)calloc(n > 0 ? n : 1, sizeof(float));
        float* ys = (float*)calloc(n > 0 ? n : 1, sizeof(float));
        float* zs = (float*)calloc(n > 0 ? n : 1, sizeof(float));
        float* vs = (float*)calloc(n > 0 ? n : 1, sizeof(float));
        int m = 0;
        for (int k = z0; k < z1; k++)
            for (int j = y0; j < y1; j++)
                for (int i = x0; i < x1; i++) {
                    xs[m] = (float)i;
                    ys[m] = (float)j;
                    zs[m] = (float)k;
                    m++;
                }
        field(vs, xs, ys, zs, n, blobs, nblobs);
        m = 0;
        for (int k = z0; k < z1; k++)
            for (int j = y0; j < y1; j++)
                for (int i = x0; i < x1; i++) {
                    Cell& c = st.cells[k * 1024 + j * 32 + i];
                    c.value = vs[m++];
                    c.inside = c.value >= ISO_LEVEL ? 1 : 0;
                    if (c.inside) {
                        st.countX[i]++;
                        st.countY[j]++;
                        st.countZ[k]++;
                    }
                }
        free(xs);
        free(ys);
        free(zs);
        free(vs);
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
                    for (int a = 0; a < 2; a++) {
                        int xa = a ? x0 + hx : x0, xb = a ? x1 : x0 + hx;
                        int ya = b2 ? y0 + hy : y0, yb = b2 ? y1 : y0 + hy;
                        int za = c ? z0 + hz : z0, zb = c ? z1 : z0 + hz;
                        fill(st, xa, xb, ya, yb, za, zb, blobs, nblobs);
                    }
            return;
        }
    }
    for (int k = z0; k < z1; k++)
        for (int j = y0; j < y1; j++)
            for (int i = x0; i < x1; i++) {
                st.cells[k * 1024 + j * 32 + i].value = 0.0f;
                st.cells[k * 1024 + j * 32 + i].inside = 0;
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
    st.tris[st.triCount * 3 + 0] = a;
    st.tris[st.triCount * 3 + 1] = b;
    st.tris[st.triCount * 3 + 2] = c;
    st.triCount++;
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
    if (n == 1) {
        if (T[0]->inside) {
            int a = E(0, 3), b = E(0, 2), c = E(0, 1);
            addTri(st, a, b, c);
        } else if (T[1]->inside) {
            int a = E(1, 0), b = E(1, 2), c = E(1, 3);
            addTri(st, a, b, c);
        } else if (T[2]->inside) {
            int a = E(2, 3), b = E(2, 1), c = E(2, 0);
            addTri(st, a, b, c);
        } else {
            int a = E(3, 0), b = E(3, 1), c = E(3, 2);
            addTri(st, a, b, c);
        }
    } else if (n == 3) {
        if (!T[0]->inside) {
            int a = E(0, 1), b = E(0, 2), c = E(0, 3);
            addTri(st, a, b, c);
        } else if (!T[1]->inside) {
            int a = E(1, 3), b = E(1, 2), c = E(1, 0);
            addTri(st, a, b, c);
        } else if (!T[2]->inside) {
            int a = E(2, 0), b = E(2, 1), c = E(2, 3);
            addTri(st, a, b, c);
        } else {
            int a = E(3, 2), b = E(3, 1), c = E(3, 0);
            addTri(st, a, b, c);
        }
    } else {
        int ins[2], outs[2], ni = 0, no = 0;
        for (int k = 0; k < 4; k++) {
            if (T[k]->inside)
                ins[ni++] = k;
            else
                outs[no++] = k;
        }
        bool even = (!T[0]->inside) != (!T[2]->inside);
        int q0 = E(outs[0], ins[0]);
        int q1 = even ? E(outs[0], ins[1]) : E(outs[1], ins[0]);
        int q2 = even ? E(outs[1], ins[0]) : E(outs[0], ins[1]);
        int q3 = E(outs[1], ins[1]);
        addTri(st, q0, q1, q2);
        addTri(st, q1, q3, q2);
    }
}

inline void polygonize(State& st)
{
    auto range = [](const int* count, int& lo, int& hi) {
        int first = -1, last = -1;
        for (int i = 0; i < 32; i++)
            if (count[i]) {
                if (first < 0) first = i;
                last = i;
            }
        if (first < 0) {
            lo = 0;
            hi = -1;
            return;
        }
        lo = first - 1 > 0 ? first - 1 : 0;
        hi = last < 30 ? last : 30;
    };
    int xlo, xhi, ylo, yhi, zlo, zhi;
    range(st.countX, xlo, xhi);
    range(st.countY, ylo, yhi);
    range(st.countZ, zlo, zhi);
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
                auto corner = [&](int X, int Y, int Z) {
                    int ox = (x % 2 == 0) ? X : 1 - X;
                    int oy = (y % 2 == 0) ? Y : 1 - Y;
                    int oz = (z % 2 == 0) ? Z : 1 - Z;
                    return &st.cells[(z + oz) * 1024 + (y + oy) * 32 + (x + ox)];
                };
                int sum = 0;
                for (int c = 0; c < 8; c++) sum += corner(c & 1, (c >> 1) & 1, c >> 2)->inside;
                if (sum < 1 || sum > 7) continue;
                int parity = (x ^ y ^ z) & 1;
                for (int t = 0; t < 5; t++) {
                    const Cell* T[4];
                    for (int k = 0; k < 4; k++)
                        T[k] = corner(tets[t][k][0], tets[t][k][1], tets[t][k][2]);
                    if (parity) {
                        const Cell* tmp = T[2];
                        T[2] = T[3];
                        T[3] = tmp;
                    }
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
        float S[3];
        for (int a = 0; a < 3; a++)
            S[a] = st.verts[tri[0] * 3 + a] + st.verts[tri[1] * 3 + a] + st.verts[tri[2] * 3 + a];
        for (int k = 0; k < 3; k++) {
            float* A = &acc[tri[k] * 4];
            A[0] += S[0];
            A[1] += S[1];
            A[2] += S[2];
            A[3] += 3.0f;
        }
    }
    for (int v = 0; v < st.vertCount; v++)
        for (int a = 0; a < 3; a++) st.verts[v * 3 + a] = acc[v * 4 + a] / acc[v * 4 + 3];
}

inline void normals(const float* positions, float* out, int count, const Blob* blobs, int nblobs)
{
    std::vector<float> qx(count), qy(count), qz(count), sx(count), sy(count), sz(count);
    std::vector<float> f0(count), fx(count), fy(count), fz(count);
    for (int i = 0; i < count; i++) {
        qx[i] = positions[i * 3 + 0] + 16.0f;
        qy[i] = positions[i * 3 + 1] + 16.0f;
        qz[i] = positions[i * 3 + 2] + 16.0f;
        sx[i] = qx[i] + 0.01f;
        sy[i] = qy[i] + 0.01f;
        sz[i] = qz[i] + 0.01f;
    }
    field(f0.data(), qx.data(), qy.data(), qz.data(), count, blobs, nblobs);
    field(fx.data(), sx.data(), qy.data(), qz.data(), count, blobs, nblobs);
    field(fy.data(), qx.data(), sy.data(), qz.data(), count, blobs, nblobs);
    field(fz.data(), qx.data(), qy.data(), sz.data(), count, blobs, nblobs);
    for (int i = 0; i < count; i++) {
        out[i * 3 + 0] = (f0[i] - fx[i]) * 100.0f;
        out[i * 3 + 1] = (f0[i] - fy[i]) * 100.0f;
        out[i * 3 + 2] = (f0[i] - fz[i]) * 100.0f;
    }
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
