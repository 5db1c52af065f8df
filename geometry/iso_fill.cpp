// Lattice evaluation of the isosurface: the recursive fill that clears boxes
// no blob reaches and evaluates the rest in 4 x 4 x 4 leaves, keeping the
// inside bits and the per-plane counters.
#include "geometry/iso_internal.h"

#include <cstring>
#include <vector>

// Leaf rows are evaluated in batches of this many x rows of four lanes.
constexpr int LEAF_ROWS = 16;

static inline int blockOf(int i, int j, int k) { return (k >> 2) * 64 + (j >> 2) * 8 + (i >> 2); }

// Evaluates rows (j[r], k[r]) of lanes x0 .. x0 + 3 and stores lanes below
// x1. Blob-outer: dx^2 depends on the lane only and dy^2, dz^2 on the row
// only, so they are computed once per blob and combined per point in the
// order (dx^2 + dy^2) + dz^2.
static void leafRows(IsoWork& w, int x0, int x1, const int* js, const int* ks, int rows,
                     const IsoBlobPrep* blobs, const int* list, int nlist)
{
    IsoV4 lanes = {(float)x0, (float)(x0 + 1), (float)(x0 + 2), (float)(x0 + 3)};
    IsoV4 acc[LEAF_ROWS];
    for (int r = 0; r < rows; r++) acc[r] = IsoV4{0.0f, 0.0f, 0.0f, 0.0f};

    float lo[3] = {(float)x0, (float)js[0], (float)ks[0]};
    float hi[3] = {(float)(x1 - 1), (float)js[0], (float)ks[0]};
    for (int r = 1; r < rows; r++) {
        lo[1] = js[r] < lo[1] ? js[r] : lo[1];
        hi[1] = js[r] > hi[1] ? js[r] : hi[1];
        lo[2] = ks[r] < lo[2] ? ks[r] : lo[2];
        hi[2] = ks[r] > hi[2] ? ks[r] : hi[2];
    }
    for (int i = 0; i < nlist; i++) {
        const IsoBlobPrep& bl = blobs[list[i]];
        if (isoBlobMisses(bl, lo, hi)) continue;
        IsoV4 dx = lanes - bl.cx;
        IsoV4 dx2 = dx * dx;
        for (int r = 0; r < rows; r++) {
            float dy = (float)js[r] - bl.cy, dz = (float)ks[r] - bl.cz;
            IsoV4 term = isoBlobTerm(dx2 + dy * dy + dz * dz, bl.inv);
            acc[r] = bl.negative ? acc[r] - term : acc[r] + term;
        }
    }

    const IsoV4 level = {ISO_LEVEL, ISO_LEVEL, ISO_LEVEL, ISO_LEVEL};
    int width = x1 - x0;
    uint32_t keep = (1u << width) - 1u;
    for (int r = 0; r < rows; r++) {
        int j = js[r], k = ks[r];
        float* dst = w.cellValue + k * 1024 + j * 32 + x0;
        for (int l = 0; l < width; l++) dst[l] = acc[r][l];
        IsoI4 in = (IsoI4)(acc[r] >= level);
        uint32_t bits = ((uint32_t)in[0] & 1u) | ((uint32_t)in[1] & 2u) | ((uint32_t)in[2] & 4u) |
                        ((uint32_t)in[3] & 8u);
        bits &= keep;
        uint32_t& row = w.insideRows[k * 32 + j];
        row = (row & ~(keep << x0)) | (bits << x0);
        w.blockZero[blockOf(x0, j, k)] = 0;
        w.blockZero[blockOf(x1 - 1, j, k)] = 0;
        if (bits) {
            int n = __builtin_popcount(bits);
            w.countY[j] += n;
            w.countZ[k] += n;
            for (int l = 0; l < width; l++) w.countX[x0 + l] += (bits >> l) & 1;
        }
    }
}

// An aligned 4 x 4 x 4 block: the same evaluation as leafRows with the row
// and plane offsets squared once per blob. A block no blob reaches is all
// zeros and is not written again while it stays that way.
static void fillBlock(IsoWork& w, int x0, int y0, int z0, const IsoBlobPrep* blobs, const int* list, int nlist)
{
    const float lo[3] = {(float)x0, (float)y0, (float)z0};
    const float hi[3] = {(float)(x0 + 3), (float)(y0 + 3), (float)(z0 + 3)};
    const IsoV4 lanes = {(float)x0, (float)(x0 + 1), (float)(x0 + 2), (float)(x0 + 3)};
    IsoV4 acc[16];
    for (int r = 0; r < 16; r++) acc[r] = IsoV4{0.0f, 0.0f, 0.0f, 0.0f};
    int used = 0;
    for (int i = 0; i < nlist; i++) {
        const IsoBlobPrep& bl = blobs[list[i]];
        if (isoBlobMisses(bl, lo, hi)) continue;
        used++;
        IsoV4 dx = lanes - bl.cx;
        IsoV4 dx2 = dx * dx;
        float dy2[4], dz2[4];
        for (int a = 0; a < 4; a++) {
            float dy = (float)(y0 + a) - bl.cy, dz = (float)(z0 + a) - bl.cz;
            dy2[a] = dy * dy;
            dz2[a] = dz * dz;
        }
        if (bl.negative) {
            for (int r = 0; r < 16; r++)
                acc[r] -= isoBlobTerm(dx2 + dy2[r & 3] + dz2[r >> 2], bl.inv);
        } else {
            for (int r = 0; r < 16; r++)
                acc[r] += isoBlobTerm(dx2 + dy2[r & 3] + dz2[r >> 2], bl.inv);
        }
    }
    uint8_t& zero = w.blockZero[blockOf(x0, y0, z0)];
    if (!used && zero) return;

    const IsoV4 level = {ISO_LEVEL, ISO_LEVEL, ISO_LEVEL, ISO_LEVEL};
    IsoI4 nonzero = {0, 0, 0, 0};
    for (int r = 0; r < 16; r++) {
        int j = y0 + (r & 3), k = z0 + (r >> 2);
        float* dst = w.cellValue + k * 1024 + j * 32 + x0;
        memcpy(dst, &acc[r], sizeof(IsoV4));
        nonzero |= (IsoI4)acc[r];
        IsoI4 in = (IsoI4)(acc[r] >= level);
        uint32_t bits = ((uint32_t)in[0] & 1u) | ((uint32_t)in[1] & 2u) | ((uint32_t)in[2] & 4u) |
                        ((uint32_t)in[3] & 8u);
        uint32_t& row = w.insideRows[k * 32 + j];
        row = (row & ~(15u << x0)) | (bits << x0);
        if (bits) {
            int n = __builtin_popcount(bits);
            w.countY[j] += n;
            w.countZ[k] += n;
            for (int l = 0; l < 4; l++) w.countX[x0 + l] += (bits >> l) & 1;
        }
    }
    zero = !(nonzero[0] | nonzero[1] | nonzero[2] | nonzero[3]);
}

// Leaf: the box [x0, x1) x [y0, y1) x [z0, z1) with x1 - x0 <= 4, rows in
// z-outer, y-inner order.
static void fillLeaf(IsoWork& w, int x0, int x1, int y0, int y1, int z0, int z1, const IsoBlobPrep* blobs,
                     const int* list, int nlist)
{
    if (x1 <= x0 || y1 <= y0 || z1 <= z0) return;
    if (x1 - x0 == 4 && y1 - y0 == 4 && z1 - z0 == 4 && !((x0 | y0 | z0) & 3)) {
        fillBlock(w, x0, y0, z0, blobs, list, nlist);
        return;
    }
    int js[LEAF_ROWS], ks[LEAF_ROWS], rows = 0;
    for (int k = z0; k < z1; k++)
        for (int j = y0; j < y1; j++) {
            js[rows] = j;
            ks[rows] = k;
            if (++rows == LEAF_ROWS) {
                leafRows(w, x0, x1, js, ks, rows, blobs, list, nlist);
                rows = 0;
            }
        }
    if (rows) leafRows(w, x0, x1, js, ks, rows, blobs, list, nlist);
}

static void clearBox(IsoWork& w, int x0, int x1, int y0, int y1, int z0, int z1)
{
    if (x1 <= x0) return;
    if (!((x0 | x1 | y0 | y1 | z0 | z1) & 3)) {
        // Whole blocks: skip those already zero.
        for (int k = z0; k < z1; k += 4)
            for (int j = y0; j < y1; j += 4)
                for (int i = x0; i < x1; i += 4) {
                    uint8_t& zero = w.blockZero[blockOf(i, j, k)];
                    if (zero) continue;
                    for (int kk = k; kk < k + 4; kk++)
                        for (int jj = j; jj < j + 4; jj++) {
                            memset(w.cellValue + kk * 1024 + jj * 32 + i, 0, 4 * sizeof(float));
                            w.insideRows[kk * 32 + jj] &= ~(15u << i);
                        }
                    zero = 1;
                }
        return;
    }
    // Zeros written into part of a block leave what is known about it true.
    uint32_t span = (x1 - x0 >= 32 ? ~0u : ((1u << (x1 - x0)) - 1u)) << x0;
    for (int k = z0; k < z1; k++)
        for (int j = y0; j < y1; j++) {
            memset(w.cellValue + k * 1024 + j * 32 + x0, 0, sizeof(float) * (x1 - x0));
            w.insideRows[k * 32 + j] &= ~span;
        }
}

// Box [x0, x1) x [y0, y1) x [z0, z1). list holds, in order, the nlist
// blobs whose bound box meets the box (bounds taken inclusive of the
// exclusive ends); every blob that touches the box or reaches one of its
// points is among them. scratch has room for the children's lists.
static void fillBox(IsoWork& w, int x0, int x1, int y0, int y1, int z0, int z1, const IsoBlobPrep* blobs,
                    const int* list, int nlist, int* scratch)
{
    if (x1 - x0 <= 4) {
        fillLeaf(w, x0, x1, y0, y1, z0, z1, blobs, list, nlist);
        return;
    }
    for (int i = 0; i < nlist; i++) {
        const IsoBlobPrep& bl = blobs[list[i]];
        float h = bl.reach;
        if (x0 <= bl.cx + h && bl.cx - h <= x1 && y0 <= bl.cy + h && bl.cy - h <= y1 &&
            z0 <= bl.cz + h && bl.cz - h <= z1) {
            int hx = (x1 - x0) / 2, hy = (y1 - y0) / 2, hz = (z1 - z0) / 2;
            int xs[3] = {x0, x0 + hx, x1}, ys[3] = {y0, y0 + hy, y1}, zs[3] = {z0, z0 + hz, z1};
            for (int c = 0; c < 2; c++)
                for (int b = 0; b < 2; b++)
                    for (int a = 0; a < 2; a++) {
                        float lo[3] = {(float)xs[a], (float)ys[b], (float)zs[c]};
                        float hi[3] = {(float)xs[a + 1], (float)ys[b + 1], (float)zs[c + 1]};
                        int n = isoBlobsNear(blobs, list, nlist, lo, hi, scratch);
                        fillBox(w, xs[a], xs[a + 1], ys[b], ys[b + 1], zs[c], zs[c + 1], blobs,
                                scratch, n, scratch + n);
                    }
            return;
        }
    }
    clearBox(w, x0, x1, y0, y1, z0, z1);
}

static int clampLattice(int v) { return v < 0 ? 0 : v > ISO_SIZE ? ISO_SIZE : v; }

void isoFill(IsoWork& work, int x0, int x1, int y0, int y1, int z0, int z1, const Blob* blobs, int nblobs)
{
    // Boxes reaching outside the lattice are cut to it.
    x0 = clampLattice(x0), x1 = clampLattice(x1);
    y0 = clampLattice(y0), y1 = clampLattice(y1);
    z0 = clampLattice(z0), z1 = clampLattice(z1);
    if (nblobs < 0) nblobs = 0;
    // Blob constants and one index list per level of the recursion (a box of
    // 32 is four levels deep including its leaves).
    constexpr int LEVELS = 6;
    IsoBlobPrep local[ISO_STACK_BLOBS];
    int localLists[LEVELS * ISO_STACK_BLOBS];
    std::vector<IsoBlobPrep> heap;
    std::vector<int> heapLists;
    IsoBlobPrep* prep = local;
    int* lists = localLists;
    if (nblobs > ISO_STACK_BLOBS) {
        heap.resize(nblobs);
        heapLists.resize((size_t)LEVELS * nblobs);
        prep = heap.data();
        lists = heapLists.data();
    }
    isoPrepareBlobs(blobs, nblobs, prep);
    float lo[3] = {(float)x0, (float)y0, (float)z0}, hi[3] = {(float)x1, (float)y1, (float)z1};
    int n = isoBlobsNear(prep, nullptr, nblobs, lo, hi, lists);
    fillBox(work, x0, x1, y0, y1, z0, z1, prep, lists, n, lists + n);
}
