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
#include <cstdint>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// The build steps up to and including polygonizing: positions on the
// lattice edges, before smoothing.
void buildUnsmoothed(const Blob* blobs, int n)
{
    isoInit();
    for (int i = 0; i < ISO_SIZE; i++) isoCountX[i] = isoCountY[i] = isoCountZ[i] = 0;
    isoVertCount = isoTriCount = 0;
    isoFill(0, 32, 0, 32, 0, 32, blobs, n);
    isoPolygonize();
    isoStamp++;
}

struct Topology {
    int euler = 0;       // vertices - edges + faces
    int repeated = 0;    // extra uses of directed edges
    int open = 0;        // directed edges whose reverse is missing
    bool paired() const { return repeated == 0 && open == 0; }
};

// Topology of the current mesh; every index must name a vertex and every
// vertex belong to a triangle.
Topology topology()
{
    std::vector<uint64_t> directed;  // a << 32 | b for the edge a -> b
    std::vector<char> used(isoVertCount, 0);
    for (int i = 0; i < 3 * isoTriCount; i++) {
        int a = isoTris[i], b = isoTris[i % 3 == 2 ? i - 2 : i + 1];
        EXPECT_TRUE(a >= 0 && a < isoVertCount) << "index " << a;
        if (a < 0 || a >= isoVertCount) return {};
        directed.push_back((uint64_t)a << 32 | (uint32_t)b);
        used[a] = 1;
    }
    std::sort(directed.begin(), directed.end());
    Topology top;
    int distinct = 0;
    for (size_t i = 0; i < directed.size(); i++) {
        if (i > 0 && directed[i] == directed[i - 1]) {
            top.repeated++;
            continue;
        }
        distinct++;
        uint64_t reverse = directed[i] << 32 | directed[i] >> 32;
        top.open += !std::binary_search(directed.begin(), directed.end(), reverse);
    }
    EXPECT_EQ(std::count(used.begin(), used.end(), 0), 0) << "every vertex belongs to a triangle";
    top.euler = isoVertCount - (distinct + top.open) / 2 + isoTriCount;
    return top;
}

struct Vec {
    double x, y, z;
    Vec operator-(Vec b) const { return {x - b.x, y - b.y, z - b.z}; }
};
Vec vert(const float* v, int i) { return {v[3 * i], v[3 * i + 1], v[3 * i + 2]}; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(Vec a) { return std::sqrt(dot(a, a)); }

// Enclosed volume by the divergence theorem (positive for outward winding).
double volume()
{
    double sum = 0.0;
    for (const int* t = isoTris; t < isoTris + 3 * isoTriCount; t += 3)
        sum += dot(vert(isoVerts, t[0]), cross(vert(isoVerts, t[1]), vert(isoVerts, t[2])));
    return sum / 6.0;
}

bool insideAt(const int p[3], const Blob* blobs, int n)
{
    float xs = (float)(p[0] + 16), ys = (float)(p[1] + 16), zs = (float)(p[2] + 16), out;
    isoField(&out, &xs, &ys, &zs, 1, blobs, n);
    return out >= ISO_LEVEL;
}

// True when the unsmoothed vertex p lies on a lattice point or on a cube edge
// or face diagonal running from an inside lattice point to an outside one.
bool onCrossingSegment(Vec p, const Blob* blobs, int n)
{
    double c[3] = {p.x, p.y, p.z};
    int lo[3] = {(int)std::floor(p.x), (int)std::floor(p.y), (int)std::floor(p.z)};
    if (c[0] == lo[0] && c[1] == lo[1] && c[2] == lo[2]) return true;
    for (int a = 0; a < 8; a++)
        for (int b = 0; b < 8; b++) {
            if ((a ^ b) == 0 || (a ^ b) == 7) continue;  // no body diagonals
            int A[3], B[3];
            for (int k = 0; k < 3; k++) A[k] = lo[k] + (a >> k & 1), B[k] = lo[k] + (b >> k & 1);
            if (!insideAt(A, blobs, n) || insideAt(B, blobs, n)) continue;
            // p = A + t (B - A) for the t of any axis that moves.
            double t = 0.0, miss = 0.0;
            for (int k = 0; k < 3; k++)
                if (A[k] != B[k]) t = (c[k] - A[k]) / (B[k] - A[k]);
            for (int k = 0; k < 3; k++) miss = std::max(miss, std::fabs(A[k] + t * (B[k] - A[k]) - c[k]));
            if (miss < 1e-5) return true;
        }
    return false;
}

// Compares the library's output with a reference build, bit for bit.
void expectSameAsReference(isoref::State& ref, const std::string& what, bool normals = true)
{
    ASSERT_EQ(isoVertCount, ref.vertCount) << what;
    ASSERT_EQ(isoTriCount, ref.triCount) << what;
    EXPECT_EQ(0, memcmp(isoVerts, ref.verts.data(), sizeof(float) * 3 * isoVertCount)) << what;
    if (normals) {
        EXPECT_EQ(0, memcmp(isoNorms, ref.norms.data(), sizeof(float) * 3 * isoVertCount)) << what;
    }
    EXPECT_EQ(0, memcmp(isoTris, ref.tris.data(), sizeof(int) * 3 * isoTriCount)) << what;
}

// The library's lattice values, inside flags and counters against the
// reference's.
void expectSameLattice(const isoref::State& ref)
{
    int values = 0, inside = 0, counts = 0;
    for (int c = 0; c < ISO_CELLS; c++) {
        values += memcmp(&isoCellValue[c], &ref.cells[c].value, sizeof(float)) != 0;
        inside += (int)((isoInsideRows[c >> 5] >> (c & 31)) & 1) != ref.cells[c].inside;
    }
    for (int i = 0; i < 32; i++)
        counts += isoCountX[i] != ref.countX[i] || isoCountY[i] != ref.countY[i] ||
                  isoCountZ[i] != ref.countZ[i];
    EXPECT_EQ(values, 0);
    EXPECT_EQ(inside, 0);
    EXPECT_EQ(counts, 0);
}

// Builds with the library and the reference and compares the results and
// the lattices.
void expectBuildsAlike(isoref::State& ref, const Blob* blobs, int n, const std::string& what)
{
    isoBuild(blobs, n);
    isoref::build(ref, blobs, n);
    expectSameAsReference(ref, what);
    expectSameLattice(ref);
}


}  // namespace

TEST(Isosurface, LoneBlobIsAClosedOutwardSphere)
{
    const float R = 20.0f;
    const Blob blob{0.0f, 0.0f, 0.0f, R, 0, 0};
    const double level = 0.3919 * R;  // where (0.5 - s)^2 = 0.12

    buildUnsmoothed(&blob, 1);
    Topology top = topology();
    EXPECT_TRUE(top.paired());
    EXPECT_EQ(top.euler, 2);
    EXPECT_NEAR(isoVertCount, 2700, 300);
    EXPECT_NEAR(isoTriCount, 5400, 600);
    // Linear interpolation along lattice edges puts every vertex within a few
    // hundredths of the level sphere (radius 7.84); averaging with the
    // neighbouring centroids then pulls the convex surface inwards by some
    // hundredths (a quarter of the squared edge length over the radius).
    auto radii = [&](double& mean, double& worst) {
        mean = worst = 0.0;
        for (int i = 0; i < isoVertCount; i++) {
            double r = length(vert(isoVerts, i));
            mean += r / isoVertCount;
            worst = std::max(worst, std::fabs(r - level));
        }
    };
    double rawMean, rawWorst, smoothMean, smoothWorst;
    radii(rawMean, rawWorst);
    EXPECT_LT(rawWorst, 0.05);
    EXPECT_NEAR(rawMean, level, 0.02);
    isoBuild(&blob, 1);
    radii(smoothMean, smoothWorst);
    EXPECT_LT(smoothWorst, 0.2);
    EXPECT_LT(smoothMean, rawMean - 0.005);
    EXPECT_GT(smoothMean, rawMean - 0.05);
    const double sphere = 4.0 / 3.0 * M_PI * level * level * level;
    EXPECT_NEAR(volume(), sphere, 0.03 * sphere);

    // Winding: each triangle's right-hand normal points away from the centre
    // and agrees with the field-gradient normal of its first corner.
    int wrong = 0;
    for (const int* t = isoTris; t < isoTris + 3 * isoTriCount; t += 3) {
        Vec a = vert(isoVerts, t[0]), b = vert(isoVerts, t[1]), c = vert(isoVerts, t[2]);
        Vec n = cross(b - a, c - a);
        wrong += dot(n, a) <= 0.0 || dot(n, vert(isoNorms, t[0])) <= 0.0;
    }
    EXPECT_EQ(wrong, 0);
    // Gradient normals point outwards with the field's slope at the level:
    // |d/dr (0.5 - r^2/R^2)^2| = 4 r (0.5 - s) / R^2, about 0.027 here.
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
    const Blob blobs[] = {
        {-6.0f, 0.0f, 0.0f, 14.0f, 0, 0}, {3.0f, 5.2f, 0.0f, 14.0f, 0, 0},
        {3.0f, -5.2f, 0.0f, 14.0f, 0, 0}, {0.2f, -0.3f, 0.1f, 6.0f, 1, 0},
        {-8.0f, -7.0f, 0.0f, 7.0f, 1, 0},
    };
    buildUnsmoothed(blobs, 5);
    ASSERT_GT(isoTriCount, 1000);
    Topology top = topology();
    EXPECT_TRUE(top.paired());
    EXPECT_EQ(top.euler, 4);  // two closed genus-0 surfaces: outside and hollow
    int off = 0;
    for (int i = 0; i < isoVertCount; i++) off += !onCrossingSegment(vert(isoVerts, i), blobs, 5);
    EXPECT_EQ(off, 0);

    isoBuild(blobs, 5);
    EXPECT_TRUE(topology().paired());
    EXPECT_GT(volume(), 0.0);

    // A blob reaching past the lattice: the surface is open at the border,
    // every edge within it still used once.
    const Blob cut{12.0f, -10.0f, 3.0f, 18.0f, 0, 0};
    isoBuild(&cut, 1);
    ASSERT_GT(isoTriCount, 0);
    top = topology();
    EXPECT_EQ(top.repeated, 0);
    EXPECT_GT(top.open, 0);
}

TEST(Isosurface, NothingInsideGivesAnEmptyMesh)
{
    const Blob sphere{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    const std::vector<Blob> sets[] = {
        {},
        {{0.0f, 0.0f, 0.0f, 20.0f, 1, 0}, {5.0f, 2.0f, 0.0f, 9.0f, 7, 0}},
        // Positive, but below the level everywhere: its peak (0.25) lies
        // between lattice points and is cut by a negative blob.
        {{0.5f, 0.5f, 0.5f, 1.0f, 0, 0}, {0.5f, 0.5f, 0.5f, 3.0f, 1, 0}},
    };
    for (const auto& set : sets) {
        isoBuild(&sphere, 1);
        ASSERT_GT(isoVertCount, 0);
        isoBuild(set.empty() ? nullptr : set.data(), (int)set.size());
        EXPECT_EQ(isoVertCount, 0) << set.size();
        EXPECT_EQ(isoTriCount, 0) << set.size();
    }
}

TEST(Isosurface, MatchesTheReferenceBitForBit)
{
    auto ref = isoref::makeState();
    for (float t : {3.0f, 8.0f, 12.0f, 14.5f, 0.0f, 15.5f}) {
        Blob blobs[SHOW_BLOB_COUNT];
        showBlobs(t, blobs);
        expectBuildsAlike(*ref, blobs, SHOW_BLOB_COUNT, "show blobs at t = " + std::to_string(t));
        if (t == 8.0f) {
            EXPECT_GT(isoTriCount, 1000);
        }
    }
    // Assorted sets: off-lattice centres, overlapping signs, the border,
    // tiny and zero radii and a blob sitting exactly on a lattice point.
    uint32_t seed = 12345;
    auto rnd = [&](float lo, float hi) {
        seed = seed * 69069u + 1u;
        return lo + (hi - lo) * (float)(seed >> 8) / 16777216.0f;
    };
    for (int set = 0; set < 6; set++) {
        Blob blobs[12];
        int n = std::min(3 + set * 2, 12);
        for (int i = 0; i < n; i++)
            blobs[i] = Blob{rnd(-18.0f, 17.0f), rnd(-18.0f, 17.0f), rnd(-18.0f, 17.0f),
                            rnd(0.0f, 16.0f), i % 3 == 2, 0};
        if (set == 1) blobs[0] = Blob{-5.0f, 3.0f, 2.0f, 0.0f, 0, 0};
        if (set == 2) blobs[1] = Blob{2.0f, 2.0f, 2.0f, 0.9f, 0, 0};
        expectBuildsAlike(*ref, blobs, n, "random set " + std::to_string(set));
        EXPECT_GT(isoTriCount, 400) << set;
    }

    // The field alone at off-lattice points, a count that is not a multiple
    // of the batch size.
    Blob blobs[SHOW_BLOB_COUNT];
    showBlobs(5.0f, blobs);
    std::vector<float> xs, ys, zs;
    for (int i = 0; i < 203; i++) {
        xs.push_back(12.0f + 0.37f * (float)(i % 23));
        ys.push_back(13.5f + 0.29f * (float)(i % 17));
        zs.push_back(15.5f + 0.11f * (float)(i % 7));
    }
    std::vector<float> got(xs.size()), want(xs.size());
    isoField(got.data(), xs.data(), ys.data(), zs.data(), 203, blobs, SHOW_BLOB_COUNT);
    isoref::field(want.data(), xs.data(), ys.data(), zs.data(), 203, blobs, SHOW_BLOB_COUNT);
    EXPECT_EQ(0, memcmp(got.data(), want.data(), sizeof(float) * xs.size()));
    EXPECT_GT(std::count_if(got.begin(), got.end(), [](float v) { return v != 0.0f; }), 100);
}

TEST(Isosurface, FillOfAnyBoxMatchesTheReference)
{
    // Boxes that are not made of whole 4 x 4 x 4 blocks take the general
    // leaf and clear paths; a later full build must not be misled by them.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    const Blob b[] = {{-9.0f, -8.5f, -7.0f, 9.0f, 0, 0}, {6.0f, 5.0f, 9.5f, 11.0f, 0, 0},
                      {6.5f, 5.0f, 9.0f, 4.0f, 1, 0}};
    auto ref = isoref::makeState();
    expectBuildsAlike(*ref, &a, 1, "first build");
    const int boxes[][6] = {{3, 30, 1, 29, 5, 32}, {0, 3, 0, 32, 0, 32}, {8, 24, 8, 24, 8, 24},
                            {5, 6, 5, 20, 0, 9}, {20, 32, 0, 32, 17, 31}};
    for (const int* x : boxes) {
        SCOPED_TRACE(x[0] * 10000 + x[2] * 100 + x[4]);
        isoFill(x[0], x[1], x[2], x[3], x[4], x[5], b, 3);
        isoref::fill(*ref, x[0], x[1], x[2], x[3], x[4], x[5], b, 3);
        expectSameLattice(*ref);
    }
    expectBuildsAlike(*ref, &a, 1, "full build after partial fills");
    expectBuildsAlike(*ref, b, 3, "another full build");
    // A box just inside the blob's reach (0.707 R = 7.07 from x = 17.5) holds
    // small values of its own and must not be cleared.
    const Blob reach{1.5f, 0.0f, 0.0f, 10.0f, 0, 0};
    expectBuildsAlike(*ref, &reach, 1, "box at the edge of the reach");
}

TEST(Isosurface, ConsecutiveBuildsShareNoCacheEntries)
{
    // Two overlapping sets: if a build reused slots of the one before, its
    // vertices would carry that build's positions and indices.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    const Blob b{0.4f, -0.3f, 0.2f, 19.0f, 0, 0};
    auto ref = isoref::makeState();
    for (const Blob* set : {&a, &b, &b}) {
        int stamp = isoStamp;
        expectBuildsAlike(*ref, set, 1, "consecutive builds");
        EXPECT_EQ(isoStamp, stamp + 1);
    }

    // At the last stamp the cache is cleared and the stamps start over; the
    // second time round, stale slots of the first round's stamp 0 are there.
    for (int round = 0; round < 2; round++) {
        isoStamp = INT_MAX;
        isoBuild(&b, 1);
        EXPECT_EQ(isoStamp, 0);
        expectBuildsAlike(*ref, &a, 1, "after the stamp wrapped");
        EXPECT_EQ(isoStamp, 1);
    }
}

TEST(IsosurfaceCapacity, AFinelyBrokenFieldFillsTheArraysAndStopsCleanly)
{
    // Small blobs (R = 1.3 reaches 0.92) on the chosen lattice points: exactly
    // those points are inside, so the pattern sets the surface cube by cube.
    auto latticeBlobs = [](auto pick) {
        std::vector<Blob> blobs;
        for (int c = 0; c < ISO_CELLS; c++) {
            int x = c % 32, y = c / 32 % 32, z = c / 1024;
            if (pick(x, y, z))
                blobs.push_back(Blob{(float)(x - 16), (float)(y - 16), (float)(z - 16), 1.3f, 0, 0});
        }
        return blobs;
    };
    uint32_t seed = 1;
    struct Case {
        const char* name;
        std::vector<Blob> blobs;
        int tris;  // where the build stops
    } cases[] = {
        // Isolated points on all-even and all-odd sites plus a sprinkle:
        // stops at a one-triangle tetrahedron with the array exactly full.
        {"sparse points", latticeBlobs([](int x, int y, int z) {
             return (x % 2 == 0 && y % 2 == 0 && z % 2 == 0) || (x % 2 && y % 2 && z % 2) ||
                    (x % 4 == 1 && y % 4 == 1 && z % 2 == 0);
         }),
         ISO_TRI_CAPACITY},
        // Half the points at random: stops at a two-triangle tetrahedron
        // with one slot left, which stays empty.
        {"random points", latticeBlobs([&](int, int, int) {
             seed = seed * 69069u + 1u;
             return (seed >> 16) & 1;
         }),
         ISO_TRI_CAPACITY - 1},
    };
    auto ref = isoref::makeState();
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int n = (int)c.blobs.size();
        isoBuild(c.blobs.data(), n);
        ASSERT_EQ(isoTriCount, c.tris);
        // A consistent mesh (indices in range, every vertex used), everything
        // finite, room left for the callers' own points.
        topology();
        int broken = 0;
        for (int i = 0; i < 3 * isoVertCount; i++)
            broken += !std::isfinite(isoVerts[i]) || !std::isfinite(isoNorms[i]);
        EXPECT_EQ(broken, 0);
        EXPECT_LE(isoVertCount, ISO_VERT_LIMIT);
        // The same stop, vertex for vertex, from the plain per-tetrahedron
        // build on the library's lattice values (normals would take the plain
        // field too long over this many blobs).
        for (int i = 0; i < ISO_CELLS; i++) {
            ref->cells[i].value = isoCellValue[i];
            ref->cells[i].inside = (isoInsideRows[i >> 5] >> (i & 31)) & 1;
        }
        std::copy(isoCountX, isoCountX + 32, ref->countX);
        std::copy(isoCountY, isoCountY + 32, ref->countY);
        std::copy(isoCountZ, isoCountZ + 32, ref->countZ);
        ref->vertCount = ref->triCount = 0;
        ref->stopped = false;
        ref->stamp++;
        isoref::polygonize(*ref);
        isoref::smooth(*ref);
        EXPECT_TRUE(ref->stopped);
        expectSameAsReference(*ref, c.name, false);
    }
}

TEST(ShowBlobs, HollowClosesBlobsGrowAndNothingBreaksPastTheEnd)
{
    // Blob 0 is the negative hollow, shrinking from t = 10; the rest add.
    Blob b[SHOW_BLOB_COUNT];
    for (auto [t, hollow] : {std::pair{3.0f, 5.0f}, {12.0f, 3.0f}, {15.5f, 0.0f}}) {
        showBlobs(t, b);
        EXPECT_EQ(b[0].radius, hollow) << t;
        for (int i = 0; i < SHOW_BLOB_COUNT; i++)
            EXPECT_TRUE((b[i].negative != 0) == (i == 0) && b[i].z == 0.0f && b[i].shape == 0) << i;
    }
    // From t = 16 on the centres sit at the origin instead of turning into
    // not-a-number, and the build still works.
    for (float t : {16.0f, 17.5f}) {
        showBlobs(t, b);
        for (const Blob& blob : b)
            EXPECT_TRUE(blob.x == 0.0f && blob.y == 0.0f && std::isfinite(blob.radius)) << t;
        isoBuild(b, SHOW_BLOB_COUNT);
        EXPECT_GT(isoTriCount, 0);
    }
}
