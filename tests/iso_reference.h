// A plain, step-by-step metaball surface build (one cell and one tetrahedron
// at a time, edges welded through a map) used to check that the optimised
// isoBuild produces the very same vertices and triangles in the same order.
// Capacity follows isoBuild's rule: stop at the first tetrahedron whose
// triangles do not fit or which might need more than ISO_VERT_LIMIT vertices.
#pragma once
#include "geometry/isosurface.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace isoref {

struct State {
    std::vector<float> value = std::vector<float>(ISO_CELLS);  // index k * 1024 + j * 32 + i
    std::vector<char> inside = std::vector<char>(ISO_CELLS);
    std::vector<float> verts, norms;
    std::vector<int> tris;
    int vertCount = 0, triCount = 0;
    bool stopped = false;
};

inline void field(float* out, const float* xs, const float* ys, const float* zs, int n, const Blob* blobs,
                  int nblobs)
{
    for (int p = 0; p < n; p++) {
        float value = 0.0f;
        for (const Blob* b = blobs; b < blobs + nblobs; b++) {
            float dx = xs[p] - (b->x + 16.0f), dy = ys[p] - (b->y + 16.0f), dz = zs[p] - (b->z + 16.0f);
            float s = (dx * dx + dy * dy + dz * dz) * (1.0f / (b->radius * b->radius));
            if (s < 0.5f) value += (b->negative ? -1.0f : 1.0f) * (s * s - s + 0.25f);
        }
        out[p] = value;
    }
}

// Boxes wider than 4 that some blob's reach (0.707 R) touches are split in
// eight; narrower ones are evaluated, the rest cleared.
inline void fill(State& st, int x0, int x1, int y0, int y1, int z0, int z1, const Blob* blobs, int nblobs)
{
    bool leaf = x1 - x0 <= 4, reached = false;
    for (const Blob* b = blobs; b < blobs + nblobs; b++) {
        float h = 0.707f * b->radius, cx = b->x + 16.0f, cy = b->y + 16.0f, cz = b->z + 16.0f;
        reached |= x0 <= cx + h && cx - h <= x1 && y0 <= cy + h && cy - h <= y1 && z0 <= cz + h && cz - h <= z1;
    }
    if (!leaf && reached) {
        int xs[3] = {x0, x0 + (x1 - x0) / 2, x1}, ys[3] = {y0, y0 + (y1 - y0) / 2, y1},
            zs[3] = {z0, z0 + (z1 - z0) / 2, z1};
        for (int c = 0; c < 8; c++)
            fill(st, xs[c & 1], xs[(c & 1) + 1], ys[c >> 1 & 1], ys[(c >> 1 & 1) + 1], zs[c >> 2], zs[(c >> 2) + 1],
                 blobs, nblobs);
        return;
    }
    for (int k = z0; k < z1; k++)
        for (int j = y0; j < y1; j++)
            for (int i = x0; i < x1; i++) {
                float x = (float)i, y = (float)j, z = (float)k, v = 0.0f;
                if (leaf) field(&v, &x, &y, &z, 1, blobs, nblobs);
                st.value[k * 1024 + j * 32 + i] = v;
                st.inside[k * 1024 + j * 32 + i] = v >= ISO_LEVEL;
            }
}

// Marching tetrahedra over every cube, z outer, y, x inner; cubes with an
// odd origin coordinate are mirrored on that axis.
inline void polygonize(State& st)
{
    st.verts.clear(), st.tris.clear();
    st.vertCount = st.triCount = 0;
    st.stopped = false;
    std::unordered_map<int64_t, int> welded;
    auto edge = [&](int in, int out) {
        auto [at, fresh] = welded.try_emplace((int64_t)std::min(in, out) << 32 | std::max(in, out), st.vertCount);
        if (!fresh) return at->second;
        float fin = st.value[in], t = (fin - ISO_LEVEL) / (fin - st.value[out]);
        for (int shift : {0, 5, 10}) {
            int a = in >> shift & 31, b = out >> shift & 31;
            st.verts.push_back((float)(a - 16) + (float)(b - a) * t);
        }
        return st.vertCount++;
    };
    // Corner labels X + 2 Y + 4 Z; one triangle around a lone corner c,
    // through its edges to the corners listed for c.
    static const int tets[5][4] = {{7, 5, 3, 6}, {1, 5, 0, 3}, {4, 5, 6, 0}, {2, 6, 3, 0}, {0, 6, 3, 5}};
    static const int loneInside[4][3] = {{3, 2, 1}, {0, 2, 3}, {3, 1, 0}, {0, 1, 2}};
    static const int loneOutside[4][3] = {{1, 2, 3}, {3, 2, 0}, {0, 1, 3}, {2, 1, 0}};
    for (int z = 0; z < 31; z++)
        for (int y = 0; y < 31; y++)
            for (int x = 0; x < 31; x++)
                for (const int* tet : tets) {
                    int T[4];
                    for (int k = 0; k < 4; k++) {
                        int X = tet[k] & 1, Y = tet[k] >> 1 & 1, Z = tet[k] >> 2;
                        T[k] = (z + (z % 2 ? 1 - Z : Z)) * 1024 + (y + (y % 2 ? 1 - Y : Y)) * 32 +
                               x + (x % 2 ? 1 - X : X);
                    }
                    if ((x ^ y ^ z) & 1) std::swap(T[2], T[3]);
                    int n = st.inside[T[0]] + st.inside[T[1]] + st.inside[T[2]] + st.inside[T[3]];
                    if (n == 0 || n == 4) continue;
                    if (st.triCount + (n == 2 ? 2 : 1) > ISO_TRI_CAPACITY ||
                        st.vertCount + (n == 2 ? 4 : 3) > ISO_VERT_LIMIT) {
                        st.stopped = true;
                        return;
                    }
                    auto E = [&](int a, int b) { return st.inside[T[a]] ? edge(T[a], T[b]) : edge(T[b], T[a]); };
                    if (n != 2) {
                        int c = 0;
                        while ((st.inside[T[c]] != 0) != (n == 1)) c++;
                        const int* other = n == 1 ? loneInside[c] : loneOutside[c];
                        int a = E(c, other[0]), b = E(c, other[1]), d = E(c, other[2]);
                        st.tris.insert(st.tris.end(), {a, b, d});
                        st.triCount++;
                        continue;
                    }
                    int ins[2], outs[2], ni = 0, no = 0;
                    for (int k = 0; k < 4; k++) (st.inside[T[k]] ? ins[ni++] : outs[no++]) = k;
                    bool even = !st.inside[T[0]] != !st.inside[T[2]];
                    int q0 = E(outs[0], ins[0]);
                    int q1 = even ? E(outs[0], ins[1]) : E(outs[1], ins[0]);
                    int q2 = even ? E(outs[1], ins[0]) : E(outs[0], ins[1]);
                    int q3 = E(outs[1], ins[1]);
                    st.tris.insert(st.tris.end(), {q0, q1, q2, q1, q3, q2});
                    st.triCount += 2;
                }
}

// Each vertex becomes the mean of its triangles' centroids.
inline void smooth(State& st)
{
    std::vector<float> acc(st.vertCount * 4, 0.0f);
    for (int t = 0; t < st.triCount; t++) {
        const int* tri = &st.tris[t * 3];
        for (int a = 0; a < 4; a++) {
            float S = a == 3 ? 3.0f : st.verts[tri[0] * 3 + a] + st.verts[tri[1] * 3 + a] + st.verts[tri[2] * 3 + a];
            for (int k = 0; k < 3; k++) acc[tri[k] * 4 + a] += S;
        }
    }
    for (int v = 0; v < st.vertCount; v++)
        for (int a = 0; a < 3; a++) st.verts[v * 3 + a] = acc[v * 4 + a] / acc[v * 4 + 3];
}

// Negative forward-difference gradient with step 0.01.
inline void normals(State& st, const Blob* blobs, int nblobs)
{
    st.norms.resize(st.verts.size());
    for (size_t i = 0; i < st.verts.size(); i += 3) {
        float q[3] = {st.verts[i] + 16.0f, st.verts[i + 1] + 16.0f, st.verts[i + 2] + 16.0f}, f[4];
        for (int a = 0; a < 4; a++) {
            float s[3] = {q[0], q[1], q[2]};
            if (a > 0) s[a - 1] += 0.01f;
            field(&f[a], &s[0], &s[1], &s[2], 1, blobs, nblobs);
        }
        for (int a = 0; a < 3; a++) st.norms[i + a] = (f[0] - f[a + 1]) * 100.0f;
    }
}

inline void build(State& st, const Blob* blobs, int nblobs)
{
    fill(st, 0, 32, 0, 32, 0, 32, blobs, nblobs);
    polygonize(st);
    smooth(st);
    normals(st, blobs, nblobs);
}

}  // namespace isoref
