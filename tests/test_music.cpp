// The music stream and time base: show time, seeking, freezing, the stream
// end, the error texts, the start-up failures and the band sums.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "music/music.h"
#include "music/sound.h"
#include "music/spectrum.h"
#include "shell/lifecycle.h"
#include "tests/support/audio_files.h"

namespace {

// A 20 s quiet tone: long enough for every seek below.
const std::string& longTune()
{
    static std::string path = makeTestMp3("long", sineSamples(220, 0.2, 20.0));
    return path;
}

class MusicStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        quitRequested = 0;
        frozenTime = 0.0f;
        musicChannel = -1;
        startMusic(longTune().c_str(), 128.0f, 0);
        // Held still, positions read back exactly what was set.
        FSOUND_SetPaused(musicChannel, true);
        FSOUND_Stream_SetTime(musicStream, 0);
    }
    void TearDown() override
    {
        frozenTime = 0.0f;
        stopMusic();
    }
};

TEST_F(MusicStream, ShowTimeIsPatternsOfTheStreamPosition)
{
    EXPECT_EQ(currentShowTime(), 0.0f);
    FSOUND_Stream_SetTime(musicStream, 7500);
    EXPECT_EQ(currentShowTime(), 1.0f);
    FSOUND_Stream_SetTime(musicStream, 18750);
    EXPECT_EQ(currentShowTime(), 2.5f);
    FSOUND_Stream_SetTime(musicStream, 1000);
    EXPECT_EQ(currentShowTime(), (float)(1000 / 60000.0 * 128.0f * 0.0625));
}

TEST_F(MusicStream, SeekToPatternTruncatesTowardZeroAndClampsBelowZero)
{
    seekToPattern(0.0f);
    EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), 0);
    seekToPattern(1.0f);
    EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), 7500);
    seekToPattern(2.0f);
    EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), 15000);
    seekToPattern(0.99999f);
    EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), 7499);
    seekToPattern(-1.0f);
    EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), 0);
}

TEST_F(MusicStream, FrozenTimeHoldsTheShowAndPutsTheStreamBack)
{
    frozenTime = 1.25f;
    FSOUND_Stream_SetTime(musicStream, 3000);
    for (int i = 0; i < 3; i++) {
        auto before = std::chrono::steady_clock::now();
        EXPECT_EQ(currentShowTime(), 1.25f);
        auto slept = std::chrono::steady_clock::now() - before;
        EXPECT_GE(slept, std::chrono::milliseconds(1));
        EXPECT_LE(slept, std::chrono::milliseconds(260));
        EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), 9375);
        FSOUND_Stream_SetTime(musicStream, 12000);
    }
}

TEST_F(MusicStream, PlayingMusicMovesTheShowAndFillsTheBands)
{
    FSOUND_SetPaused(musicChannel, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    float t = currentShowTime();
    EXPECT_GT(t, 0.1f / 7.5f);
    EXPECT_LT(t, 0.31f / 7.5f);
    analysisStep();
    // A 0.2 sine at 220 Hz lies in band 0.
    EXPECT_NEAR(bandLevel[0], 0.2f * 1.5f, 0.1f);
    EXPECT_LT(bandLevel[2], 0.01f);
}

TEST(Music, EndOfANonLoopingTuneEndsTheShowOnce)
{
    quitRequested = 0;
    musicChannel = -1;
    startMusic(makeTestMp3("short", sineSamples(440, 0.2, 0.4)).c_str(), 128.0f, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(quitRequested, 1);
    stopMusic();
    quitRequested = 0;
}

TEST(Music, ALoopingTuneNeverEnds)
{
    quitRequested = 0;
    musicChannel = -1;
    startMusic(makeTestMp3("loop", sineSamples(440, 0.2, 0.25)).c_str(), 128.0f, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    EXPECT_EQ(quitRequested, 0);
    EXPECT_LT(FSOUND_Stream_GetTime(musicStream), 251);
    stopMusic();
}

TEST(Music, StreamCallbackEndsTheShowOnlyAtTheEnd)
{
    quitRequested = 0;
    int dummy = 0;
    EXPECT_EQ(streamCallback(nullptr, &dummy, 4, nullptr), 1);
    EXPECT_EQ(quitRequested, 0);
    EXPECT_EQ(streamCallback(nullptr, nullptr, 0, nullptr), 1);
    EXPECT_EQ(quitRequested, 1);
    quitRequested = 0;
}

TEST(Music, UnreadableFilesAreFatalAndNameTheFile)
{
    EXPECT_EXIT(startMusic("data/no-such-tune.mp3", 128.0f, 0), testing::ExitedWithCode(1),
                "^data/no-such-tune.mp3 not found\n$");

    std::string empty = testScratchDir() + "/empty.mp3";
    std::fclose(std::fopen(empty.c_str(), "wb"));
    EXPECT_EXIT(startMusic(empty.c_str(), 128.0f, 0), testing::ExitedWithCode(1), "empty.mp3 is empty");

    std::string text = testScratchDir() + "/text.mp3";
    FILE* file = std::fopen(text.c_str(), "wb");
    for (int i = 0; i < 2000; i++)
        std::fputs("this is not an mp3 file\n", file);
    std::fclose(file);
    EXPECT_EXIT(startMusic(text.c_str(), 128.0f, 0), testing::ExitedWithCode(1), "text.mp3: Unknown file format");

    // A folder opens but has nothing to read.
    EXPECT_EXIT(startMusic(testScratchDir().c_str(), 128.0f, 0), testing::ExitedWithCode(1),
                "vorn-test-.* is empty or cannot be read");
}

TEST(Music, ErrorTextsQuoteTheLibraryTable)
{
    EXPECT_STREQ(fmodErrorText(0), "No errors");
    EXPECT_STREQ(fmodErrorText(1), "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_STREQ(fmodErrorText(3), "Error initializing output device.");
    EXPECT_STREQ(fmodErrorText(12), "Not enough memory ");
    EXPECT_STREQ(fmodErrorText(18), "Required Mediaplayer codec is not installed");
    EXPECT_STREQ(fmodErrorText(19), "Unknown error");
    EXPECT_STREQ(fmodErrorText(-1), "Unknown error");
}

TEST(Bands, SumTheirIndexRanges)
{
    float spectrum[512] = {};
    float levels[4];
    sumBands(spectrum, levels);
    for (float level : levels)
        EXPECT_EQ(level, 0.0f);

    for (float& value : spectrum)
        value = 1.0f;
    sumBands(spectrum, levels);
    EXPECT_EQ(levels[0], 16.0f);
    EXPECT_EQ(levels[1], 48.0f);
    EXPECT_EQ(levels[2], 64.0f);
    EXPECT_EQ(levels[3], 384.0f);

    const int index[] = {15, 16, 63, 64, 127, 128, 511};
    const int band[] = {0, 1, 1, 2, 2, 3, 3};
    for (int i = 0; i < 7; i++) {
        float one[512] = {};
        one[index[i]] = 1.0f;
        sumBands(one, levels);
        for (int b = 0; b < 4; b++)
            EXPECT_EQ(levels[b], b == band[i] ? 1.0f : 0.0f) << "index " << index[i];
    }
}

}  // namespace
