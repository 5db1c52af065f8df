// Metaball isosurface: mesh topology and geometry, agreement with a plain
// reference build (bit for bit), the edge cache across builds and the
// behaviour at the capacity of the output arrays.
#include "geometry/iso_internal.h"
#include "geometry/isosurface.h"
#include "geometry/show_blobs.h"
#include "tests/iso_reference.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
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
    int vertices = 0, edges = 0, faces = 0;
    bool paired = true;  // every directed edge once, its reverse once
};

Topology topology(const int* tris, int ntris, int nverts)
{
    std::map<std::pair<int, int>, int> directed;
    std::set<int> used;
    for (int t = 0; t < ntris; t++)
        for (int k = 0; k < 3; k++) {
            int a = tris[3 * t + k], b = tris[3 * t + (k + 1) % 3];
            directed[{a, b}]++;
            used.insert(a);
        }
    Topology top;
    for (auto& [edge, count] : directed) {
        auto reverse = directed.find({edge.second, edge.first});
        if (count != 1 || reverse == directed.end() || reverse->second != 1) top.paired = false;
    }
    top.vertices = nverts;
    top.edges = (int)directed.size() / 2;
    top.faces = ntris;
    EXPECT_EQ((int)used.size(), nverts) << "every vertex belongs to a triangle";
    return top;
}

struct Vec {
    double x, y, z;
};
Vec vert(const float* v, int i) { return {v[3 * i], v[3 * i + 1], v[3 * i + 2]}; }
Vec sub(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec cross(Vec a, Vec b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Enclosed volume by the divergence theorem (positive for outward winding).
double volume(const float* v, const int* tris, int ntris)
{
    double sum = 0.0;
    for (int t = 0; t < ntris; t++)
        sum += dot(vert(v, tris[3 * t]), cross(vert(v, tris[3 * t + 1]), vert(v, tris[3 * t + 2])));
    return sum / 6.0;
}

double meanRadius(const float* v, int n, Vec centre)
{
    double sum = 0.0;
    for (int i = 0; i < n; i++) {
        Vec d = sub(vert(v, i), centre);
        sum += std::sqrt(dot(d, d));
    }
    return sum / n;
}

// Field value at a lattice point, centred coordinates.
float latticeField(int x, int y, int z, const Blob* blobs, int n)
{
    float xs = (float)(x + 16), ys = (float)(y + 16), zs = (float)(z + 16), out;
    isoField(&out, &xs, &ys, &zs, 1, blobs, n);
    return out;
}

// True when the unsmoothed vertex p lies on a lattice segment (cube edge or
// face diagonal) with one end inside and the other outside.
bool onCrossingSegment(Vec p, const Blob* blobs, int n)
{
    double c[3] = {p.x, p.y, p.z};
    int lo[3], frac = 0;
    for (int a = 0; a < 3; a++) {
        lo[a] = (int)std::floor(c[a]);
        if (c[a] != lo[a]) frac |= 1 << a;
    }
    int axes[2], na = 0;
    for (int a = 0; a < 3; a++)
        if (frac & (1 << a)) axes[na < 2 ? na : 1] = a, na++;
    if (na == 0 || na > 2) return na == 0;  // exactly on a lattice point: a t of 0 or 1
    // Candidate segments: along the one axis, or either diagonal of the face.
    for (int flip = 0; flip < na; flip++) {
        int a0[3] = {lo[0], lo[1], lo[2]}, a1[3] = {lo[0], lo[1], lo[2]};
        a1[axes[0]] += 1;
        if (na == 2) {
            if (flip) a0[axes[1]] += 1;
            else a1[axes[1]] += 1;
        }
        bool in0 = latticeField(a0[0], a0[1], a0[2], blobs, n) >= ISO_LEVEL;
        bool in1 = latticeField(a1[0], a1[1], a1[2], blobs, n) >= ISO_LEVEL;
        if (in0 == in1) continue;
        if (na == 1) return true;
        // On the diagonal the two fractions must match the segment's direction.
        double f0 = c[axes[0]] - lo[axes[0]], f1 = c[axes[1]] - lo[axes[1]];
        if (std::fabs(flip ? f0 - (1.0 - f1) : f0 - f1) < 1e-5) return true;
    }
    return false;
}

struct Snapshot {
    std::vector<float> verts, norms;
    std::vector<int> tris;
};

Snapshot snapshot()
{
    return {std::vector<float>(isoVerts, isoVerts + 3 * isoVertCount),
            std::vector<float>(isoNorms, isoNorms + 3 * isoVertCount),
            std::vector<int>(isoTris, isoTris + 3 * isoTriCount)};
}

// Compares the library's output with a reference build, bit for bit.
void expectSameAsReference(isoref::State& ref, const char* what, bool normals = true)
{
    ASSERT_EQ(isoVertCount, ref.vertCount) << what;
    ASSERT_EQ(isoTriCount, ref.triCount) << what;
    EXPECT_EQ(0, memcmp(isoVerts, ref.verts.data(), sizeof(float) * 3 * isoVertCount)) << what;
    if (normals) {
        EXPECT_EQ(0, memcmp(isoNorms, ref.norms.data(), sizeof(float) * 3 * isoVertCount)) << what;
    }
    EXPECT_EQ(0, memcmp(isoTris, ref.tris.data(), sizeof(int) * 3 * isoTriCount)) << what;
}

}  // namespace

TEST(Isosurface, LoneBlobIsAClosedOutwardSphere)
{
    const float R = 20.0f;
    const Blob blob{0.0f, 0.0f, 0.0f, R, 0, 0};
    const double level = 0.3919 * R;  // where (0.5 - s)^2 = 0.12
    const Vec centre{0, 0, 0};

    buildUnsmoothed(&blob, 1);
    Topology top = topology(isoTris, isoTriCount, isoVertCount);
    EXPECT_TRUE(top.paired);
    EXPECT_EQ(top.vertices - top.edges + top.faces, 2);
    EXPECT_NEAR(isoVertCount, 2700, 300);
    EXPECT_NEAR(isoTriCount, 5400, 600);
    EXPECT_EQ(isoTriCount, 2 * isoVertCount - 4);
    // Linear interpolation along lattice edges of a field whose level set is
    // a sphere of radius 7.84 puts every vertex within a few hundredths.
    double lo = 1e9, hi = 0.0;
    for (int i = 0; i < isoVertCount; i++) {
        double r = std::sqrt(dot(vert(isoVerts, i), vert(isoVerts, i)));
        lo = std::min(lo, r);
        hi = std::max(hi, r);
    }
    EXPECT_GT(lo, level - 0.05);
    EXPECT_LT(hi, level + 0.05);
    double rawMean = meanRadius(isoVerts, isoVertCount, centre);
    EXPECT_NEAR(rawMean, level, 0.02);
    std::vector<float> raw(isoVerts, isoVerts + 3 * isoVertCount);

    isoBuild(&blob, 1);
    ASSERT_EQ(isoVertCount, (int)raw.size() / 3);
    // Averaging with neighbouring centroids pulls a convex surface inwards,
    // by about a quarter of the squared edge length (about 0.7 here) over
    // the radius: some hundredths, well under 0.05.
    double smoothMean = meanRadius(isoVerts, isoVertCount, centre);
    EXPECT_LT(smoothMean, rawMean - 0.005);
    EXPECT_GT(smoothMean, rawMean - 0.05);
    for (int i = 0; i < isoVertCount; i++) {
        double r = std::sqrt(dot(vert(isoVerts, i), vert(isoVerts, i)));
        EXPECT_LT(r, hi);
        EXPECT_GT(r, lo - 0.15);
    }

    const double sphere = 4.0 / 3.0 * M_PI * level * level * level;
    EXPECT_NEAR(volume(isoVerts, isoTris, isoTriCount), sphere, 0.03 * sphere);

    // Winding: each triangle's right-hand normal points away from the centre
    // and agrees with the field-gradient normals of its corners.
    int wrong = 0;
    for (int t = 0; t < isoTriCount; t++) {
        const int* tri = isoTris + 3 * t;
        Vec a = vert(isoVerts, tri[0]), b = vert(isoVerts, tri[1]), c = vert(isoVerts, tri[2]);
        Vec n = cross(sub(b, a), sub(c, a));
        Vec mid{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, (a.z + b.z + c.z) / 3};
        Vec g = vert(isoNorms, tri[0]);
        if (dot(n, mid) <= 0.0 || dot(n, g) <= 0.0) wrong++;
    }
    EXPECT_EQ(wrong, 0);
    // The gradient normals point outwards with the field's slope at the level:
    // |d/dr (0.5 - r^2/R^2)^2| = 4 r (0.5 - s) / R^2, about 0.027 here.
    for (int i = 0; i < isoVertCount; i += 97) {
        Vec p = vert(isoVerts, i), g = vert(isoNorms, i);
        double r = std::sqrt(dot(p, p)), len = std::sqrt(dot(g, g));
        EXPECT_GT(dot(p, g) / (r * len), 0.99);
        EXPECT_NEAR(len, 4.0 * level * std::sqrt(0.12) / (R * R), 0.003);
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
    const int n = 5;
    buildUnsmoothed(blobs, n);
    ASSERT_GT(isoTriCount, 1000);
    Topology top = topology(isoTris, isoTriCount, isoVertCount);
    EXPECT_TRUE(top.paired);
    // Two closed surfaces of genus 0: the outside and the hollow.
    EXPECT_EQ(top.vertices - top.edges + top.faces, 4);
    int off = 0;
    for (int i = 0; i < isoVertCount; i++)
        if (!onCrossingSegment(vert(isoVerts, i), blobs, n)) off++;
    EXPECT_EQ(off, 0);
    // No vertex inside the hollow's empty core, where the field is negative.
    for (int i = 0; i < isoVertCount; i++) {
        Vec d = sub(vert(isoVerts, i), Vec{0.2, -0.3, 0.1});
        ASSERT_GT(dot(d, d), 1.0);
    }

    isoBuild(blobs, n);
    top = topology(isoTris, isoTriCount, isoVertCount);
    EXPECT_TRUE(top.paired);
    EXPECT_GT(volume(isoVerts, isoTris, isoTriCount), 0.0);
}

TEST(Isosurface, SurfaceCutByTheLatticeBorderStaysConsistent)
{
    // A blob reaching past the lattice: the surface is open at the border,
    // every edge inside the lattice is still paired and every index valid.
    const Blob blob{12.0f, -10.0f, 3.0f, 18.0f, 0, 0};
    isoBuild(&blob, 1);
    ASSERT_GT(isoTriCount, 0);
    std::map<std::pair<int, int>, int> directed;
    for (int t = 0; t < isoTriCount; t++)
        for (int k = 0; k < 3; k++) {
            int a = isoTris[3 * t + k], b = isoTris[3 * t + (k + 1) % 3];
            ASSERT_LT(a, isoVertCount);
            directed[{a, b}]++;
        }
    int open = 0;
    for (auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1);
        if (!directed.count({edge.second, edge.first})) open++;
    }
    EXPECT_GT(open, 0);
}

TEST(Isosurface, NothingInsideGivesAnEmptyMesh)
{
    const Blob blob{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    isoBuild(&blob, 1);
    ASSERT_GT(isoVertCount, 0);

    isoBuild(nullptr, 0);
    EXPECT_EQ(isoVertCount, 0);
    EXPECT_EQ(isoTriCount, 0);

    const Blob negatives[] = {{0.0f, 0.0f, 0.0f, 20.0f, 1, 0}, {5.0f, 2.0f, 0.0f, 9.0f, 7, 0}};
    isoBuild(negatives, 2);
    EXPECT_EQ(isoVertCount, 0);
    EXPECT_EQ(isoTriCount, 0);
    // A positive blob below the level everywhere (its peak is 0.25 at the
    // centre, here between lattice points and cut by a negative one).
    const Blob weak[] = {{0.5f, 0.5f, 0.5f, 1.0f, 0, 0}, {0.5f, 0.5f, 0.5f, 3.0f, 1, 0}};
    isoBuild(weak, 2);
    EXPECT_EQ(isoVertCount, 0);
    EXPECT_EQ(isoTriCount, 0);
}

TEST(Isosurface, MatchesTheReferenceBitForBit)
{
    auto ref = isoref::makeState();
    auto check = [&](const Blob* blobs, int n, const char* what) {
        isoBuild(blobs, n);
        isoref::build(*ref, blobs, n);
        expectSameAsReference(*ref, what);
    };
    for (float t : {3.0f, 8.0f, 12.0f, 14.5f, 0.0f, 15.5f}) {
        Blob blobs[SHOW_BLOB_COUNT];
        showBlobs(t, blobs);
        std::string what = "show blobs at t = " + std::to_string(t);
        check(blobs, SHOW_BLOB_COUNT, what.c_str());
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
        int n = 3 + set * 2 > 12 ? 12 : 3 + set * 2;
        for (int i = 0; i < n; i++)
            blobs[i] = Blob{rnd(-18.0f, 17.0f), rnd(-18.0f, 17.0f), rnd(-18.0f, 17.0f),
                            rnd(0.0f, 16.0f), i % 3 == 2, 0};
        if (set == 1) blobs[0] = Blob{-5.0f, 3.0f, 2.0f, 0.0f, 0, 0};
        if (set == 2) blobs[1] = Blob{2.0f, 2.0f, 2.0f, 0.9f, 0, 0};
        std::string what = "random set " + std::to_string(set);
        check(blobs, n, what.c_str());
        EXPECT_GT(isoTriCount, 400) << what;
    }
}

TEST(Isosurface, FieldMatchesTheReferenceAtAnyPoint)
{
    Blob blobs[SHOW_BLOB_COUNT];
    showBlobs(5.0f, blobs);
    std::vector<float> xs, ys, zs;
    for (int i = 0; i < 203; i++) {  // not a multiple of the batch size
        xs.push_back(16.0f + 0.37f * (float)(i % 23) - 4.0f);
        ys.push_back(16.0f + 0.29f * (float)(i % 17) - 2.5f);
        zs.push_back(15.5f + 0.11f * (float)(i % 7));
    }
    std::vector<float> got(xs.size()), want(xs.size());
    isoField(got.data(), xs.data(), ys.data(), zs.data(), (int)xs.size(), blobs, SHOW_BLOB_COUNT);
    isoref::field(want.data(), xs.data(), ys.data(), zs.data(), (int)xs.size(), blobs,
                  SHOW_BLOB_COUNT);
    EXPECT_EQ(0, memcmp(got.data(), want.data(), sizeof(float) * xs.size()));
    int nonzero = 0;
    for (float v : got) nonzero += v != 0.0f;
    EXPECT_GT(nonzero, 100);
}

TEST(Isosurface, ConsecutiveBuildsShareNoCacheEntries)
{
    // Two overlapping sets: if the second build reused slots of the first,
    // its vertices would carry the first build's positions and indices.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    const Blob b{0.4f, -0.3f, 0.2f, 19.0f, 0, 0};
    auto ref = isoref::makeState();
    isoref::build(*ref, &b, 1);

    isoBuild(&a, 1);
    int stamp = isoStamp;
    isoBuild(&b, 1);
    EXPECT_EQ(isoStamp, stamp + 1);
    expectSameAsReference(*ref, "after another set");
    Snapshot first = snapshot();
    isoBuild(&b, 1);
    Snapshot again = snapshot();
    EXPECT_EQ(first.verts, again.verts);
    EXPECT_EQ(first.tris, again.tris);

    // At the last stamp the cache is cleared and the stamps start over.
    isoStamp = INT_MAX;
    isoBuild(&a, 1);
    EXPECT_EQ(isoStamp, 0);
    isoBuild(&b, 1);
    EXPECT_EQ(isoStamp, 1);
    expectSameAsReference(*ref, "after the stamp wrapped");
}

namespace {

// Small blobs (R = 1.3 reaches 0.92) on the chosen lattice points: exactly
// those points are inside, so the pattern sets the surface cube by cube.
template <class Pick>
std::vector<Blob> latticeBlobs(Pick pick)
{
    std::vector<Blob> blobs;
    for (int z = 0; z < 32; z++)
        for (int y = 0; y < 32; y++)
            for (int x = 0; x < 32; x++)
                if (pick(x, y, z))
                    blobs.push_back(
                        Blob{(float)(x - 16), (float)(y - 16), (float)(z - 16), 1.3f, 0, 0});
    return blobs;
}

// Copies the library's evaluated lattice into the reference state.
void copyLattice(isoref::State& ref)
{
    for (int c = 0; c < ISO_CELLS; c++) {
        ref.cells[c].value = isoCellValue[c];
        ref.cells[c].inside = (isoInsideRows[c >> 5] >> (c & 31)) & 1;
    }
    for (int i = 0; i < 32; i++) {
        ref.countX[i] = isoCountX[i];
        ref.countY[i] = isoCountY[i];
        ref.countZ[i] = isoCountZ[i];
    }
    ref.vertCount = ref.triCount = 0;
    ref.stopped = false;
    ref.stamp++;
}

}  // namespace

TEST(IsosurfaceCapacity, AFinelyBrokenFieldFillsTheArraysAndStopsCleanly)
{
    uint32_t seed = 1;
    struct Case {
        const char* name;
        std::vector<Blob> blobs;
        int tris;  // where the build stops
    } cases[] = {
        // Isolated points on all-even and all-odd sites plus a sprinkle:
        // stops at a one-triangle tetrahedron with the array exactly full.
        {"sparse points",
         latticeBlobs([](int x, int y, int z) {
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
        buildUnsmoothed(c.blobs.data(), n);
        EXPECT_EQ(isoTriCount, c.tris);
        EXPECT_LE(isoVertCount, ISO_VERT_LIMIT);
        // The same stop, vertex for vertex, from the plain per-tetrahedron
        // build on the same lattice values.
        copyLattice(*ref);
        isoref::polygonize(*ref);
        EXPECT_TRUE(ref->stopped);
        expectSameAsReference(*ref, c.name, false);
        isoSmooth();
        isoref::smooth(*ref);
        EXPECT_EQ(0, memcmp(isoVerts, ref->verts.data(), sizeof(float) * 3 * isoVertCount));

        // The whole build: a consistent mesh, every vertex used and finite.
        isoBuild(c.blobs.data(), n);
        ASSERT_EQ(isoTriCount, c.tris);
        std::vector<char> used(isoVertCount, 0);
        for (int i = 0; i < 3 * isoTriCount; i++) {
            ASSERT_GE(isoTris[i], 0);
            ASSERT_LT(isoTris[i], isoVertCount);
            used[isoTris[i]] = 1;
        }
        int unused = 0, broken = 0;
        for (int v = 0; v < isoVertCount; v++) {
            unused += !used[v];
            for (int a = 0; a < 3; a++)
                broken += !std::isfinite(isoVerts[3 * v + a]) ||
                          !std::isfinite(isoNorms[3 * v + a]);
        }
        EXPECT_EQ(unused, 0);
        EXPECT_EQ(broken, 0);
        // Room stays for the points callers append after the surface.
        EXPECT_LE(isoVertCount + ISO_SPARE_POINTS, ISO_VERT_CAPACITY);
    }
}

namespace {

// The library's lattice values, inside flags and counters against the
// reference's.
void expectSameLattice(const isoref::State& ref)
{
    int values = 0, inside = 0;
    for (int c = 0; c < ISO_CELLS; c++) {
        values += memcmp(&isoCellValue[c], &ref.cells[c].value, sizeof(float)) != 0;
        inside += (int)((isoInsideRows[c >> 5] >> (c & 31)) & 1) != ref.cells[c].inside;
    }
    EXPECT_EQ(values, 0);
    EXPECT_EQ(inside, 0);
    for (int i = 0; i < 32; i++) {
        EXPECT_EQ(isoCountX[i], ref.countX[i]);
        EXPECT_EQ(isoCountY[i], ref.countY[i]);
        EXPECT_EQ(isoCountZ[i], ref.countZ[i]);
    }
}

}  // namespace

TEST(Isosurface, FillOfAnyBoxMatchesTheReference)
{
    // Boxes that are not made of whole 4 x 4 x 4 blocks take the general
    // leaf and clear paths; a later full build must not be misled by them.
    const Blob a{0.0f, 0.0f, 0.0f, 20.0f, 0, 0};
    const Blob b[] = {{-9.0f, -8.5f, -7.0f, 9.0f, 0, 0}, {6.0f, 5.0f, 9.5f, 11.0f, 0, 0},
                      {6.5f, 5.0f, 9.0f, 4.0f, 1, 0}};
    auto ref = isoref::makeState();
    isoBuild(&a, 1);
    isoref::build(*ref, &a, 1);
    struct Box {
        int x0, x1, y0, y1, z0, z1;
    } boxes[] = {{3, 30, 1, 29, 5, 32}, {0, 3, 0, 32, 0, 32}, {8, 24, 8, 24, 8, 24},
                 {5, 6, 5, 20, 0, 9}, {20, 32, 0, 32, 17, 31}};
    for (const Box& x : boxes) {
        SCOPED_TRACE(x.x0 * 10000 + x.y0 * 100 + x.z0);
        isoFill(x.x0, x.x1, x.y0, x.y1, x.z0, x.z1, b, 3);
        isoref::fill(*ref, x.x0, x.x1, x.y0, x.y1, x.z0, x.z1, b, 3);
        expectSameLattice(*ref);
    }
    isoBuild(&a, 1);
    isoref::build(*ref, &a, 1);
    expectSameLattice(*ref);
    expectSameAsReference(*ref, "full build after partial fills");
    isoBuild(b, 3);
    isoref::build(*ref, b, 3);
    expectSameLattice(*ref);
    expectSameAsReference(*ref, "another full build");
}

TEST(ShowBlobs, HollowClosesBlobsGrowAndNothingBreaksPastTheEnd)
{
    Blob b[SHOW_BLOB_COUNT];
    showBlobs(3.0f, b);
    EXPECT_TRUE(b[0].negative);
    EXPECT_EQ(b[0].radius, 5.0f);
    EXPECT_FLOAT_EQ(b[1].radius, 5.0f * std::pow(0.475f, 8.0f));  // 0.1 + 3/8
    EXPECT_EQ(b[7].radius, 5.0f);                                  // full size from t = 2.4
    double p = std::pow(1.0 - 3.0 / 16.0, 0.25);
    EXPECT_NEAR(b[4].x, 5.0 * p * std::sin(4.727 * 3.0 + 2.9 * 4), 1e-4);
    EXPECT_NEAR(b[4].y, 5.0 * p * std::sin(2.871 * 3.0 + 1.7 * 4), 1e-4);
    for (int i = 1; i < SHOW_BLOB_COUNT; i++) {
        EXPECT_FALSE(b[i].negative);
        EXPECT_EQ(b[i].z, 0.0f);
        EXPECT_EQ(b[i].shape, 0);
    }
    showBlobs(12.0f, b);
    EXPECT_EQ(b[0].radius, 3.0f);
    showBlobs(15.5f, b);
    EXPECT_EQ(b[0].radius, 0.0f);
    // From t = 16 on the centres sit at the origin instead of turning into
    // not-a-number, and the build still works.
    for (float t : {16.0f, 17.5f}) {
        showBlobs(t, b);
        for (const Blob& blob : b) {
            EXPECT_EQ(blob.x, 0.0f);
            EXPECT_EQ(blob.y, 0.0f);
            EXPECT_TRUE(std::isfinite(blob.radius));
        }
        isoBuild(b, SHOW_BLOB_COUNT);
        EXPECT_GT(isoTriCount, 0);
    }
}
