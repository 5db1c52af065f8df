// Per-particle sizes derived from a triangle mesh.
#pragma once

// One size per mesh vertex (the mean quarter-perimeter of the triangles that
// use it) followed by extra entries of defaultSize. The caller frees the
// heap array with free() (it comes from malloc, like every heap result).
float* meshParticleSizes(const float* positions, int count, const int* triangles, int ntris, int extra,
                         float defaultSize);
