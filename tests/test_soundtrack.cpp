// The soundtrack data/tune.mp3, decoded by the program's sound layer, keeps
// time with the show: a loud, sharp accent on every hit row, a kick that
// lifts the bass band and a snare that lifts the low-mid band on the beats
// (the levels that shake the bubbles), and silence once the show is black.
// The measured figures are printed for reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "music/sound.h"
#include "music/spectrum.h"
#include "tests/support/audio_files.h"

namespace {

constexpr double rate = 44100.0;
constexpr double rowSeconds = 60.0 / 128.0 / 4.0;  // 1/64 pattern at 128 beats per minute
const int hitRows[] = {149, 201, 295, 391, 481, 536, 631, 746, 778};

long sampleOfRow(double row) { return std::lround(row * rowSeconds * rate); }

class Soundtrack : public ::testing::Test {
protected:
    static inline std::vector<float> pcm;  // interleaved stereo
    static inline std::vector<double> energySum;  // prefix sums of left² + right²

    static void SetUpTestSuite()
    {
        ASSERT_TRUE(FSOUND_Init(44100, 32, 8));
        std::vector<unsigned char> bytes = readFileBytes("data/tune.mp3");
        ASSERT_FALSE(bytes.empty()) << "data/tune.mp3 missing (make tune)";
        SoundStream* stream =
            FSOUND_Stream_Open(bytes.data(), FSOUND_NORMAL | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE, 0, int(bytes.size()));
        ASSERT_NE(stream, nullptr);
        pcm.assign(soundStreamPcm(stream), soundStreamPcm(stream) + 2 * soundStreamFrames(stream));
        energySum.assign(frames() + 1, 0.0);
        for (long i = 0; i < frames(); i++)
            energySum[i + 1] = energySum[i] + double(pcm[2 * i]) * pcm[2 * i] + double(pcm[2 * i + 1]) * pcm[2 * i + 1];
        FSOUND_Stream_Close(stream);
        FSOUND_Close();
    }

    static long frames() { return long(pcm.size() / 2); }

    // Mean energy per frame over [a, b), and its RMS per channel.
    static double energy(long a, long b)
    {
        a = std::clamp(a, 0L, frames());
        b = std::clamp(b, 0L, frames());
        return b > a ? (energySum[b] - energySum[a]) / double(b - a) : 0.0;
    }
    static double rms(long a, long b) { return std::sqrt(energy(a, b) / 2.0); }

    static double peak(long a)
    {
        double p = 0.0;
        for (size_t i = 2 * a; i < pcm.size(); i++)
            p = std::max(p, double(std::fabs(pcm[i])));
        return p;
    }

    // Band levels of the 1024 mono samples ending before `end`, as the
    // show's analysis step sees them.
    static void bands(long end, float levels[4])
    {
        float mono[1024], spectrum[512];
        for (long i = 0, s = end - 1024; i < 1024; i++, s++)
            mono[i] = s >= 0 && s < frames() ? 0.5f * (pcm[2 * s] + pcm[2 * s + 1]) : 0.0f;
        soundSpectrumOf(mono, spectrum);
        sumBands(spectrum, levels);
    }
};

TEST_F(Soundtrack, LastsSixteenPatternsAndFadesToSilence)
{
    ASSERT_GE(frames() / rate, 120.0);
    EXPECT_LT(peak(0), 1.0) << "clipped";
    // Still playing as pattern 15 begins, then faded out by its end.
    long p15 = sampleOfRow(15 * 64), quiet = sampleOfRow(16 * 64) - long(rate);
    std::printf("length %.3f s, peak %.3f; pattern 15 first second rms %.4f; from %.1f s to the end rms %.6f, "
                "peak %.6f\n", frames() / rate, peak(0), rms(p15, p15 + long(rate)), quiet / rate,
                rms(quiet, frames()), peak(quiet));
    EXPECT_GT(rms(p15, p15 + long(rate)), 0.05);
    EXPECT_LT(rms(quiet, frames()), 0.001);
    EXPECT_LT(peak(quiet), 0.005);
}

// An onset is where the energy of the next 5 ms jumps over that of the 25 ms
// before; each hit row must have the sharpest such jump of its surroundings
// within 10 ms of its time, a large jump, and be loud.
TEST_F(Soundtrack, HitRowsAreLoudSharpOnsets)
{
    const long after = long(0.005 * rate), before = long(0.025 * rate), search = long(0.04 * rate);
    double musicRms = rms(sampleOfRow(64), sampleOfRow(15 * 64));
    for (int row : hitRows) {
        long expected = sampleOfRow(row), best = expected;
        double bestJump = 0.0;
        for (long s = expected - search; s <= expected + search; s++) {
            double jump = energy(s, s + after) / (energy(s - before, s) + 1e-12);
            if (jump > bestJump) {
                bestJump = jump;
                best = s;
            }
        }
        double offsetMs = (best - expected) * 1000.0 / rate, hitRms = rms(best, best + long(0.05 * rate));
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
// the breakdown (the first half of pattern 10), the snare (claps, rolls) on
// the off-beats from pattern 1 on.
TEST_F(Soundtrack, KickAndSnareLiftTheBandsOnTheBeats)
{
    struct Levels {
        const char* name;
        float threshold;
        std::vector<std::pair<float, int>> onBeats;  // level, beat
    } kick{"band 0 on kick beats", 0.6f, {}}, snare{"band 1 on snare beats", 0.3f, {}};
    for (int beat = 0; beat < 15 * 16; beat++) {
        if (beat >= 160 && beat < 168)
            continue;
        float bass = 0, mid = 0, levels[4];
        for (int frame = 0; frame < 8; frame++) {
            bands(sampleOfRow(beat * 4) + std::lround(frame * rate / 60.0), levels);
            bass = std::max(bass, levels[0]);
            mid = std::max(mid, levels[1]);
        }
        kick.onBeats.push_back({bass, beat});
        if (beat >= 16 && (beat & 1))
            snare.onBeats.push_back({mid, beat});
    }
    for (Levels* l : {&kick, &snare}) {
        ASSERT_FALSE(l->onBeats.empty());
        for (auto [level, beat] : l->onBeats)
            EXPECT_GT(level, l->threshold) << l->name << ", beat " << beat;
        std::sort(l->onBeats.begin(), l->onBeats.end());
        std::printf("%s (%zu): min %.3f (beat %d), median %.3f, max %.3f\n", l->name, l->onBeats.size(),
                    l->onBeats.front().first, l->onBeats.front().second, l->onBeats[l->onBeats.size() / 2].first,
                    l->onBeats.back().first);
    }
}

}  // namespace
