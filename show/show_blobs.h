// The eight animated metaballs of the world scene at a given show time.
#pragma once
#include "geometry/isosurface.h"

constexpr int SHOW_BLOB_COUNT = 8;

// Blob 0: a central hollow of radius 5 that closes between t = 10 and 15.
// Blobs 1 .. 7: positive, circling the centre in the z = 0 plane, growing in
// one by one and drawing in towards the centre as the show nears t = 16.
void showBlobs(float t, Blob out[SHOW_BLOB_COUNT]);
