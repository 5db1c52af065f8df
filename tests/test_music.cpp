// The music stream and time base: music time in patterns, seconds,
// milliseconds and sample frames (as the capture's times use it), show
// time, seeking, freezing, the stream end, the start-up failures and the
// band levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <set>
#include <thread>

#include "base/fatal.h"
#include "music/music.h"
#include "music/music_time.h"
#include "music/sound.h"
#include "music/spectrum.h"
#include "programs/vorn-capture/frame_loop.h"
#include "programs/vorn-capture/options.h"
#include "tests/support/audio_files.h"

// The clock every test here plays its music on.
static MusicClock& music = testMusic();

namespace {

// 20 s at 128 beats per minute (7.5 s a pattern): a quiet 220 Hz tone (band
// 0) for the first pattern, then 1 kHz (band 1) swelling from 0.1 to 0.5
// every 250 ms. Held still, so that positions read back what was set.
class MusicStream : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::string tune = [] {
            std::vector<float> samples = sineSamples(220, 0.2, 20.0);
            for (size_t i = 330750; i < samples.size(); i++)
                samples[i] = (float)((0.1 + 1.6 * std::fmod((i - 330750) / 44100.0, 0.25))
                                     * std::sin(2 * M_PI * 1000 * i / 44100.0));
            return makeTestMp3("long", samples);
        }();
        startTestMusic(tune);
        FSOUND_SetPaused(music.musicChannel, true);
        FSOUND_Stream_SetTime(music.musicStream, 0);
    }
    void TearDown() override
    {
        music.frozenTime = 0.0f;
        stopMusic(&music);
    }
};

// A pattern is 16 beats at 128 a minute: 7.5 s. So pattern 8 is one minute
// into the music, 60 s, 60000 ms and 60 x 44100 sample frames, and the
// capture's times "8" and "60s" name that one moment; at 30 frames a second
// a pattern holds 225 frames. The conversions follow the tempo given (at
// 96 BPM a pattern is 10 s), and the end of the music is its decoded length.
TEST(MusicTime, PatternsSecondsMillisecondsFramesAndTheCapturesTimesAgree)
{
    EXPECT_EQ(patternsToSeconds(8.0, showBpm), 60.0);
    EXPECT_EQ(secondsToPatterns(60.0, showBpm), 8.0);
    EXPECT_EQ(patternStartMs(8.0f, showBpm), 60000);
    EXPECT_EQ(patternsAtMs(60000, showBpm), 8.0f);
    EXPECT_EQ(secondsToSoundFrames(60.0), 60 * 44100);
    EXPECT_EQ(secondsToSoundFrames(0.7), 30870);  // the nearest frame: 0.7 x 44100 is 30869.999... in double
    // The millisecond a pattern lies in, truncated toward zero either side of 0.
    EXPECT_EQ(patternStartMs(0.99999f, showBpm), 7499);
    EXPECT_EQ(patternStartMs(-0.99999f, showBpm), -7499);
    EXPECT_EQ(patternsAtMs(1000, showBpm), 0.13333334f);
    EXPECT_EQ(patternStartMs(1.0f, 96.0f), 10000);
    EXPECT_EQ(patternsAtMs(10000, 96.0f), 1.0f);
    EXPECT_EQ(patternsToSeconds(1.0, 96.0f), 10.0);
    EXPECT_EQ(secondsToPatterns(10.0, 96.0f), 1.0);

    double patterns = -1, seconds = -1, pattern1 = -1;
    EXPECT_TRUE(parseShowTime("8", &patterns) && parseShowTime("60s", &seconds) && parseShowTime("7.5s", &pattern1));
    EXPECT_EQ(patterns, 8.0);
    EXPECT_EQ(seconds, 8.0);
    EXPECT_EQ(pattern1, 1.0);
    FrameSpan span = makeFrameSpan(8.0, 9.0, 30.0);
    EXPECT_EQ(span.count, 225);
    EXPECT_DOUBLE_EQ(frameTime(span, 45), 8.2);  // 1.5 s in
    CaptureOptions options{};
    options.from = 17.0;
    EXPECT_EQ(checkAgainstMusic(options, 16.0).rfind("the music ends at 16.00 patterns (120.00 s);", 0), 0u);

    // 0.3 s of music ends 0.04 patterns in.
    loadMusic(&music, makeTestMp3("end", sineSamples(440, 0.2, 0.3)).c_str(), 0);
    EXPECT_NEAR(musicEndPatterns(music), 0.04, 1e-9);
    music.bpm = 96.0f;
    EXPECT_NEAR(musicEndPatterns(music), 0.03, 1e-9);
    music.bpm = showBpm;
    stopMusic(&music);
}

// Seeking to a pattern lands on its first millisecond, where the show time
// reads that pattern again; the millisecond before reads less. The clock
// seeks and reads at its own tempo.
TEST_F(MusicStream, SeekingToAPatternLandsOnItsFirstMillisecond)
{
    for (auto [pattern, ms] : {std::pair{0.0f, 0}, {1.0f, 7500}, {2.0f, 15000}, {2.5f, 18750}}) {
        seekToPattern(music, pattern);
        EXPECT_EQ(FSOUND_Stream_GetTime(music.musicStream), ms) << pattern;
        EXPECT_EQ(currentShowTime(&music), pattern);
        EXPECT_EQ(streamShowTime(music), pattern);
        if (ms > 0) {
            FSOUND_Stream_SetTime(music.musicStream, ms - 1);
            EXPECT_LT(currentShowTime(&music), pattern);
        }
    }
    // Before the start the stream clamps to it.
    seekToPattern(music, -1.0f);
    EXPECT_EQ(FSOUND_Stream_GetTime(music.musicStream), 0);
    music.bpm = 96.0f;
    seekToPattern(music, 1.5f);
    EXPECT_EQ(FSOUND_Stream_GetTime(music.musicStream), 15000);
    EXPECT_EQ(currentShowTime(&music), 1.5f);
    music.bpm = showBpm;
    // Computed in float, a show time seeks back to the millisecond it was
    // read at nearly always (in double only about half the time).
    int exact = 0, count = 0;
    for (int ms = 0; ms < 20000; ms += 7, count++) {
        FSOUND_Stream_SetTime(music.musicStream, ms);
        seekToPattern(music, currentShowTime(&music));
        exact += FSOUND_Stream_GetTime(music.musicStream) == ms;
    }
    EXPECT_GT(exact, count * 95 / 100);
}

// Right after a seek the levels describe the music from the new position
// on, exactly as analysisAt computes them without playing.
TEST_F(MusicStream, LevelsFollowTheMusicFromASeekOn)
{
    for (auto [pattern, band] : {std::pair{1.0f, 1}, {0.5f, 0}}) {  // 1 kHz from pattern 1, 220 Hz before
        seekToPattern(music, pattern);
        float levels[4];
        analysisStep(levels);
        EXPECT_GT(levels[band], 0.1f) << pattern;
        EXPECT_LT(levels[1 - band], 0.05f) << pattern;
    }

    for (int ms : {0, 3750, 7499, 7500, 12345, 19990}) {
        FSOUND_Stream_SetTime(music.musicStream, ms);
        std::vector<float> live(4), offline(4);
        analysisStep(live.data());
        analysisAt(music, ms, offline.data());
        EXPECT_EQ(offline, live) << ms;
    }
}

// Played, the show time follows the music and so do the levels (a 0.2 sine
// at 220 Hz lies in band 0). Every frozen frame puts the stream back to the
// held position and lets it replay 1..201 ms, and the levels follow that
// stretch, so they vary.
TEST_F(MusicStream, PlayingMovesTheShowAndFreezingReplaysTheHeldStretch)
{
    FSOUND_SetPaused(music.musicChannel, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    float t = currentShowTime(&music);
    EXPECT_TRUE(t > 0.1f / 7.5f && t < 0.31f / 7.5f) << t;
    float played[4];
    analysisStep(played);
    EXPECT_NEAR(played[0], 0.2f * 1.5f, 0.1f);
    EXPECT_LT(played[2], 0.01f);

    music.frozenTime = 1.0f;
    std::set<float> levels;
    for (int frame = 0; frame < 8; frame++) {
        FSOUND_Stream_SetTime(music.musicStream, 12000);  // however far it has played
        auto before = std::chrono::steady_clock::now();
        EXPECT_EQ(currentShowTime(&music), 1.0f);
        int ms = FSOUND_Stream_GetTime(music.musicStream);
        auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
        // Played on from the held position for as long as the call took, no more.
        EXPECT_TRUE(ms >= 7500 && ms < 7600 + waited.count()) << ms << " after " << waited.count() << " ms";
        if (ms >= 7760)
            continue;  // a stalled machine played on into the 1 kHz stretch
        float frozen[4];
        analysisStep(frozen);
        EXPECT_LT(frozen[0], 0.05f);
        levels.insert(frozen[1]);
    }
    EXPECT_GE(levels.size(), 3u);
}

// The stream's end ends the show once, for a non-looping tune only; the
// callback's other calls (with data) never do. Home then brings the music
// back, levels included.
TEST(Music, EndOfTheTuneEndsTheShowOnceUnlessItLoops)
{
    for (int loop : {0, 1}) {
        startTestMusic(makeTestMp3(loop ? "loop" : "short", sineSamples(440, 0.2, 0.3)), loop);
        std::this_thread::sleep_for(std::chrono::milliseconds(900));
        EXPECT_EQ(quitRequested, loop ? 0 : 1) << loop;
        EXPECT_LE(FSOUND_Stream_GetTime(music.musicStream), 300);
        seekToPattern(music, 0.0f);
        float levels[4];
        analysisStep(levels);
        EXPECT_GT(levels[0], 0.1f) << loop;
        stopMusic(&music);
    }
    quitRequested = 0;
    int data = 0;
    EXPECT_EQ(streamCallback(nullptr, &data, 4, nullptr), 1);
    EXPECT_EQ(quitRequested, 0);
}

TEST(Music, UnreadableFilesAreFatalAndNameTheFile)
{
    auto fileOf = [](const char* name, const std::string& text) {
        std::string path = testScratchDir() + "/" + name;
        std::ofstream(path) << text;
        return path;
    };
    const std::pair<std::string, const char*> cases[] = {
        {"data/no-such-tune.mp3", "^data/no-such-tune.mp3 not found\n$"},
        {fileOf("empty.mp3", ""), "empty.mp3 is empty"},
        {fileOf("text.mp3", std::string(48000, 'x')), "text.mp3: Unknown file format"},
        {testScratchDir(), "vorn-test-.* is empty or cannot be read"},  // a folder opens but reads nothing
    };
    for (auto& [path, message] : cases)
        EXPECT_EXIT(startMusic(&music, path.c_str(), 128.0f, 0), testing::ExitedWithCode(1), message);
}

TEST(Bands, SumTheirIndexRanges)
{
    float all[512], levels[4];
    std::fill(all, all + 512, 1.0f);
    sumBands(all, levels);
    EXPECT_EQ(std::vector<float>(levels, levels + 4), (std::vector<float>{16, 48, 64, 384}));
    // Bins weighted by their index: each band sums its own index range.
    for (int i = 0; i < 512; i++) all[i] = (float)i;
    sumBands(all, levels);
    EXPECT_EQ(std::vector<float>(levels, levels + 4), (std::vector<float>{120, 1896, 6112, 122688}));
}

}  // namespace
