// Metaball isosurface: the blob record, the surface a build fills (a
// welded triangle mesh of the level 0.12 of the summed blob field over a
// 32 x 32 x 32 lattice) and the build.
#pragma once
#include <memory>
#include <vector>

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
constexpr int ISO_VERT_CAPACITY = 491520;      // vertices a surface holds
constexpr int ISO_TRI_CAPACITY = 163840;       // triangles a surface holds
constexpr int ISO_CACHE_SLOTS = 1048576;       // edge cache slots

// Room kept after the surface vertices: callers append up to this many
// points of their own to verts right after the last surface vertex, so a
// build never makes more than ISO_VERT_LIMIT vertices. (A 32^3 lattice has
// 187488 tetrahedron edges, so the limit is a guard, never reached in use.)
constexpr int ISO_SPARE_POINTS = 512;
constexpr int ISO_VERT_LIMIT = ISO_VERT_CAPACITY - ISO_SPARE_POINTS;

// A surface and the storage of its builds, owned by whoever builds it.
// Positions and normals are 3 floats per vertex, triangles 3 vertex indices
// each, wound counter-clockwise seen from outside, in the centred lattice
// frame; normals are not unit length. The arrays hold ISO_VERT_CAPACITY
// vertices and ISO_TRI_CAPACITY triangles once a build has made them.
struct IsoWork;  // a build's working arrays (geometry/iso_internal.h)
struct IsoWorkFree {
    void operator()(IsoWork* work) const;
};
struct IsoSurface {
    std::vector<float> verts, norms;
    std::vector<int> tris;
    int vertCount = 0;
    int triCount = 0;
    // The lattice, the edge cache and the smoothing sums: made by the first
    // build, used again by the next ones.
    std::unique_ptr<IsoWork, IsoWorkFree> work;
};

// Rebuilds surface from the blobs: the lattice filled, the surface
// polygonized, smoothed once and given its normals.
//
// Capacity: polygonizing stops for good at the first tetrahedron whose
// triangles would not fit in the triangle array, or which might need more
// vertices than ISO_VERT_LIMIT allows. Everything made before stays, so the
// result is a prefix of the full mesh: every index is below vertCount and
// every vertex belongs to a triangle. Only a very finely broken field (over
// five triangles per lattice cube on average) can get there.
void isoBuild(IsoSurface& surface, const Blob* blobs, int nblobs);

// Field at n points given as lattice coordinates (0 .. 31 frame, not centred).
void isoField(float* out, const float* xs, const float* ys, const float* zs, int n,
              const Blob* blobs, int nblobs);
// Negative forward-difference gradient (step 0.01) of the field at count
// centred positions.
void isoNormals(const float* positions, float* normals, int count, const Blob* blobs, int nblobs);
