// What the isosurface source files share: a build's working arrays (the
// evaluated lattice, the per-plane occupancy counters, the edge cache), the
// per-cube case tables and the steps of a build.
#pragma once
#include "geometry/isosurface.h"

#include <cstdint>

struct IsoSlot {
    int vertex;
    int stamp;
};
// Offset making the lowest edge key (-133152) slot 0.
constexpr int ISO_KEY_BIAS = 133152;

// The working arrays of a surface's builds. They start out zero, but for
// the cache slots, which start stale.
struct IsoWork {
    // Lattice values, index k * 1024 + j * 32 + i (x fastest).
    alignas(64) float cellValue[ISO_CELLS];
    // Inside flags of the lattice as bit rows: bit i of insideRows[k * 32 + j]
    // is set when the value at (i, j, k) is at least ISO_LEVEL.
    uint32_t insideRows[ISO_SIZE * ISO_SIZE];
    // Number of inside cells in each x, y and z plane.
    int countX[ISO_SIZE], countY[ISO_SIZE], countZ[ISO_SIZE];
    // Per aligned 4 x 4 x 4 block of the lattice (index (k/4) * 64 + (j/4) * 8
    // + i/4): 1 when every value in it is known to be 0 (and so no cell
    // inside), which lets a clear skip it. 0 means nothing is known.
    uint8_t blockZero[512];
    // The edge cache; slots carrying another stamp than the build's are stale.
    IsoSlot cache[ISO_CACHE_SLOTS];
    int stamp;
    // Smoothing accumulators: x, y, z sums and weight per vertex.
    alignas(16) float smoothSums[ISO_VERT_LIMIT][4];
};

// Corner numbering inside a cube: P = ox + 2 oy + 4 oz for the offsets of the
// corner from the cube's origin cell.
//
// An edge between an inside corner and an outside corner, relative to the
// cube's origin.
struct IsoEdge {
    int slotOffset;        // edge cache key minus the origin's share
    int16_t inCell;        // lattice index offset of the inside corner
    int16_t outCell;       // and of the outside corner
    float inX, inY, inZ;   // offsets of the inside corner (0 or 1)
    float dX, dY, dZ;      // outside minus inside corner (-1, 0 or 1)
};

// What one cube contributes, for one corner mask (bit P set when corner P is
// inside) and one mirroring (bit 0, 1, 2 set when the origin's x, y, z is
// odd): its distinct edges in the order the tetrahedra first ask for them,
// and its triangles as positions in that list, in output order.
constexpr int ISO_CUBE_MAX_EDGES = 18;
constexpr int ISO_CUBE_MAX_TRIS = 10;
struct IsoCubeCase {
    uint8_t edgeCount;
    uint8_t triCount;
    uint8_t edges[ISO_CUBE_MAX_EDGES];  // indices into IsoCaseTables::edges
    uint8_t tris[ISO_CUBE_MAX_TRIS][3];
};
struct IsoCaseTables {
    IsoEdge edges[64];          // by inside corner * 8 + outside corner
    IsoCubeCase cubes[8][256];  // [mirroring][corner mask]
};
extern const IsoCaseTables isoCaseTables;  // constant: built before main from the tetrahedra

// The five tetrahedra of a cube as corner labels cXYZ (X + 2 Y + 4 Z),
// before mirroring and before the parity exchange of the last two corners.
extern const int isoTetCorners[5][4];

// The steps of a build. Evaluates the half-open box [x0, x1) x [y0, y1) x
// [z0, z1) of lattice indices into the lattice, clearing sub-boxes no blob
// reaches.
void isoFill(IsoWork& work, int x0, int x1, int y0, int y1, int z0, int z1, const Blob* blobs, int nblobs);
// Appends the surface of the evaluated lattice to the surface's vertices and
// triangles, under the work's current stamp.
void isoPolygonize(IsoWork& work, IsoSurface& surface);
// One pass of averaging each vertex with its triangles' centroids.
void isoSmooth(IsoWork& work, IsoSurface& surface);

// Four float lanes (GCC vector extension; SSE registers on x86-64).
typedef float IsoV4 __attribute__((vector_size(16)));
typedef int32_t IsoI4 __attribute__((vector_size(16)));

// A blob's constants for the field and for culling.
struct IsoBlobPrep {
    float cx, cy, cz;  // centre in the lattice frame (0 .. 31)
    float inv;         // 1 / (R * R)
    float reach;       // 0.707 R, the reach used to cull boxes
    float bound;       // |R|: no point farther than this on an axis is reached
    int negative;
    double cullReach2;  // squared distance beyond which the blob surely adds nothing
};
void isoPrepareBlobs(const Blob* blobs, int nblobs, IsoBlobPrep* out);
// True when the blob adds nothing anywhere in the box [lo, hi] (inclusive,
// lattice frame). Errs on the side of false.
bool isoBlobMisses(const IsoBlobPrep& b, const float lo[3], const float hi[3]);
// Writes to out the entries of list (blob indices, in order) whose bound box
// meets the box [lo, hi]; list null means all n blobs. Returns their number.
// Every blob that reaches a point of the box is kept.
int isoBlobsNear(const IsoBlobPrep* blobs, const int* list, int n, const float lo[3],
                 const float hi[3], int* out);

// Blob contribution to four field values: s < 0.5 adds (or subtracts)
// s * s - s + 0.25, with s = (dx^2 + dy^2 + dz^2) / R^2 already summed in
// that order.
static inline IsoV4 isoBlobTerm(IsoV4 sum, float inv)
{
    const IsoV4 half = {0.5f, 0.5f, 0.5f, 0.5f}, quarter = {0.25f, 0.25f, 0.25f, 0.25f};
    IsoV4 s = sum * inv;
    IsoV4 term = s * s - s + quarter;
    return (IsoV4)((IsoI4)term & (IsoI4)(s < half));
}

// Blob constants are kept on the stack up to this many blobs.
constexpr int ISO_STACK_BLOBS = 64;
