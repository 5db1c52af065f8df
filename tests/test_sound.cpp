// The sound layer against SDL's dummy audio driver: decoding from memory,
// exact lengths and seeks, the end callback, the audible position and the
// spectrum.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

#include "music/sound.h"
#include "tests/support/audio_files.h"

namespace {

std::atomic<int> endCalls{0};

int countEnd(SoundStream*, void* buffer, int, void*)
{
    endCalls += !buffer;
    return 1;
}

int peakBin(const float* magnitudes)
{
    return int(std::max_element(magnitudes, magnitudes + 512) - magnitudes);
}

void waitMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// A test MP3 opened from memory; its bytes live as long as the stream.
class SoundLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(soundVersionProblem(), nullptr);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 8)) << SDL_GetError();
        endCalls = 0;
    }
    void TearDown() override
    {
        FSOUND_Stream_Close(stream);
        FSOUND_Close();
    }
    void open(const std::string& name, const std::vector<float>& samples, unsigned mode)
    {
        bytes = readFileBytes(makeTestMp3(name, samples));
        stream = FSOUND_Stream_Open(bytes.data(), mode | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE, 0, (int)bytes.size());
        ASSERT_NE(stream, nullptr);
        FSOUND_Stream_SetEndCallback(stream, countEnd, nullptr);
    }
    std::vector<unsigned char> bytes;
    SoundStream* stream = nullptr;
};

TEST_F(SoundLayer, DecodesFromMemoryWithExactLengthAndSeeks)
{
    ASSERT_NO_FATAL_FAILURE(open("length", sineSamples(440, 0.5, 1.5), FSOUND_NORMAL));
    // Gapless decoding: exactly the frames that were encoded, lined up with
    // the source sample by sample.
    EXPECT_EQ(soundStreamFrames(stream), 66150);
    EXPECT_EQ(FSOUND_Stream_GetLengthMs(stream), 1500);
    const float* pcm = soundStreamPcm(stream);
    for (int i = 2000; i < 3000; i += 7)
        ASSERT_NEAR(pcm[i * 2], 0.5 * std::sin(2 * M_PI * 440 * i / 44100.0), 0.02) << i;

    for (int ms : {0, 1, 7, 333, 1000, 1499}) {
        FSOUND_Stream_SetTime(stream, ms);
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), ms);
    }

    // Data that is not MP3 is refused.
    std::string text(20000, 'x');
    EXPECT_EQ(FSOUND_Stream_Open(text.data(), FSOUND_NORMAL, 0, (int)text.size()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(FSOUND_Stream_Open(bytes.data(), FSOUND_NORMAL, 0, 0), nullptr);

    // An info tag claiming 2^32 - 1 MP3 frames (found by fuzzing) opens
    // without asking for terabytes and decodes the frames that are there.
    std::vector<unsigned char> lying = bytes;
    const char tag[] = "Info";
    auto at = std::search(lying.begin(), lying.end(), tag, tag + 4);
    ASSERT_NE(at, lying.end());
    std::fill(at + 8, at + 12, 0xff);
    SoundStream* damaged = FSOUND_Stream_Open(lying.data(), FSOUND_NORMAL, 0, (int)lying.size());
    ASSERT_NE(damaged, nullptr);
    EXPECT_NEAR(soundStreamFrames(damaged), 66150, 1152 * 2);
    FSOUND_Stream_Close(damaged);
}

// Played for 1.2 s on the dummy device, a 0.6 s stream's position follows
// the wall clock less the device buffer, stops at the end and calls back
// once, with nothing left to hear; looping, it wraps without calling back
// and is about to play its start again at its end.
TEST_F(SoundLayer, PositionFollowsPlaybackToTheEndOrAroundTheLoop)
{
    for (unsigned mode : {FSOUND_NORMAL, FSOUND_LOOP_NORMAL}) {
        FSOUND_Stream_Close(stream);
        endCalls = 0;
        ASSERT_NO_FATAL_FAILURE(open(mode == FSOUND_NORMAL ? "end" : "loop", sineSamples(440, 0.3, 0.6), mode));
        int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, true);
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
        FSOUND_SetPaused(channel, false);
        auto start = std::chrono::steady_clock::now();
        auto elapsedMs = [&] {
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        };
        int wraps = 0, previous = 0;
        for (int i = 1; i <= 120; i++) {
            waitMs(10);
            double before = elapsedMs();
            int position = FSOUND_Stream_GetTime(stream);
            double after = elapsedMs();
            EXPECT_LE(position, 600);
            // The wall clock less the device buffer still queued, measured
            // against the clock itself so that a slow machine cannot fail it.
            if (wraps == 0 && after < 550) {
                EXPECT_TRUE(position <= after + 10 && position > before - 300) << position << " at " << before;
            }
            wraps += position < previous;
            previous = position;
        }
        if (mode == FSOUND_NORMAL) {
            EXPECT_EQ(endCalls, 1);
            EXPECT_EQ(previous, 600);
            const float* spectrum = FSOUND_DSP_GetSpectrum();
            EXPECT_EQ(*std::max_element(spectrum, spectrum + 512), 0.0f);
        } else {
            EXPECT_EQ(endCalls, 0);
            EXPECT_GE(wraps, 1);
            float atEnd[512], atStart[512];
            soundSpectrumAt(stream, soundStreamFrames(stream), atEnd);
            soundSpectrumAt(stream, 0, atStart);
            EXPECT_EQ(std::memcmp(atEnd, atStart, sizeof atEnd), 0);
            EXPECT_EQ(peakBin(atStart), 10);  // 440 Hz
        }
    }
}

// Without an output the stream runs on the clock from where it was heard:
// the position is the elapsed time (no device buffer to subtract), a pause
// holds it, a seek moves it, the end calls back once and looping wraps; the
// device is left alone, and closing the library forgets the mode.
TEST_F(SoundLayer, WithoutOutputThePositionRunsOnTheClock)
{
    for (unsigned mode : {FSOUND_NORMAL, FSOUND_LOOP_NORMAL}) {
        FSOUND_Stream_Close(stream);
        endCalls = 0;
        ASSERT_NO_FATAL_FAILURE(open(mode == FSOUND_NORMAL ? "clock" : "clockloop", sineSamples(440, 0.3, 0.6), mode));
        // Started as the program starts it, then taken off the device.
        int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, stream, nullptr, true);
        FSOUND_SetPaused(channel, false);
        soundPlayWithoutOutput();
        EXPECT_TRUE(soundPlaysWithoutOutput());
        FSOUND_Stream_SetTime(stream, 200);
        auto start = std::chrono::steady_clock::now();
        auto elapsedMs = [&] {
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        };
        waitMs(150);
        double before = elapsedMs();
        int position = FSOUND_Stream_GetTime(stream);
        double after = elapsedMs();
        EXPECT_GE(position, 200 + before - 5);
        EXPECT_LE(position, 200 + after + 20);

        FSOUND_SetPaused(channel, true);
        int held = FSOUND_Stream_GetTime(stream);
        waitMs(80);
        EXPECT_EQ(FSOUND_Stream_GetTime(stream), held);
        FSOUND_SetPaused(channel, false);
        waitMs(30);
        EXPECT_GT(FSOUND_Stream_GetTime(stream), held);

        FSOUND_Stream_SetTime(stream, 550);
        auto seek = std::chrono::steady_clock::now();
        int wraps = 0, previous = FSOUND_Stream_GetTime(stream);
        EXPECT_GE(previous, 550);
        // 0.2 s on: past the end once (a loop is 0.6 s long).
        while (std::chrono::steady_clock::now() - seek < std::chrono::milliseconds(200)) {
            waitMs(10);
            int now = FSOUND_Stream_GetTime(stream);
            wraps += now < previous;
            previous = now;
        }
        if (mode == FSOUND_NORMAL) {
            EXPECT_EQ(previous, 600);
            EXPECT_EQ(endCalls, 1);
        } else {
            EXPECT_GE(wraps, 1);
            EXPECT_EQ(endCalls, 0);
        }
        FSOUND_Close();
        EXPECT_FALSE(soundPlaysWithoutOutput());
        ASSERT_TRUE(FSOUND_Init(44100, 32, 8));
    }
}

// A sine on bin k of the 1024-point transform peaks on k at its amplitude,
// and the Hann window leaks into the two neighbours only.
TEST(Spectrum, PeaksOnTheToneAtItsAmplitude)
{
    const int bin = 40;
    std::vector<float> tone = sineSamples(bin * 44100.0 / 1024.0, 1.0, 0.1);
    float magnitudes[512];
    soundSpectrumOf(tone.data() + 100, magnitudes);
    EXPECT_EQ(peakBin(magnitudes), bin);
    EXPECT_NEAR(magnitudes[bin], 1.0f, 0.01f);
    EXPECT_NEAR(magnitudes[bin - 1], 0.5f, 0.01f);
    EXPECT_LT(magnitudes[bin + 3], 0.001f);
}

}  // namespace
