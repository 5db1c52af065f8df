// Metaball isosurface: mesh topology and geometry, agreement with a plain
// reference build (bit for bit), the edge cache across builds and the
// behaviour at the capacity of the output arrays.
#include "geometry/iso_internal.h"
#include "geometry/isosurface.h"
#include "geometry/show_blobs.h"
#include "tests/iso_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Topology {
    int badIndex = 0, unused = 0, repeated = 0, open = 0, euler = 0;
    // Indices name vertices, every vertex is used, each directed edge once.
    bool sound() const { return badIndex == 0 && unused == 0 && repeated == 0; }
    bool closed() const { return sound() && open == 0; }  // every edge also the other way round
};

Topology topology()
{
    std::map<std::pair<int, int>, int> edges;  // uses of each directed edge a -> b
    std::set<int> used;
    Topology top;
    for (int i = 0; i < 3 * isoTriCount; i++) {
        int a = isoTris[i], b = isoTris[i % 3 == 2 ? i - 2 : i + 1];
        top.badIndex += a < 0 || a >= isoVertCount;
        edges[{a, b}]++;
        used.insert(a);
    }
    for (auto [e, n] : edges) top.repeated += n - 1, top.open += !edges.count({e.second, e.first});
    top.unused = isoVertCount - (int)used.size();
    top.euler = isoVertCount - ((int)edges.size() + top.open) / 2 + isoTriCount;
    return top;
}

struct Vec {
    double x, y, z;
};
Vec vert(const float* v, int i) { return {v[3 * i], v[3 * i + 1], v[3 * i + 2]}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(Vec a) { return std::sqrt(dot(a, a)); }

// Enclosed volume by the divergence theorem (positive for outward winding).
double volume()
{
    double sum = 0.0;
    for (const int* t = isoTris; t < isoTris + 3 * isoTriCount; t += 3) {
        Vec a = vert(isoVerts, t[0]), b = vert(isoVerts, t[1]), c = vert(isoVerts, t[2]);
        sum += dot(a, {b.y * c.z - b.z * c.y, b.z * c.x - b.x * c.z, b.x * c.y - b.y * c.x});
    }
    return sum / 6.0;
}

// The library's mesh (and normals) against the reference's, bit for bit.
void expectSameMesh(const isoref::State& ref, const std::string& what, bool normals = true)
{
    ASSERT_EQ(isoVertCount, ref.vertCount) << what;
    ASSERT_EQ(isoTriCount, ref.triCount) << what;
    EXPECT_EQ(0, memcmp(isoVerts, ref.verts.data(), sizeof(float) * 3 * isoVertCount)) << what;
    EXPECT_TRUE(!normals || !memcmp(isoNorms, ref.norms.data(), sizeof(float) * 3 * isoVertCount)) << what;
    EXPECT_EQ(0, memcmp(isoTris, ref.tris.data(), sizeof(int) * 3 * isoTriCount)) << what;
}

void expectSameLattice(const isoref::State& ref)
{
    int wrong = 0;
    for (int c = 0; c < ISO_CELLS; c++)
        wrong += memcmp(&isoCellValue[c], &ref.value[c], sizeof(float)) != 0 ||
                 (int)(isoInsideRows[c >> 5] >> (c & 31) & 1) != ref.inside[c];
    EXPECT_EQ(wrong, 0);
}

void expectBuildsAlike(isoref::State& ref, const Blob* blobs, int n, const std::string& what)
{
    isoBuild(blobs, n);
    isoref::build(ref, blobs, n);
    expectSameMesh(ref, what);
    expectSameLattice(ref);
}

}  // namespace

TEST(Isosurface, LoneBlobIsAClosedOutwardSphere)
{
    const float R = 20.0f;
    const Blob blob{0.0f, 0.0f, 0.0f, R, 0, 0};
    const double level = 0.3919 * R;  // where (0.5 - s)^2 = 0.12
    isoBuild(&blob, 1);
    Topology top = topology();
    EXPECT_TRUE(top.closed());  // with a positive volume: every triangle wound outwards
    EXPECT_EQ(top.euler, 2);
    // Interpolation puts the vertices on the level sphere; smoothing pulls
    // the convex surface inwards by a few hundredths.
    double mean = 0.0, worst = 0.0;
    for (int i = 0; i < isoVertCount; i++) {
        double r = length(vert(isoVerts, i));
        mean += r / isoVertCount;
        worst = std::max(worst, std::fabs(r - level));
    }
    EXPECT_LT(worst, 0.2);
    EXPECT_TRUE(mean < level - 0.005 && mean > level - 0.06) << mean - level;
    const double sphere = 4.0 / 3.0 * M_PI * level * level * level;
    EXPECT_NEAR(volume(), sphere, 0.03 * sphere);
    // Gradient normals point outwards with the field's slope at the level:
    // |d/dr (0.5 - r^2/R^2)^2| = 4 r (0.5 - s) / R^2.
    for (int i = 0; i < isoVertCount; i += 97) {
        Vec p = vert(isoVerts, i), g = vert(isoNorms, i);
        EXPECT_GT(dot(p, g) / (length(p) * length(g)), 0.99);
        EXPECT_NEAR(length(g), 4.0 * level * std::sqrt(0.12) / (R * R), 0.003);
    }
}

TEST(Isosurface, OverlappingAndNegativeBlobsLeaveNoCracks)
{
    // Three positive blobs merge into one body; a negative blob carves a
    // closed hollow inside it, another bites into its side.
    const Blob blobs[] = {{-6.0f, 0.0f, 0.0f, 14.0f, 0, 0}, {3.0f, 5.2f, 0.0f, 14.0f, 0, 0},
                          {3.0f, -5.2f, 0.0f, 14.0f, 0, 0}, {0.2f, -0.3f, 0.1f, 6.0f, 1, 0},
                          {-8.0f, -7.0f, 0.0f, 7.0f, 1, 0}};
    isoBuild(blobs, 5);
    ASSERT_GT(isoTriCount, 1000);
    Topology top = topology();
    EXPECT_TRUE(top.closed());
    EXPECT_EQ(top.euler, 4);  // two closed genus-0 surfaces: outside and hollow
    EXPECT_GT(volume(), 0.0);
    // A blob reaching past the lattice: open at the border.
    const Blob cut{12.0f, -10.0f, 3.0f, 18.0f, 0, 0};
    isoBuild(&cut, 1);
    top = topology();
    EXPECT_TRUE(top.sound() && top.open > 0);
}

TEST(Isosurface, MatchesTheReferenceBitForBit)
{
    isoref::State ref;
    Blob blobs[12];
    for (float t : {3.0f, 8.0f, 12.0f, 14.5f, 0.0f, 15.5f}) {
        showBlobs(t, blobs);
        expectBuildsAlike(ref, blobs, SHOW_BLOB_COUNT, "show blobs at t = " + std::to_string(t));
    }
    // Off-lattice centres, overlapping signs, the border, tiny and zero radii
    // and a blob sitting exactly on a lattice point.
    uint32_t seed = 12345;
    auto rnd = [&](float lo, float hi) { return lo + (hi - lo) * (float)((seed = seed * 69069u + 1u) >> 8) / 16777216.0f; };
    for (int set = 0; set < 6; set++) {
        int n = std::min(3 + set * 2, 12);
        for (int i = 0; i < n; i++)
            blobs[i] = Blob{rnd(-18, 17), rnd(-18, 17), rnd(-18, 17), rnd(0, 16), i % 3 == 2, 0};
        if (set == 1) blobs[0] = Blob{-5.0f, 3.0f, 2.0f, 0.0f, 0, 0};
        if (set == 2) blobs[1] = Blob{2.0f, 2.0f, 2.0f, 0.9f, 0, 0};
        expectBuildsAlike(ref, blobs, n, "random set " + std::to_string(set));
        EXPECT_GT(isoTriCount, 400) << set;
    }
    // Nothing inside, each after a full sphere: no blobs, negative ones only,
    // and a positive peak (0.25) between lattice points cut by a negative blob.
    const std::vector<Blob> empty[] = {{},
                                       {{0.0f, 0.0f, 0.0f, 20.0f, 1, 0}, {5.0f, 2.0f, 0.0f, 9.0f, 7, 0}},
                                       {{0.5f, 0.5f, 0.5f, 1.0f, 0, 0}, {0.5f, 0.5f, 0.5f, 3.0f, 1, 0}}};
    const Blob sphere{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    for (const auto& set : empty) {
        expectBuildsAlike(ref, &sphere, 1, "sphere");
        expectBuildsAlike(ref, set.data(), (int)set.size(), "nothing inside");
        EXPECT_EQ(isoVertCount + isoTriCount, 0) << set.size();
    }
}

TEST(Isosurface, FillOfAnyBoxMatchesTheReference)
{
    // Boxes not made of whole 4 x 4 x 4 blocks take the general leaf and
    // clear paths; a later full build must not be misled by them.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    const Blob b[] = {{-9.0f, -8.5f, -7.0f, 9.0f, 0, 0}, {6.0f, 5.0f, 9.5f, 11.0f, 0, 0}, {6.5f, 5.0f, 9.0f, 4.0f, 1, 0}};
    isoref::State ref;
    expectBuildsAlike(ref, &a, 1, "first build");
    const int boxes[][6] = {{3, 30, 1, 29, 5, 32}, {0, 3, 0, 32, 0, 32}, {8, 24, 8, 24, 8, 24},
                            {5, 6, 5, 20, 0, 9}, {20, 32, 0, 32, 17, 31}};
    for (const int* x : boxes) {
        isoFill(x[0], x[1], x[2], x[3], x[4], x[5], b, 3);
        isoref::fill(ref, x[0], x[1], x[2], x[3], x[4], x[5], b, 3);
        SCOPED_TRACE(x[0] * 10000 + x[2] * 100 + x[4]);
        expectSameLattice(ref);
    }
    expectBuildsAlike(ref, &a, 1, "full build after partial fills");
    expectBuildsAlike(ref, b, 3, "another full build");
    // A box just inside the blob's reach (0.707 R = 7.07 from x = 17.5) holds
    // small values of its own and must not be cleared.
    const Blob reach{1.5f, 0.0f, 0.0f, 10.0f, 0, 0};
    expectBuildsAlike(ref, &reach, 1, "box at the edge of the reach");
}

TEST(Isosurface, ConsecutiveBuildsShareNoCacheEntries)
{
    // Two overlapping sets: a build reusing slots of the one before would
    // carry that build's positions and indices.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0}, b{0.4f, -0.3f, 0.2f, 19.0f, 0, 0};
    isoref::State ref;
    for (const Blob* set : {&a, &b, &b}) expectBuildsAlike(ref, set, 1, "consecutive builds");
    // At the last stamp the cache is cleared and the stamps start over; the
    // second time round, stale slots of the first round's stamp 0 are there.
    for (int round = 0; round < 2; round++) {
        isoStamp = INT_MAX;
        isoBuild(&b, 1);
        EXPECT_EQ(isoStamp, 0);
        expectBuildsAlike(ref, &a, 1, "after the stamp wrapped");
    }
}

TEST(IsosurfaceCapacity, AFinelyBrokenFieldFillsTheArraysAndStopsCleanly)
{
    // Small blobs (R = 1.3 reaches 0.92) on the chosen lattice points: exactly
    // those points are inside, so the pattern sets the surface cube by cube.
    auto latticeBlobs = [](auto pick) {
        std::vector<Blob> blobs;
        for (int c = 0; c < ISO_CELLS; c++)
            if (pick(c % 32, c / 32 % 32, c / 1024))
                blobs.push_back(Blob{(float)(c % 32 - 16), (float)(c / 32 % 32 - 16), (float)(c / 1024 - 16), 1.3f, 0, 0});
        return blobs;
    };
    uint32_t seed = 1;
    struct Case {
        std::vector<Blob> blobs;
        int tris;  // where the build stops
    } cases[] = {
        // All-even and all-odd sites plus a sprinkle: the last tetrahedron has
        // one triangle and fills the array exactly.
        {latticeBlobs([](int x, int y, int z) {
             return (x % 2 == 0 && y % 2 == 0 && z % 2 == 0) || (x % 2 && y % 2 && z % 2) ||
                    (x % 4 == 1 && y % 4 == 1 && z % 2 == 0);
         }),
         ISO_TRI_CAPACITY},
        // Half the points at random: a two-triangle tetrahedron does not fit
        // in the one slot left.
        {latticeBlobs([&](int, int, int) { return (seed = seed * 69069u + 1u) >> 16 & 1; }), ISO_TRI_CAPACITY - 1},
    };
    isoref::State ref;
    for (Case& c : cases) {
        SCOPED_TRACE(c.tris);
        isoBuild(c.blobs.data(), (int)c.blobs.size());
        ASSERT_EQ(isoTriCount, c.tris);
        EXPECT_TRUE(topology().sound());
        // Over 64 blobs the fill and the normals take their heap path.
        for (int i = 0; i < ISO_CELLS; i += 97) {
            float x = (float)(i % 32), y = (float)(i / 32 % 32), z = (float)(i / 1024), v;
            isoref::field(&v, &x, &y, &z, 1, c.blobs.data(), (int)c.blobs.size());
            EXPECT_EQ(v, isoCellValue[i]) << i;
        }
        EXPECT_TRUE(std::all_of(isoNorms, isoNorms + 3 * isoVertCount, [](float v) { return std::isfinite(v); }));
        // The same stop, vertex for vertex, from the plain build on the
        // library's lattice (normals would take the plain field too long).
        for (int i = 0; i < ISO_CELLS; i++)
            ref.value[i] = isoCellValue[i], ref.inside[i] = isoInsideRows[i >> 5] >> (i & 31) & 1;
        isoref::polygonize(ref);
        isoref::smooth(ref);
        EXPECT_TRUE(ref.stopped);
        expectSameMesh(ref, "capacity", false);
    }
}

TEST(ShowBlobs, HollowClosesAndNothingBreaksPastTheEnd)
{
    // Blob 0, the hollow, has closed by t = 15.5; from t = 16 on the centres
    // sit at the origin instead of turning into not-a-number.
    Blob b[SHOW_BLOB_COUNT];
    showBlobs(15.5f, b);
    EXPECT_TRUE(b[0].negative && b[0].radius == 0.0f);
    for (float t : {16.0f, 17.5f}) {
        showBlobs(t, b);
        for (const Blob& blob : b) EXPECT_TRUE(blob.x == 0.0f && blob.y == 0.0f && std::isfinite(blob.radius)) << t;
        isoBuild(b, SHOW_BLOB_COUNT);
        EXPECT_GT(isoTriCount, 0);
    }
}
