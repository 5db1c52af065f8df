// The committed soundtrack data/tune.mp3 as the program decodes it: long
// enough for the whole show, unclipped, and in time with the show, a sharp
// onset on every hit row. (Its musical content is checked by its generator,
// generators/gen_tune.cpp, before it is written.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "music/sound.h"
#include "tests/support/audio_files.h"

namespace {

constexpr double rate = 44100.0;
constexpr double rowSeconds = 60.0 / 128.0 / 4.0;  // 1/64 pattern at 128 beats per minute

class Soundtrack : public ::testing::Test {
protected:
    static inline std::vector<float> pcm;         // interleaved stereo
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
        energySum.assign(pcm.size() / 2 + 1, 0.0);
        for (size_t i = 0; i + 1 < energySum.size(); i++)
            energySum[i + 1] = energySum[i] + double(pcm[2 * i]) * pcm[2 * i] + double(pcm[2 * i + 1]) * pcm[2 * i + 1];
        FSOUND_Stream_Close(stream);
        FSOUND_Close();
    }

    // Mean energy per frame over [a, b).
    static double energy(long a, long b)
    {
        long frames = long(energySum.size()) - 1;
        a = std::clamp(a, 0L, frames), b = std::clamp(b, 0L, frames);
        return b > a ? (energySum[b] - energySum[a]) / double(b - a) : 0.0;
    }
};

TEST_F(Soundtrack, LastsSixteenPatternsUnclipped)
{
    EXPECT_GE(pcm.size() / 2 / rate, 16 * 64 * rowSeconds);
    float peak = 0.0f;
    for (float v : pcm) peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 1.0f);
}

// An onset is where the energy of the next 5 ms jumps over that of the 25 ms
// before; each hit row must have the sharpest such jump of its surroundings
// within 10 ms of its time (the decoder keeps the encoder's delay out).
TEST_F(Soundtrack, HitRowsAreSharpOnsetsOnTime)
{
    const long after = long(0.005 * rate), before = long(0.025 * rate), search = long(0.04 * rate);
    for (int row : {149, 201, 295, 391, 481, 536, 631, 746, 778}) {
        long expected = std::lround(row * rowSeconds * rate), best = expected;
        double bestJump = 0.0;
        for (long s = expected - search; s <= expected + search; s++) {
            double jump = energy(s, s + after) / (energy(s - before, s) + 1e-12);
            if (jump > bestJump) bestJump = jump, best = s;
        }
        EXPECT_LE(std::fabs((best - expected) * 1000.0 / rate), 10.0) << "row " << row;
        EXPECT_GT(bestJump, 50.0) << "row " << row;
    }
}

}  // namespace
