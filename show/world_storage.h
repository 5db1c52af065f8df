// What the world scene keeps from frame to frame: the storage it rebuilds
// every frame, kept so that a frame allocates none of it, and the particle
// renderer's tables.
#pragma once
#include <cstdint>
#include <vector>

#include "geometry/isosurface.h"
#include "geometry/particles.h"

struct WorldStorage {
    // The metaball surface; a frame's sphere points go after its vertices.
    IsoSurface surface;
    // Sprite image of each particle: 0 on the surface, 1 on the sphere.
    std::vector<uint8_t> particleFrames;
    ParticleTables particles;
};
