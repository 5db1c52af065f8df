// The music stream and time base: show time, seeking, freezing, the stream
// end, the error texts, the start-up failures and the band sums.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "music/music.h"
#include "music/sound.h"
#include "music/spectrum.h"
#include "shell/lifecycle.h"
#include "tests/support/audio_files.h"

namespace {

// A 20 s quiet tone at 128 beats per minute (7.5 s a pattern), held still
// so that positions read back exactly what was set.
class MusicStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::string tune = makeTestMp3("long", sineSamples(220, 0.2, 20.0));
        startTestMusic(tune);
        FSOUND_SetPaused(musicChannel, true);
        FSOUND_Stream_SetTime(musicStream, 0);
    }
    void TearDown() override
    {
        frozenTime = 0.0f;
        stopMusic();
    }
};

TEST_F(MusicStream, ShowTimeAndSeekToPatternConvertPatternsAndMilliseconds)
{
    const std::pair<int, float> times[] = {{0, 0.0f}, {7500, 1.0f}, {18750, 2.5f}, {1000, 0.13333334f}};
    for (auto [ms, patterns] : times) {
        FSOUND_Stream_SetTime(musicStream, ms);
        EXPECT_EQ(currentShowTime(), patterns) << ms;
    }
    // Truncated toward zero; before the start clamps to it.
    const std::pair<float, int> seeks[] = {{0.0f, 0}, {1.0f, 7500}, {2.0f, 15000}, {0.99999f, 7499}, {-1.0f, 0}};
    for (auto [patterns, ms] : seeks) {
        seekToPattern(patterns);
        EXPECT_EQ(FSOUND_Stream_GetTime(musicStream), ms) << patterns;
    }
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

// The stream's end ends the show once, for a non-looping tune only; the
// callback's other calls (with data) never do.
TEST(Music, EndOfTheTuneEndsTheShowOnceUnlessItLoops)
{
    for (int loop : {0, 1}) {
        startTestMusic(makeTestMp3(loop ? "loop" : "short", sineSamples(440, 0.2, 0.3)), loop);
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        EXPECT_EQ(quitRequested, loop ? 0 : 1) << loop;
        EXPECT_LE(FSOUND_Stream_GetTime(musicStream), 300);
        stopMusic();
    }
    quitRequested = 0;
    int data = 0;
    EXPECT_EQ(streamCallback(nullptr, &data, 4, nullptr), 1);
    EXPECT_EQ(quitRequested, 0);
}

TEST(Music, UnreadableFilesAreFatalAndNameTheFile)
{
    auto fileOf = [](const char* name, const char* line, int lines) {
        std::string path = testScratchDir() + "/" + name;
        FILE* file = std::fopen(path.c_str(), "wb");
        for (int i = 0; i < lines; i++)
            std::fputs(line, file);
        std::fclose(file);
        return path;
    };
    const std::pair<std::string, const char*> cases[] = {
        {"data/no-such-tune.mp3", "^data/no-such-tune.mp3 not found\n$"},
        {fileOf("empty.mp3", "", 0), "empty.mp3 is empty"},
        {fileOf("text.mp3", "this is not an mp3 file\n", 2000), "text.mp3: Unknown file format"},
        {testScratchDir(), "vorn-test-.* is empty or cannot be read"},  // a folder opens but reads nothing
    };
    for (auto& [path, message] : cases)
        EXPECT_EXIT(startMusic(path.c_str(), 128.0f, 0), testing::ExitedWithCode(1), message);
}

TEST(Music, ErrorTextsQuoteTheLibraryTable)
{
    const std::pair<int, const char*> texts[] = {
        {0, "No errors"},
        {1, "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first."},
        {3, "Error initializing output device."},
        {12, "Not enough memory "},
        {18, "Required Mediaplayer codec is not installed"},
        {19, "Unknown error"},
        {-1, "Unknown error"},
    };
    for (auto [code, text] : texts)
        EXPECT_STREQ(fmodErrorText(code), text) << code;
}

TEST(Bands, SumTheirIndexRanges)
{
    float all[512], levels[4];
    std::fill(all, all + 512, 1.0f);
    sumBands(all, levels);
    EXPECT_EQ(levels[0], 16.0f);
    EXPECT_EQ(levels[1], 48.0f);
    EXPECT_EQ(levels[2], 64.0f);
    EXPECT_EQ(levels[3], 384.0f);

    const std::pair<int, int> edges[] = {{15, 0}, {16, 1}, {63, 1}, {64, 2}, {127, 2}, {128, 3}, {511, 3}};
    for (auto [index, band] : edges) {
        float one[512] = {};
        one[index] = 1.0f;
        sumBands(one, levels);
        for (int b = 0; b < 4; b++)
            EXPECT_EQ(levels[b], b == band ? 1.0f : 0.0f) << "index " << index;
    }
}

}  // namespace
