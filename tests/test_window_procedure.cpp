// The developer keys and the window's close request, driven through the
// window procedure against a playing stream on SDL's dummy audio driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "music/music.h"
#include "music/sound.h"
#include "shell/lifecycle.h"
#include "shell/main_loop.h"
#include "shell/platform.h"
#include "shell/window_procedure.h"
#include "tests/support/audio_files.h"
#include "tests/support/gl_context.h"

namespace {

// A 32 s quiet tone: room for every step below.
const std::string& tune()
{
    static std::string path = makeTestMp3("keys", sineSamples(220, 0.2, 32.0));
    return path;
}

SDL_Event keyDown(SDL_Keycode key, bool repeat = false)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    return event;
}

void press(SDL_Keycode key, bool repeat = false)
{
    windowProcedure(keyDown(key, repeat));
}

int positionMs()
{
    return FSOUND_Stream_GetTime(musicStream);
}

// The stream plays on between a key and the reading of its position.
#define EXPECT_POSITION(expectedMs)                \
    do {                                           \
        int ms = positionMs();                     \
        EXPECT_GE(ms, (expectedMs));               \
        EXPECT_LT(ms, (expectedMs) + 300);         \
    } while (0)

class DeveloperKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        quitRequested = 0;
        frozenTime = 0.0f;
        musicChannel = -1;
        startMusic(tune().c_str(), 128.0f, 0);
    }
    void TearDown() override
    {
        frozenTime = 0.0f;
        stopMusic();
        quitRequested = 0;
    }
};

TEST_F(DeveloperKeys, PageKeysStepOnePatternFromTheCurrentOne)
{
    seekToPattern(2.5f);
    press(SDLK_PAGEDOWN);
    EXPECT_POSITION(22500);

    seekToPattern(2.5f);
    press(SDLK_PAGEUP);
    EXPECT_POSITION(7500);

    // Pattern -1 clamps to the start of the music.
    seekToPattern(0.5f);
    press(SDLK_PAGEUP);
    EXPECT_POSITION(0);

    // Auto-repeat repeats the step.
    seekToPattern(2.5f);
    press(SDLK_PAGEDOWN);
    press(SDLK_PAGEDOWN, true);
    EXPECT_POSITION(30000);

    seekToPattern(2.5f);
    press(SDLK_HOME);
    EXPECT_POSITION(0);
    EXPECT_EQ(frozenTime, 0.0f);
}

TEST_F(DeveloperKeys, OtherKeysAndKeyReleasesDoNothing)
{
    seekToPattern(2.5f);
    for (SDL_Keycode key : {SDLK_END, SDLK_SPACE, SDLK_UP, SDLK_RETURN, SDLK_q})
        press(key);
    SDL_Event release = keyDown(SDLK_PAGEDOWN);
    release.type = SDL_KEYUP;
    windowProcedure(release);
    EXPECT_POSITION(18750);
    EXPECT_EQ(frozenTime, 0.0f);
    EXPECT_EQ(quitRequested, 0);
}

TEST_F(DeveloperKeys, PauseAtTimeZeroDoesNotFreeze)
{
    // Held at the very start, the show time is exactly 0.0.
    FSOUND_SetPaused(musicChannel, true);
    FSOUND_Stream_SetTime(musicStream, 0);
    press(SDLK_PAUSE);
    EXPECT_EQ(frozenTime, 0.0f);
}

TEST_F(DeveloperKeys, PauseFreezesHoldsTheStreamAndResumes)
{
    seekToPattern(2.5f);
    press(SDLK_PAUSE);
    float held = frozenTime;
    EXPECT_GE(held, 2.5f);
    EXPECT_LT(held, 2.54f);
    int heldMs = (int)((double)held * 16.0 / 128.0f * 60000.0);

    // Every reading of the show time puts the stream back to the frozen
    // position, however far it has played on.
    for (int i = 0; i < 3; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        EXPECT_EQ(currentShowTime(), held);
        EXPECT_POSITION(heldMs);
    }
    // A step while frozen lasts only until the next reading.
    press(SDLK_PAGEDOWN);
    EXPECT_POSITION(22500);
    EXPECT_EQ(frozenTime, held);
    EXPECT_EQ(currentShowTime(), held);
    EXPECT_POSITION(heldMs);

    // Pause again: the show runs on from the frozen position.
    press(SDLK_PAUSE);
    EXPECT_EQ(frozenTime, 0.0f);
    float resumed = currentShowTime();
    EXPECT_GE(resumed, held);
    EXPECT_LT(resumed, held + 0.05f);
}

// Quits the loop below if the event under test did not.
Uint32 giveUp(Uint32, void*)
{
    quitRequested++;
    return 0;
}

TEST_F(DeveloperKeys, EscapeAndClosingTheWindowEndTheLoop)
{
    ASSERT_NE(createWindow(0, 32, "VORN test", 0, 0, windowProcedure), nullptr) << SDL_GetError();
    pinGlDriver();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    SDL_Event escape = keyDown(SDLK_ESCAPE);
    escape.key.windowID = SDL_GetWindowID(hWnd);
    quitRequested = 0;
    SDL_PushEvent(&escape);
    SDL_TimerID timer = SDL_AddTimer(5000, giveUp, nullptr);
    auto start = std::chrono::steady_clock::now();
    messageLoop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(quitRequested, 1);
    SDL_RemoveTimer(timer);

    // Closing the window posts the quit event, which the loop counts.
    SDL_Event close;
    SDL_zero(close);
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(hWnd);
    quitRequested = 0;
    SDL_PushEvent(&close);
    timer = SDL_AddTimer(5000, giveUp, nullptr);
    start = std::chrono::steady_clock::now();
    messageLoop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_GE(quitRequested, 1);
    SDL_RemoveTimer(timer);
    releaseWindow();
}

}  // namespace
