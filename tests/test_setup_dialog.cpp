// The set-up dialog: which modes it offers and preselects, what "Run"
// stores, its messages, and the dialog itself driven by events under the
// offscreen video driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/setup.h"
#include "app/setup_choices.h"
#include "app/setup_dialog.h"
#include "app/splash_image.h"
#include "tests/support/gl_context.h"

namespace {

const char* const error6 = "^Error #0006, your windows is a piece of shit\n";

SetupDialogState stateFor(const std::vector<DisplayMode>& modes)
{
    SetupDialogState state;
    initSetupDialog(&state, modes.data(), (int)modes.size());
    return state;
}

TEST(SetupModes, KeepsWideDeepModesInOrderAndSelectsTheLast640x480)
{
    SetupDialogState state = stateFor({{800, 600, 32, 60}, {640, 480, 32, 60}, {640, 480, 16, 60}, {512, 384, 32, 60},
                                       {640, 480, 32, 75}, {1024, 768, 32, 0}, {640, 400, 32, 70}, {1280, 720, 24, 60}});
    std::vector<int> indices;
    for (const ModeEntry& entry : state.modes) indices.push_back(entry.modeIndex);
    EXPECT_EQ(indices, (std::vector<int>{0, 1, 4, 5, 6}));
    EXPECT_STREQ(state.modes[3].text, "1024 x 768, 32 bpp 0 Hz");
    // The later of two 640 x 480 modes; a 640 x 400 after it does not count.
    EXPECT_EQ(state.selectedMode, 2);
    EXPECT_TRUE(state.fullscreenChecked && !state.loopChecked && state.selectedAspect == 0);
}

TEST(SetupModes, NoneQualifyingIsFatalAndNo640x480SelectsNothing)
{
    const char* noModes = "Error #0004: Could not find any suitable display modes, buy some real hardware asshole!";
    EXPECT_EXIT(stateFor({}), ::testing::ExitedWithCode(1), noModes);
    EXPECT_EXIT(stateFor({{320, 240, 32, 60}, {639, 480, 32, 60}, {640, 480, 16, 60}, {1024, 768, 24, 60}}),
                ::testing::ExitedWithCode(1), noModes);
    SetupDialogState state = stateFor({{1920, 1080, 32, 60}, {640, 480, 16, 60}});
    EXPECT_EQ(state.selectedMode, -1);
    SetupChoices choices;
    EXPECT_EXIT(setupDialogRun(state, &choices), ::testing::ExitedWithCode(1), error6);
}

TEST(SetupResults, RunStoresTheChoices)
{
    SetupDialogState state = stateFor({{800, 600, 32, 60}, {640, 480, 32, 60}, {1280, 800, 32, 60}});
    const float ratios[] = {1.3333334f, 1.6f, 1.7777778f}, factors[] = {0.75f, 0.9f, 1.0f};
    for (int item = 0; item < 3; item++) {
        state.selectedMode = 2 - item;
        state.selectedAspect = item;
        state.fullscreenChecked = item != 1;
        state.loopChecked = item == 1;
        SetupChoices c;
        EXPECT_EQ(setupDialogRun(state, &c), 1);
        EXPECT_TRUE(c.displayModeIndex == 2 - item && c.fullscreen == (item != 1) && c.loopMusic == (item == 1)) << item;
        EXPECT_EQ(c.aspectRatio, ratios[item]) << item;
        EXPECT_FLOAT_EQ(c.aspectFactor, factors[item]) << item;
    }
    float ratio, factor;
    for (int item : {-1, 3})
        EXPECT_EXIT(aspectForItem(item, &ratio, &factor), ::testing::ExitedWithCode(1),
                    "^Error #0015, your windows is a piece of shit\n");
}

// Events queue only once the video subsystem runs.
void push(Uint32 type, SDL_Keycode key = 0)
{
    platformInit();
    SDL_Event event{};
    event.key = {type, 0, 0, SDL_PRESSED, 0, 0, 0, {SDL_GetScancodeFromKey(key), key, 0, 0}};
    SDL_PushEvent(&event);
}

// The dialog's renderer draws through the GL driver, which a test context
// loads first and keeps loaded, so that leak reports can name it.
class SetupDialogWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { openTestContext(); }
    void TearDown() override { SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }
    SetupDialogState state = stateFor({{1024, 768, 32, 60}, {640, 480, 32, 60}, {800, 600, 32, 60}});
};

TEST_F(SetupDialogWindow, EnterRunsEscapeDoesNothingClosingIsExit)
{
    state.selectedAspect = 2;
    SetupChoices choices;
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    push(SDL_QUIT);
    EXPECT_EQ(runSetupDialogWith(&state, &choices), 0);
    EXPECT_EQ(choices.displayModeIndex, -1);

    push(SDL_KEYDOWN, SDLK_ESCAPE);
    push(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_EQ(runSetupDialogWith(&state, &choices), 1);
    EXPECT_TRUE(choices.displayModeIndex == 1 && choices.aspectFactor == 1.0f && choices.fullscreen == 1);

    SetupDialogState noMode = stateFor({{800, 600, 32, 60}});
    EXPECT_EXIT((push(SDL_KEYDOWN, SDLK_RETURN), runSetupDialogWith(&noMode, &choices)), ::testing::ExitedWithCode(1),
                error6);
}

TEST_F(SetupDialogWindow, MissingSplashPictureIsFatal)
{
    EXPECT_EXIT(
        {
            SDL_Init(SDL_INIT_VIDEO);
            SDL_Window* window = SDL_CreateWindow("VORN", 0, 0, 324, 234, SDL_WINDOW_HIDDEN);
            SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
            if (renderer && loadSplashTexture(renderer, splashPixels, 320, 160))
                loadSplashTexture(renderer, nullptr, 320, 160);
        },
        ::testing::ExitedWithCode(1), "^Error #0016, your windows is a piece of shit\n");
}

}  // namespace
