// The developer keys and the window's close request, driven through the
// window procedure against a playing stream on SDL's dummy audio driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "app/loading_bar.h"
#include "app/main_loop.h"
#include "app/window_procedure.h"
#include "base/fatal.h"
#include "music/music.h"
#include "music/sound.h"
#include "platform/window.h"
#include "tests/support/audio_files.h"
#include "tests/support/gl_context.h"

// The clock every test here plays its music on.
static MusicClock& music = testMusic();

namespace {

SDL_Event keyDown(SDL_Keycode key, bool repeat = false)
{
    SDL_Event event{};
    event.key = {SDL_KEYDOWN, 0, 0, SDL_PRESSED, Uint8(repeat), 0, 0, {SDL_GetScancodeFromKey(key), key, 0, 0}};
    return event;
}

void press(SDL_Keycode key, bool repeat = false) { windowProcedure(keyDown(key, repeat), &music); }

// The stream plays on between a key and the reading of its position.
::testing::AssertionResult streamAt(int expectedMs)
{
    int ms = FSOUND_Stream_GetTime(music.musicStream);
    return ::testing::AssertionResult(ms >= expectedMs && ms < expectedMs + 300) << "stream at " << ms << " ms, not " << expectedMs;
}

class DeveloperKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::string tune = makeTestMp3("keys", sineSamples(220, 0.2, 32.0));  // room for every step below
        startTestMusic(tune);
    }
    void TearDown() override { music.frozenTime = 0.0f, stopMusic(&music), quitRequested = 0; }
};

// One pattern is 7.5 s; the steps start from pattern 2.5 (18750 ms) but
// where noted.
TEST_F(DeveloperKeys, PageKeysStepOnePatternHomeGoesToTheStartOtherKeysDoNothing)
{
    struct Step {
        float from;
        SDL_Keycode key;
        int presses, expectedMs;
    } steps[] = {
        {2.5f, SDLK_PAGEDOWN, 1, 22500}, {2.5f, SDLK_PAGEUP, 1, 7500},
        {0.5f, SDLK_PAGEUP, 1, 0},        // pattern -1 clamps to the start
        {2.5f, SDLK_PAGEDOWN, 2, 30000},  // auto-repeat repeats the step
        {2.5f, SDLK_HOME, 1, 0},
    };
    for (const Step& step : steps) {
        seekToPattern(music, step.from);
        for (int i = 0; i < step.presses; i++) press(step.key, i > 0);
        EXPECT_TRUE(streamAt(step.expectedMs)) << "key " << step.key << " from " << step.from;
    }
    seekToPattern(music, 2.5f);
    for (SDL_Keycode key : {SDLK_END, SDLK_SPACE, SDLK_UP, SDLK_RETURN, SDLK_q}) press(key);
    SDL_Event release = keyDown(SDLK_PAGEDOWN);
    release.type = SDL_KEYUP;
    windowProcedure(release, &music);
    EXPECT_TRUE(streamAt(18750));
    EXPECT_TRUE(music.frozenTime == 0.0f && quitRequested == 0);
}

TEST_F(DeveloperKeys, PauseFreezesHoldsTheStreamAndResumesButNotAtTimeZero)
{
    seekToPattern(music, 2.5f);
    press(SDLK_PAUSE);
    float held = music.frozenTime;
    EXPECT_TRUE(held >= 2.5f && held < 2.54f) << held;
    int heldMs = patternMs(music, held);

    // Every reading of the show time puts the stream back to the frozen
    // position, however far it has played on; a step while frozen lasts
    // only until the next reading.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(currentShowTime(&music), held);
    EXPECT_TRUE(streamAt(heldMs));
    press(SDLK_PAGEDOWN);
    EXPECT_TRUE(streamAt(22500));
    EXPECT_EQ(currentShowTime(&music), held);
    EXPECT_TRUE(streamAt(heldMs));

    // Pause again: the show runs on from the frozen position.
    press(SDLK_PAUSE);
    EXPECT_EQ(music.frozenTime, 0.0f);
    float resumed = currentShowTime(&music);
    EXPECT_TRUE(resumed >= held && resumed < held + 0.05f) << resumed;

    // Held at the very start the show time is exactly 0.0, which Pause
    // cannot freeze.
    FSOUND_SetPaused(music.musicChannel, true);
    FSOUND_Stream_SetTime(music.musicStream, 0);
    press(SDLK_PAUSE);
    EXPECT_EQ(music.frozenTime, 0.0f);
}

// Quits the loop if the event under test did not.
Uint32 giveUp(Uint32, void*)
{
    quitRequested++;
    return 0;
}

// Escape and closing the window end the show's loop; during start-up they
// end it after the step at hand, without waiting for the pause.
TEST_F(DeveloperKeys, EscapeAndClosingTheWindowEndTheLoopOrTheStartUp)
{
    static App app;
    initApp(&app);
    ASSERT_NE(createWindow(&app.display, -1, 0, 32, "VORN test", 0, 0, windowProcedure, &music), nullptr) << SDL_GetError();
    pinGlDriver();

    // Closing the window posts the quit event, which the loop counts.
    SDL_Event close{};
    close.window = {SDL_WINDOWEVENT, 0, SDL_GetWindowID(platformWindow()), SDL_WINDOWEVENT_CLOSE, 0, 0, 0, 0, 0};
    SDL_Event escape = keyDown(SDLK_ESCAPE);
    // SDL ends each round of polling at a mark in its queue, so the quit event
    // posted for the close would come a frame later; no frame can be drawn
    // here (nothing is loaded).
    SDL_EventState(SDL_POLLSENTINEL, SDL_IGNORE);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (SDL_Event event : {escape, close}) {
        quitRequested = 0;
        SDL_PushEvent(&event);
        SDL_TimerID timer = SDL_AddTimer(5000, giveUp, nullptr);
        auto start = std::chrono::steady_clock::now();
        messageLoop(&app);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << event.type;
        EXPECT_EQ(quitRequested, 1);
        SDL_RemoveTimer(timer);
    }

    // During the last step of the pre-calculation and during the pause,
    // start-up ends before the two seconds of black are over.
    setupContext(&app.display, &app.setupLeftovers, ProgressReport());
    for (auto [event, stage] : {std::pair{escape, STARTUP_PRECALC}, {close, STARTUP_PAUSE}}) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        quitRequested = 0;
        app.startUp.stage = stage;
        app.startUp.nextPrecalcStep = precalcStepCount - 1;
        if (stage == STARTUP_PRECALC)
            app.startUp.precalcTimer = scopeBegin("precalc");
        app.startUp.pauseStart = clockMs();
        SDL_PushEvent(&event);
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(startUp(&app));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500)) << event.type;
        EXPECT_EQ(app.startUp.stage, STARTUP_PAUSE);
        EXPECT_EQ(quitRequested, 1);
    }
    releaseWindow();
}

// A second of music per tone: the spectrum's peak tells where the music is.
int toneBin(int second) { return 24 + 8 * second; }

// Hundreds of developer keys in bursts, Page Down far past the end of a
// looping tune: the keys are taken without delay, and after each burst the
// show time lies inside the music and the heard music is the one at that
// show time.
TEST_F(DeveloperKeys, AStormOfKeysKeepsShowTimeInsideTheMusicAndInStep)
{
    const int seconds = 24;
    std::vector<float> samples;
    for (int s = 0; s < seconds; s++) {
        std::vector<float> tone = sineSamples(toneBin(s) * 44100.0 / 1024.0, 0.5, 1.0);
        samples.insert(samples.end(), tone.begin(), tone.end());
    }
    stopMusic(&music);
    startTestMusic(makeTestMp3("storm", samples), 1);
    const float lengthPatterns = seconds / 7.5f;

    std::mt19937 random(1234);
    const SDL_Keycode keys[] = {SDLK_PAGEDOWN, SDLK_PAGEDOWN, SDLK_PAGEUP, SDLK_HOME, SDLK_PAUSE};
    int pressed = 0;
    for (int burst = 0; burst < 12; burst++) {
        auto start = std::chrono::steady_clock::now();
        int count = 1 + (int)(random() % 60);
        for (int i = 0; i < count; i++, pressed++)
            press(keys[random() % 5], i > 0);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500)) << count << " keys";

        std::this_thread::sleep_for(std::chrono::milliseconds(random() % 300));
        float time = currentShowTime(&music);
        const float* spectrum = FSOUND_DSP_GetSpectrum();
        ASSERT_GE(time, 0.0f);
        ASSERT_LE(time, lengthPatterns);
        // The analysis window may reach into the next second.
        int second = (int)(time * 7.5f) % seconds;
        int peak = int(std::max_element(spectrum, spectrum + 512) - spectrum);
        EXPECT_TRUE(peak == toneBin(second) || peak == toneBin((second + 1) % seconds))
            << "show time " << time << " (second " << second << "), music at bin " << peak;
    }
    EXPECT_GT(pressed, 200);
    EXPECT_EQ(quitRequested, 0);
}

}  // namespace
