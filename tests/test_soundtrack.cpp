// The soundtrack data/tune.mp3, decoded by the program's sound layer, keeps
// time with the show: a loud, sharp accent on every hit row, a kick that
// lifts the bass band and a snare that lifts the low-mid band on the beats
// (the levels that shake the bubbles), and silence once the show is black.
// The measured figures are printed for reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "music/sound.h"

namespace {

constexpr double rate = 44100.0;
constexpr double rowSeconds = 60.0 / 128.0 / 4.0;  // 1/64 pattern at 128 beats per minute
constexpr int rowsPerBeat = 4, beatsPerPattern = 16;
const int hitRows[] = {149, 201, 295, 391, 481, 536, 631, 746, 778};

// The piece's one deliberate break: no drums during the first half of
// pattern 10 (beats 160 to 167).
bool inBreakdown(int beat) { return beat >= 160 && beat < 168; }

long sampleOfRow(double row) { return std::lround(row * rowSeconds * rate); }

class Soundtrack : public ::testing::Test {
protected:
    static std::vector<float> left, right;
    static std::vector<double> energySum;  // prefix sums of left² + right²

    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FSOUND_Init(44100, 32, 8));
        std::ifstream file("data/tune.mp3", std::ios::binary);
        ASSERT_TRUE(file) << "data/tune.mp3 missing (make tune)";
        std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        SoundStream* stream =
            FSOUND_Stream_Open(bytes.data(), FSOUND_NORMAL | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE, 0, int(bytes.size()));
        ASSERT_NE(stream, nullptr);
        long long frames = soundStreamFrames(stream);
        const float* pcm = soundStreamPcm(stream);
        ASSERT_NE(pcm, nullptr);
        left.resize(size_t(frames));
        right.resize(size_t(frames));
        energySum.assign(size_t(frames) + 1, 0.0);
        for (long long i = 0; i < frames; i++) {
            left[i] = pcm[2 * i];
            right[i] = pcm[2 * i + 1];
            energySum[i + 1] = energySum[i] + double(left[i]) * left[i] + double(right[i]) * right[i];
        }
        FSOUND_Stream_Close(stream);
        FSOUND_Close();
    }

    static long frames() { return long(left.size()); }

    // Mean energy per frame over [a, b).
    static double energy(long a, long b)
    {
        a = std::clamp(a, 0L, frames());
        b = std::clamp(b, 0L, frames());
        return b > a ? (energySum[b] - energySum[a]) / double(b - a) : 0.0;
    }

    // Band sums of the spectrum of the 1024 mono samples ending before `end`,
    // as the show's analysis step sees them.
    static void bands(long end, double& bass, double& lowMid)
    {
        float mono[1024], spectrum[512];
        for (int i = 0; i < 1024; i++) {
            long s = end - 1024 + i;
            mono[i] = s >= 0 && s < frames() ? 0.5f * (left[s] + right[s]) : 0.0f;
        }
        soundSpectrumOf(mono, spectrum);
        bass = lowMid = 0.0;
        for (int k = 0; k < 16; k++) bass += spectrum[k];
        for (int k = 16; k < 64; k++) lowMid += spectrum[k];
    }
};

std::vector<float> Soundtrack::left, Soundtrack::right;
std::vector<double> Soundtrack::energySum;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

TEST_F(Soundtrack, LastsSixteenPatternsAndFadesToSilence)
{
    double seconds = frames() / rate;
    std::printf("length %.3f s\n", seconds);
    ASSERT_GE(seconds, 120.0);

    double peak = 0.0;
    for (long i = 0; i < frames(); i++) peak = std::max({peak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
    std::printf("peak %.3f\n", peak);
    EXPECT_LT(peak, 1.0) << "clipped";

    // Still playing as pattern 15 begins, then faded out by its end.
    long p15 = sampleOfRow(15 * 64);
    double startRms = std::sqrt(energy(p15, p15 + long(rate)) / 2.0);
    long quiet = sampleOfRow(16 * 64) - long(rate);
    double tailRms = std::sqrt(energy(quiet, frames()) / 2.0);
    double tailPeak = 0.0;
    for (long i = quiet; i < frames(); i++) tailPeak = std::max({tailPeak, double(std::fabs(left[i])), double(std::fabs(right[i]))});
    std::printf("pattern 15 first second rms %.4f; from %.1f s to the end rms %.6f, peak %.6f\n", startRms,
                quiet / rate, tailRms, tailPeak);
    EXPECT_GT(startRms, 0.05);
    EXPECT_LT(tailRms, 0.001);
    EXPECT_LT(tailPeak, 0.005);
}

// An onset is where the energy of the next 5 ms jumps over that of the 25 ms
// before; each hit row must have the sharpest such jump of its surroundings
// within 10 ms of its time, a large jump, and be loud.
TEST_F(Soundtrack, HitRowsAreLoudSharpOnsets)
{
    const long after = long(0.005 * rate), before = long(0.025 * rate), search = long(0.04 * rate);
    double musicRms = std::sqrt(energy(sampleOfRow(64), sampleOfRow(15 * 64)) / 2.0);
    for (int row : hitRows) {
        long expected = sampleOfRow(row);
        long best = expected;
        double bestJump = 0.0;
        for (long s = expected - search; s <= expected + search; s++) {
            double jump = energy(s, s + after) / (energy(s - before, s) + 1e-12);
            if (jump > bestJump) {
                bestJump = jump;
                best = s;
            }
        }
        double offsetMs = (best - expected) * 1000.0 / rate;
        double hitRms = std::sqrt(energy(best, best + long(0.05 * rate)) / 2.0);
        std::printf("hit row %d at %.4f s: onset %+.2f ms, energy jump x%.0f, rms of the first 50 ms %.3f (music %.3f)\n",
                    row, expected / rate, offsetMs, bestJump, hitRms, musicRms);
        EXPECT_LE(std::fabs(offsetMs), 10.0) << "row " << row;
        EXPECT_GT(bestJump, 50.0) << "row " << row;
        EXPECT_GT(hitRms, 1.3 * musicRms) << "row " << row;
    }
}

// Each beat is scanned as a frame loop at 60 frames per second would see it:
// the spectra of the windows ending 0 to 117 ms after the beat, highest
// level kept. The kick plays on every beat of patterns 0 to 14 but those of
// the breakdown, the snare (claps, rolls) on the off-beats from pattern 1 on.
TEST_F(Soundtrack, KickAndSnareLiftTheBandsOnTheBeats)
{
    std::vector<double> bassLevels, midLevels;
    int weakestBass = -1, weakestMid = -1;
    double minBass = 1e9, minMid = 1e9;
    for (int beat = 0; beat < 15 * beatsPerPattern; beat++) {
        if (inBreakdown(beat)) continue;
        long start = sampleOfRow(beat * rowsPerBeat);
        double bass = 0.0, mid = 0.0;
        for (int frame = 0; frame < 8; frame++) {
            double b, m;
            bands(start + std::lround(frame * rate / 60.0), b, m);
            bass = std::max(bass, b);
            mid = std::max(mid, m);
        }
        if (bass < minBass) {
            minBass = bass;
            weakestBass = beat;
        }
        bassLevels.push_back(bass);
        EXPECT_GT(bass, 0.6) << "beat " << beat;
        bool snare = beat >= beatsPerPattern && (beat & 1);
        if (snare) {
            if (mid < minMid) {
                minMid = mid;
                weakestMid = beat;
            }
            midLevels.push_back(mid);
            EXPECT_GT(mid, 0.3) << "beat " << beat;
        }
    }
    ASSERT_FALSE(midLevels.empty());
    std::printf("band 0 on %zu kick beats: min %.3f (beat %d), median %.3f, max %.3f\n", bassLevels.size(),
                minBass, weakestBass, median(bassLevels),
                *std::max_element(bassLevels.begin(), bassLevels.end()));
    std::printf("band 1 on %zu snare beats: min %.3f (beat %d), median %.3f, max %.3f\n", midLevels.size(),
                minMid, weakestMid, median(midLevels),
                *std::max_element(midLevels.begin(), midLevels.end()));
}

}  // namespace
