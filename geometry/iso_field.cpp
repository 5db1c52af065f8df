// Evaluation of the summed metaball field: blob constants and culling, the
// batched field at arbitrary points and the gradient normals.
//
// Every value is the sum over the blobs in array order of the terms of the
// blobs that reach the point, each term computed exactly as
// s = (dx*dx + dy*dy + dz*dz) * (1 / (R*R)), value += sign * (s*s - s + 0.25);
// the loops run blob-outer over groups of points so the point loop works on
// four lanes at a time, and blobs that reach no point of a group are skipped
// (they would add nothing).
#include "geometry/iso_internal.h"

#include <cmath>
#include <vector>

void isoPrepareBlobs(const Blob* blobs, int nblobs, IsoBlobPrep* out)
{
    for (int b = 0; b < nblobs; b++) {
        const Blob& bl = blobs[b];
        IsoBlobPrep& p = out[b];
        p.cx = bl.x + 16.0f;
        p.cy = bl.y + 16.0f;
        p.cz = bl.z + 16.0f;
        p.inv = 1.0f / (bl.radius * bl.radius);
        p.reach = 0.707f * bl.radius;
        p.bound = std::fabs(bl.radius);
        p.negative = bl.negative != 0;
        double r2 = (double)bl.radius * (double)bl.radius;
        // The float s may come out a few units in the last place below the
        // exact one; a thousandth of slack covers that. Vanishing radii
        // (where R * R loses its precision) are never culled.
        p.cullReach2 = r2 > 1e-30 ? 0.5 * r2 * 1.001 : -1.0;
    }
}

bool isoBlobMisses(const IsoBlobPrep& b, const float lo[3], const float hi[3])
{
    if (!(b.cullReach2 >= 0.0)) return false;
    const float c[3] = {b.cx, b.cy, b.cz};
    double d2 = 0.0;
    for (int a = 0; a < 3; a++) {
        double below = (double)lo[a] - (double)c[a], above = (double)c[a] - (double)hi[a];
        double e = below > above ? below : above;
        if (e > 0.0) d2 += e * e;
        else if (!(e <= 0.0)) return false;  // not a number: keep the blob
    }
    return d2 > b.cullReach2;
}

int isoBlobsNear(const IsoBlobPrep* blobs, const int* list, int n, const float lo[3],
                 const float hi[3], int* out)
{
    int kept = 0;
    for (int i = 0; i < n; i++) {
        int b = list ? list[i] : i;
        const IsoBlobPrep& bl = blobs[b];
        float r = bl.bound;
        // Written so that a centre or bound that is not a number keeps nothing:
        // such a blob adds nothing anywhere.
        if (lo[0] <= bl.cx + r && bl.cx - r <= hi[0] && lo[1] <= bl.cy + r &&
            bl.cy - r <= hi[1] && lo[2] <= bl.cz + r && bl.cz - r <= hi[2])
            out[kept++] = b;
    }
    return kept;
}

// Blob constants and index lists for one call, on the stack for small blob
// counts.
struct PrepList {
    IsoBlobPrep local[ISO_STACK_BLOBS];
    int localLists[2][ISO_STACK_BLOBS];
    std::vector<IsoBlobPrep> heap;
    std::vector<int> heapLists;
    IsoBlobPrep* blobs;
    int* outer;  // blobs near a block of points
    int* inner;  // of those, blobs reaching a batch
    PrepList(const Blob* src, int n)
    {
        if (n > ISO_STACK_BLOBS) {
            heap.resize(n);
            heapLists.resize(2 * (size_t)n);
            blobs = heap.data();
            outer = heapLists.data();
            inner = outer + n;
        } else {
            blobs = local;
            outer = localLists[0];
            inner = localLists[1];
        }
        isoPrepareBlobs(src, n, blobs);
    }
};

static inline IsoV4 splat(float v) { return IsoV4{v, v, v, v}; }

// Box of the points of a batch (points that are not numbers are left out).
static void bounds(const IsoV4* xs, const IsoV4* ys, const IsoV4* zs, int groups, float lo[3],
                   float hi[3])
{
    const float inf = __builtin_inff();
    IsoV4 mn[3], mx[3];
    for (int a = 0; a < 3; a++) {
        mn[a] = splat(inf);
        mx[a] = splat(-inf);
    }
    for (int g = 0; g < groups; g++) {
        const IsoV4 v[3] = {xs[g], ys[g], zs[g]};
        for (int a = 0; a < 3; a++) {
            mn[a] = v[a] < mn[a] ? v[a] : mn[a];
            mx[a] = v[a] > mx[a] ? v[a] : mx[a];
        }
    }
    for (int a = 0; a < 3; a++) {
        lo[a] = inf;
        hi[a] = -inf;
        for (int l = 0; l < 4; l++) {
            lo[a] = mn[a][l] < lo[a] ? mn[a][l] : lo[a];
            hi[a] = mx[a][l] > hi[a] ? mx[a][l] : hi[a];
        }
    }
}

// Box of count points given as three coordinate arrays.
static void pointBounds(const float* xs, const float* ys, const float* zs, int count, float lo[3],
                        float hi[3])
{
    const float* c[3] = {xs, ys, zs};
    for (int a = 0; a < 3; a++) {
        lo[a] = __builtin_inff();
        hi[a] = -__builtin_inff();
        for (int i = 0; i < count; i++) {
            float v = c[a][i];
            lo[a] = v < lo[a] ? v : lo[a];
            hi[a] = v > hi[a] ? v : hi[a];
        }
    }
}

constexpr int GROUPS = 16;     // groups of four points per batch
constexpr int BLOCK = 256;     // points per block, for a first cut of the blobs

// Blob-outer evaluation of one batch of up to GROUPS * 4 points.
static void batchField(IsoV4* acc, const IsoV4* px, const IsoV4* py, const IsoV4* pz, int groups,
                       const IsoBlobPrep* blobs, const int* list, int nlist)
{
    for (int g = 0; g < groups; g++) acc[g] = splat(0.0f);
    for (int i = 0; i < nlist; i++) {
        const IsoBlobPrep& bl = blobs[list[i]];
        for (int g = 0; g < groups; g++) {
            IsoV4 dx = px[g] - bl.cx, dy = py[g] - bl.cy, dz = pz[g] - bl.cz;
            IsoV4 term = isoBlobTerm(dx * dx + dy * dy + dz * dz, bl.inv);
            acc[g] = bl.negative ? acc[g] - term : acc[g] + term;
        }
    }
}

// Blobs of the outer list that reach some point of a batch.
static int batchBlobs(const PrepList& prep, int nouter, const float lo[3], const float hi[3])
{
    int near = isoBlobsNear(prep.blobs, prep.outer, nouter, lo, hi, prep.inner);
    int n = 0;
    for (int i = 0; i < near; i++)
        if (!isoBlobMisses(prep.blobs[prep.inner[i]], lo, hi)) prep.inner[n++] = prep.inner[i];
    return n;
}

void isoField(float* out, const float* xs, const float* ys, const float* zs, int n,
              const Blob* blobs, int nblobs)
{
    if (nblobs < 0) nblobs = 0;
    PrepList prep(blobs, nblobs);
    for (int block = 0; block < n; block += BLOCK) {
        int inBlock = n - block < BLOCK ? n - block : BLOCK;
        float lo[3], hi[3];
        pointBounds(xs + block, ys + block, zs + block, inBlock, lo, hi);
        int nouter = isoBlobsNear(prep.blobs, nullptr, nblobs, lo, hi, prep.outer);
        for (int start = block; start < block + inBlock; start += GROUPS * 4) {
            int count = block + inBlock - start < GROUPS * 4 ? block + inBlock - start : GROUPS * 4;
            int groups = (count + 3) / 4;
            IsoV4 px[GROUPS], py[GROUPS], pz[GROUPS], acc[GROUPS];
            for (int i = 0; i < groups * 4; i++) {
                // Pad the last group with copies of the last point.
                int src = start + (i < count ? i : count - 1);
                px[i / 4][i % 4] = xs[src];
                py[i / 4][i % 4] = ys[src];
                pz[i / 4][i % 4] = zs[src];
            }
            bounds(px, py, pz, groups, lo, hi);
            int ninner = batchBlobs(prep, nouter, lo, hi);
            batchField(acc, px, py, pz, groups, prep.blobs, prep.inner, ninner);
            for (int i = 0; i < count; i++) out[start + i] = acc[i / 4][i % 4];
        }
    }
}

// Eight float lanes: one AVX register where the processor has AVX2, two
// SSE registers otherwise (the arithmetic, and so every result, is the same;
// no fused multiply-add is ever used).
typedef float IsoV8 __attribute__((vector_size(32)));
typedef int32_t IsoI8 __attribute__((vector_size(32)));

// isoBlobTerm on eight lanes (by reference: eight-lane values are not passed
// in registers without AVX).
__attribute__((always_inline)) static inline void blobTerm8(IsoV8& term, const IsoV8& sum,
                                                            float inv)
{
    const IsoV8 half = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    const IsoV8 quarter = {0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f, 0.25f};
    IsoV8 s = sum * inv;
    IsoV8 t = s * s - s + quarter;
    term = (IsoV8)((IsoI8)t & (IsoI8)(s < half));
}

constexpr int NORMAL_GROUPS = 2;  // groups of eight points per batch

// Windows executables cannot pick a clone at load time (no ifunc), and
// WebAssembly has one processor: there the batch is built once, for the
// baseline.
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
#define NORMAL_BATCH_CLONES
#else
#define NORMAL_BATCH_CLONES __attribute__((target_clones("avx2", "default")))
#endif

// Field at q and at q stepped on each axis, for groups of eight points.
NORMAL_BATCH_CLONES static void normalBatch(
    IsoV8 f[4][NORMAL_GROUPS], const IsoV8 q[3][NORMAL_GROUPS], int groups,
    const IsoBlobPrep* blobs, const int* list, int nlist)
{
    const float step = 0.01f;
    for (int g = 0; g < groups; g++)
        for (int k = 0; k < 4; k++) f[k][g] = IsoV8{};
    for (int b = 0; b < nlist; b++) {
        const IsoBlobPrep& bl = blobs[list[b]];
        for (int g = 0; g < groups; g++) {
            IsoV8 dx = q[0][g] - bl.cx, dy = q[1][g] - bl.cy, dz = q[2][g] - bl.cz;
            IsoV8 ex = (q[0][g] + step) - bl.cx, ey = (q[1][g] + step) - bl.cy;
            IsoV8 ez = (q[2][g] + step) - bl.cz;
            IsoV8 dx2 = dx * dx, dy2 = dy * dy, dz2 = dz * dz;
            IsoV8 xy = dx2 + dy2;
            IsoV8 t0, tx, ty, tz;
            blobTerm8(t0, xy + dz2, bl.inv);
            blobTerm8(tx, ex * ex + dy2 + dz2, bl.inv);
            blobTerm8(ty, dx2 + ey * ey + dz2, bl.inv);
            blobTerm8(tz, xy + ez * ez, bl.inv);
            if (bl.negative) {
                f[0][g] -= t0;
                f[1][g] -= tx;
                f[2][g] -= ty;
                f[3][g] -= tz;
            } else {
                f[0][g] += t0;
                f[1][g] += tx;
                f[2][g] += ty;
                f[3][g] += tz;
            }
        }
    }
}

void isoNormals(const float* positions, float* normals, int count, const Blob* blobs, int nblobs)
{
    if (nblobs < 0) nblobs = 0;
    PrepList prep(blobs, nblobs);
    const float step = 0.01f;
    constexpr int BATCH = NORMAL_GROUPS * 8;
    for (int block = 0; block < count; block += BLOCK) {
        int inBlock = count - block < BLOCK ? count - block : BLOCK;
        float lo[3], hi[3];
        for (int a = 0; a < 3; a++) {
            lo[a] = __builtin_inff();
            hi[a] = -__builtin_inff();
        }
        for (int i = block; i < block + inBlock; i++)
            for (int a = 0; a < 3; a++) {
                float v = positions[3 * i + a] + 16.0f, v2 = v + step;
                lo[a] = v < lo[a] ? v : lo[a];
                hi[a] = v2 > hi[a] ? v2 : hi[a];
            }
        int nouter = isoBlobsNear(prep.blobs, nullptr, nblobs, lo, hi, prep.outer);
        for (int start = block; start < block + inBlock; start += BATCH) {
            int left = block + inBlock - start;
            int n = left < BATCH ? left : BATCH;
            int groups = (n + 7) / 8;
            // q = p + 16, the last group padded with copies of the last point.
            IsoV8 q[3][NORMAL_GROUPS], f[4][NORMAL_GROUPS];
            for (int a = 0; a < 3; a++) {
                lo[a] = __builtin_inff();
                hi[a] = -__builtin_inff();
            }
            for (int i = 0; i < groups * 8; i++) {
                const float* p = positions + 3 * (start + (i < n ? i : n - 1));
                for (int a = 0; a < 3; a++) {
                    float v = p[a] + 16.0f, v2 = v + step;
                    q[a][i / 8][i % 8] = v;
                    lo[a] = v < lo[a] ? v : lo[a];
                    hi[a] = v2 > hi[a] ? v2 : hi[a];
                }
            }
            int ninner = batchBlobs(prep, nouter, lo, hi);
            normalBatch(f, q, groups, prep.blobs, prep.inner, ninner);
            for (int i = 0; i < n; i++) {
                float* o = normals + 3 * (start + i);
                float v = f[0][i / 8][i % 8];
                o[0] = (v - f[1][i / 8][i % 8]) * 100.0f;
                o[1] = (v - f[2][i / 8][i % 8]) * 100.0f;
                o[2] = (v - f[3][i / 8][i % 8]) * 100.0f;
            }
        }
    }
}
