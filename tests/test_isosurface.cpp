// Metaball isosurface: mesh topology and geometry, builds that depend on
// nothing but their blobs (the edge cache across builds, nothing left over
// from a build before, nothing shared between surfaces), and the behaviour
// at the capacity of the output arrays. The show's own blob sets are covered
// by the reference frames.
#include "geometry/iso_internal.h"
#include "geometry/isosurface.h"
#include "show/show_blobs.h"

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

// The surface the tests build, one build after another.
IsoSurface surface;

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
    const int* tris = surface.tris.data();
    for (int i = 0; i < 3 * surface.triCount; i++) {
        int a = tris[i], b = tris[i % 3 == 2 ? i - 2 : i + 1];
        top.badIndex += a < 0 || a >= surface.vertCount;
        edges[{a, b}]++;
        used.insert(a);
    }
    for (auto [e, n] : edges) top.repeated += n - 1, top.open += !edges.count({e.second, e.first});
    top.unused = surface.vertCount - (int)used.size();
    top.euler = surface.vertCount - ((int)edges.size() + top.open) / 2 + surface.triCount;
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
    const float* v = surface.verts.data();
    for (const int* t = surface.tris.data(); t < surface.tris.data() + 3 * surface.triCount; t += 3) {
        Vec a = vert(v, t[0]), b = vert(v, t[1]), c = vert(v, t[2]);
        sum += dot(a, {b.y * c.z - b.z * c.y, b.z * c.x - b.x * c.z, b.x * c.y - b.y * c.x});
    }
    return sum / 6.0;
}

// The whole output of the latest build.
struct Mesh {
    std::vector<float> verts, norms;
    std::vector<int> tris;
    bool operator==(const Mesh&) const = default;
};

Mesh meshOf(const IsoSurface& s)
{
    return {std::vector<float>(s.verts.begin(), s.verts.begin() + 3 * s.vertCount),
            std::vector<float>(s.norms.begin(), s.norms.begin() + 3 * s.vertCount),
            std::vector<int>(s.tris.begin(), s.tris.begin() + 3 * s.triCount)};
}

Mesh built(const Blob* blobs, int n)
{
    isoBuild(surface, blobs, n);
    return meshOf(surface);
}

// The summed field at a lattice point (0 .. 31 frame), as the blob record
// defines it: (0.5 - s)^2 with s = (distance / radius)^2, zero from s = 0.5.
float fieldAt(float x, float y, float z, const std::vector<Blob>& blobs)
{
    float value = 0.0f;
    for (const Blob& b : blobs) {
        float dx = x - (b.x + 16.0f), dy = y - (b.y + 16.0f), dz = z - (b.z + 16.0f);
        float s = (dx * dx + dy * dy + dz * dz) * (1.0f / (b.radius * b.radius));
        if (s < 0.5f) value += (b.negative ? -1.0f : 1.0f) * (s * s - s + 0.25f);
    }
    return value;
}

}  // namespace

TEST(Isosurface, LoneBlobIsAClosedOutwardSphere)
{
    const float R = 20.0f;
    const Blob blob{0.0f, 0.0f, 0.0f, R, 0, 0};
    const double level = 0.3919 * R;  // where (0.5 - s)^2 = 0.12
    isoBuild(surface, &blob, 1);
    Topology top = topology();
    EXPECT_TRUE(top.closed());  // with a positive volume: every triangle wound outwards
    EXPECT_EQ(top.euler, 2);
    // Interpolation puts the vertices on the level sphere; smoothing pulls
    // the convex surface inwards by a few hundredths.
    double mean = 0.0, worst = 0.0;
    for (int i = 0; i < surface.vertCount; i++) {
        double r = length(vert(surface.verts.data(), i));
        mean += r / surface.vertCount;
        worst = std::max(worst, std::fabs(r - level));
    }
    EXPECT_LT(worst, 0.2);
    EXPECT_TRUE(mean < level - 0.005 && mean > level - 0.06) << mean - level;
    const double sphere = 4.0 / 3.0 * M_PI * level * level * level;
    EXPECT_NEAR(volume(), sphere, 0.03 * sphere);
    // Gradient normals point outwards with the field's slope at the level:
    // |d/dr (0.5 - r^2/R^2)^2| = 4 r (0.5 - s) / R^2.
    for (int i = 0; i < surface.vertCount; i += 97) {
        Vec p = vert(surface.verts.data(), i), g = vert(surface.norms.data(), i);
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
    isoBuild(surface, blobs, 5);
    ASSERT_GT(surface.triCount, 1000);
    Topology top = topology();
    EXPECT_TRUE(top.closed());
    EXPECT_EQ(top.euler, 4);  // two closed genus-0 surfaces: outside and hollow
    EXPECT_GT(volume(), 0.0);
    // A blob reaching past the lattice: open at the border.
    const Blob cut{12.0f, -10.0f, 3.0f, 18.0f, 0, 0};
    isoBuild(surface, &cut, 1);
    top = topology();
    EXPECT_TRUE(top.sound() && top.open > 0);
}

TEST(Isosurface, ABuildDependsOnItsBlobsAlone)
{
    // Overlapping sets one after another: a build reusing edge-cache slots
    // of the one before would carry that build's positions and indices.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0}, b{0.4f, -0.3f, 0.2f, 19.0f, 0, 0};
    const Mesh alone = built(&b, 1);
    built(&a, 1);
    EXPECT_TRUE(built(&b, 1) == alone);
    // At the last stamp the cache is cleared and the stamps start over; the
    // second time round, stale slots of the first round's stamp 0 are there.
    for (int round = 0; round < 2; round++) {
        surface.work->stamp = INT_MAX;
        built(&a, 1);
        EXPECT_EQ(surface.work->stamp, 0);
        EXPECT_TRUE(built(&b, 1) == alone) << round;
    }
    // Another surface's builds leave this one as it is, and build the same.
    IsoSurface other;
    isoBuild(other, &a, 1);
    EXPECT_TRUE(meshOf(surface) == alone);
    EXPECT_TRUE(meshOf(other) == built(&a, 1));
    // Nothing inside, each after a full sphere: no blobs, negative ones only,
    // a positive peak (0.25) between lattice points cut by a negative blob.
    const std::vector<Blob> empty[] = {{},
                                       {{0.0f, 0.0f, 0.0f, 20.0f, 1, 0}, {5.0f, 2.0f, 0.0f, 9.0f, 7, 0}},
                                       {{0.5f, 0.5f, 0.5f, 1.0f, 0, 0}, {0.5f, 0.5f, 0.5f, 3.0f, 1, 0}}};
    for (const auto& set : empty) {
        built(&a, 1);
        built(set.data(), (int)set.size());
        EXPECT_EQ(surface.vertCount + surface.triCount, 0) << set.size();
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
    for (Case& c : cases) {
        SCOPED_TRACE(c.tris);
        isoBuild(surface, c.blobs.data(), (int)c.blobs.size());
        ASSERT_EQ(surface.triCount, c.tris);
        EXPECT_TRUE(topology().sound());
        // Over 64 blobs the fill and the normals take their heap path.
        for (int i = 0; i < ISO_CELLS; i += 97)
            EXPECT_EQ(fieldAt((float)(i % 32), (float)(i / 32 % 32), (float)(i / 1024), c.blobs),
                      surface.work->cellValue[i]) << i;
        EXPECT_TRUE(std::all_of(surface.norms.begin(), surface.norms.begin() + 3 * surface.vertCount,
                                [](float v) { return std::isfinite(v); }));
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
        isoBuild(surface, b, SHOW_BLOB_COUNT);
        EXPECT_GT(surface.triCount, 0);
    }
}
