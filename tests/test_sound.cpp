// The sound layer against SDL's dummy audio driver: decoding from memory,
// exact lengths and seeks, the end callback, the audible position and the
// spectrum scale.
#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "music/sound.h"
#include "tests/support/audio_files.h"

namespace {

std::atomic<int> endCalls{0};

int countEnd(SoundStream*, void* buffer, int, void*)
{
    if (!buffer)
        endCalls++;
    return 1;
}

// The bytes of an MP3 stay alive as long as the stream uses them.
struct OpenedMp3 {
    std::vector<unsigned char> bytes;
    SoundStream* stream;
};

OpenedMp3 openMp3(const std::string& name, const std::vector<float>& samples, unsigned mode)
{
    OpenedMp3 opened;
    opened.bytes = readFileBytes(makeTestMp3(name, samples));
    opened.stream = FSOUND_Stream_Open(opened.bytes.data(), mode | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE, 0,
                                       (int)opened.bytes.size());
    return opened;
}

class SoundLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(soundVersionProblem(), nullptr);
        ASSERT_TRUE(FSOUND_Init(44100, 32, 8)) << SDL_GetError();
        endCalls = 0;
    }
    void TearDown() override { FSOUND_Close(); }
};

TEST_F(SoundLayer, DecodesFromMemoryWithExactLengthAndSeeks)
{
    OpenedMp3 mp3 = openMp3("length", sineSamples(440, 0.5, 1.5), FSOUND_NORMAL);
    ASSERT_NE(mp3.stream, nullptr);
    // Gapless decoding: exactly the frames that were encoded.
    EXPECT_EQ(soundStreamFrames(mp3.stream), 66150);
    EXPECT_EQ(FSOUND_Stream_GetLengthMs(mp3.stream), 1500);

    // The decoded tone lines up with the source sample by sample.
    const float* pcm = soundStreamPcm(mp3.stream);
    double error = 0;
    for (int i = 2000; i < 3000; i++)
        error = std::fmax(error, std::fabs(pcm[i * 2] - 0.5 * std::sin(2 * M_PI * 440 * i / 44100.0)));
    EXPECT_LT(error, 0.02);

    for (int ms : {0, 1, 7, 333, 1000, 1499}) {
        FSOUND_Stream_SetTime(mp3.stream, ms);
        EXPECT_EQ(FSOUND_Stream_GetTime(mp3.stream), ms);
    }
    FSOUND_Stream_SetTime(mp3.stream, -7500);
    EXPECT_EQ(FSOUND_Stream_GetTime(mp3.stream), 0);
    FSOUND_Stream_Close(mp3.stream);
}

TEST_F(SoundLayer, RefusesDataThatIsNotMp3)
{
    std::vector<unsigned char> noise(20000);
    for (size_t i = 0; i < noise.size(); i++)
        noise[i] = (unsigned char)(i * 7 + 3);
    EXPECT_EQ(FSOUND_Stream_Open(noise.data(), FSOUND_NORMAL, 0, (int)noise.size()), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(FSOUND_Stream_Open(noise.data(), FSOUND_NORMAL, 0, 0), nullptr);
}

TEST_F(SoundLayer, PositionGrowsWithPlayedAudioAndEndCallbackFiresOnce)
{
    OpenedMp3 mp3 = openMp3("end", sineSamples(440, 0.3, 0.6), FSOUND_NORMAL);
    ASSERT_NE(mp3.stream, nullptr);
    FSOUND_Stream_SetEndCallback(mp3.stream, countEnd, nullptr);
    int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, mp3.stream, nullptr, true);
    ASSERT_GE(channel, 0);
    EXPECT_EQ(FSOUND_Stream_GetTime(mp3.stream), 0);
    FSOUND_SetPaused(channel, false);

    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    int position = FSOUND_Stream_GetTime(mp3.stream);
    // 350 ms of wall time, less the device buffer still queued.
    EXPECT_GT(position, 150);
    EXPECT_LE(position, 360);
    EXPECT_EQ(endCalls, 0);

    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(endCalls, 1);
    EXPECT_EQ(FSOUND_Stream_GetTime(mp3.stream), 600);
    FSOUND_Stream_Close(mp3.stream);
}

TEST_F(SoundLayer, LoopingStreamWrapsWithoutEndCallback)
{
    OpenedMp3 mp3 = openMp3("loop", sineSamples(440, 0.3, 0.3), FSOUND_LOOP_NORMAL);
    ASSERT_NE(mp3.stream, nullptr);
    FSOUND_Stream_SetEndCallback(mp3.stream, countEnd, nullptr);
    int channel = FSOUND_Stream_PlayEx(FSOUND_FREE, mp3.stream, nullptr, false);
    ASSERT_GE(channel, 0);
    int maxSeen = 0, wraps = 0, previous = 0;
    for (int i = 0; i < 90; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        int position = FSOUND_Stream_GetTime(mp3.stream);
        EXPECT_LE(position, 300);
        if (position < previous)
            wraps++;
        previous = position;
        maxSeen = std::max(maxSeen, position);
    }
    EXPECT_GE(wraps, 2);
    EXPECT_GT(maxSeen, 200);
    EXPECT_EQ(endCalls, 0);
    FSOUND_Stream_Close(mp3.stream);
}

TEST(Spectrum, FullScaleSineOnABinReadsAboutOne)
{
    const int bin = 40;
    std::vector<float> tone = sineSamples(bin * 44100.0 / 1024.0, 1.0, 0.1);
    float magnitudes[512];
    soundSpectrumOf(tone.data() + 100, magnitudes);
    int peak = 0;
    for (int k = 1; k < 512; k++)
        if (magnitudes[k] > magnitudes[peak])
            peak = k;
    EXPECT_EQ(peak, bin);
    EXPECT_NEAR(magnitudes[bin], 1.0f, 0.01f);
    // The Hann window leaks into the two neighbours only.
    EXPECT_NEAR(magnitudes[bin - 1], 0.5f, 0.01f);
    EXPECT_LT(magnitudes[bin + 3], 0.001f);
}

TEST_F(SoundLayer, SpectrumFollowsThePlayingStream)
{
    const int bin = 93;
    OpenedMp3 mp3 = openMp3("tone", sineSamples(bin * 44100.0 / 1024.0, 0.9, 1.0), FSOUND_NORMAL);
    ASSERT_NE(mp3.stream, nullptr);
    const float* silent = FSOUND_DSP_GetSpectrum();
    EXPECT_EQ(silent[bin], 0.0f);
    FSOUND_Stream_PlayEx(FSOUND_FREE, mp3.stream, nullptr, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const float* spectrum = FSOUND_DSP_GetSpectrum();
    int peak = 0;
    for (int k = 1; k < 512; k++)
        if (spectrum[k] > spectrum[peak])
            peak = k;
    EXPECT_EQ(peak, bin);
    EXPECT_NEAR(spectrum[bin], 0.9f, 0.05f);
    FSOUND_Stream_Close(mp3.stream);
}

}  // namespace
