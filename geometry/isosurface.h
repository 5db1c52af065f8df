// Metaball isosurface: the blob record, the build operations and the static
// surface arrays they fill (welded triangle mesh of the level 0.12 of the
// summed blob field over a 32 x 32 x 32 lattice).
#pragma once

// One metaball. Centre in lattice units in the centred frame (the lattice
// spans -16 .. 15 on each axis); the field of a blob reaches zero at
// (distance / radius)^2 = 0.5.
struct Blob {
    float x, y, z;
    float radius;
    int negative;  // 0 adds to the field, anything else subtracts
    int shape;     // 0 = spherical, the only falloff there is
};

constexpr int ISO_SIZE = 32;                   // lattice points per axis
constexpr int ISO_CELLS = ISO_SIZE * ISO_SIZE * ISO_SIZE;
constexpr float ISO_LEVEL = 0.12f;             // surface level of the field
constexpr int ISO_VERT_CAPACITY = 491520;      // entries of isoVerts / isoNorms
constexpr int ISO_TRI_CAPACITY = 163840;       // entries of isoTris
constexpr int ISO_CACHE_SLOTS = 1048576;       // edge cache slots

// Room kept after the surface vertices: callers append up to this many
// points of their own to isoVerts right after the last surface vertex, so a
// build never makes more than ISO_VERT_LIMIT vertices. (A 32^3 lattice has
// 187488 tetrahedron edges, so the limit is a guard, never reached in use.)
constexpr int ISO_SPARE_POINTS = 512;
constexpr int ISO_VERT_LIMIT = ISO_VERT_CAPACITY - ISO_SPARE_POINTS;

// Output of the latest build, in the centred lattice frame. Positions and
// normals are 3 floats per vertex, triangles 3 vertex indices each, wound
// counter-clockwise seen from outside. Normals are not unit length.
extern float isoVerts[ISO_VERT_CAPACITY * 3];
extern float isoNorms[ISO_VERT_CAPACITY * 3];
extern int isoTris[ISO_TRI_CAPACITY * 3];
extern int isoVertCount;
extern int isoTriCount;
// Names the current build: edge cache slots carrying another stamp are stale.
extern int isoStamp;

// The whole build: isoInit, reset of the counts, isoFill over the lattice,
// isoPolygonize, isoSmooth, isoNormals, then the next stamp.
//
// Capacity: polygonizing stops for good at the first tetrahedron whose
// triangles would not fit in isoTris, or which might need more vertices than
// ISO_VERT_LIMIT allows. Everything made before stays, so the result is a
// prefix of the full mesh: every index is below isoVertCount and every vertex
// belongs to a triangle. Only a very finely broken field (over five
// triangles per lattice cube on average) can get there.
void isoBuild(const Blob* blobs, int nblobs);

// One-time set-up of the lattice, the output arrays and the edge cache; later
// calls return at once.
void isoInit();
// Field at n points given as lattice coordinates (0 .. 31 frame, not centred).
void isoField(float* out, const float* xs, const float* ys, const float* zs, int n,
              const Blob* blobs, int nblobs);
// Evaluates the half-open box [x0, x1) x [y0, y1) x [z0, z1) of lattice
// indices into the lattice, clearing sub-boxes no blob reaches.
void isoFill(int x0, int x1, int y0, int y1, int z0, int z1, const Blob* blobs, int nblobs);
// Appends the surface of the evaluated lattice to isoVerts / isoTris.
void isoPolygonize();
// One pass of averaging each vertex with its triangles' centroids.
void isoSmooth();
// Negative forward-difference gradient (step 0.01) of the field at count
// centred positions.
void isoNormals(const float* positions, float* normals, int count, const Blob* blobs, int nblobs);
