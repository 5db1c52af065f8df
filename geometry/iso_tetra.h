// One tetrahedron of a lattice cube: which of its edges the surface crosses,
// in the order they are looked up, and the triangles made from them.
#pragma once
#include <cstdint>

struct IsoTetCase {
    int lookupCount;               // 0, 3 or 4 edge lookups
    int inCorner[4], outCorner[4];  // cube corners (ox + 2 oy + 4 oz) per lookup
    int triCount;                  // 0, 1 or 2
    uint8_t tris[2][3];            // positions in the lookup list
};

// Cube corners of tetrahedron tet (0 .. 4) for a cube with the given
// mirroring (bit 0, 1, 2: the origin's x, y, z is odd).
void isoTetCube(int tet, int mirror, int P[4]);
// Case of a tetrahedron with cube corners P given the cube's inside corner
// mask; returns the number of inside corners.
int isoTetCase(const int P[4], int mask, IsoTetCase& out);
