// Vertical sync: the show window's swaps wait for the display unless
// VORN_VSYNC turns that off; hidden windows (the capture's, the tests')
// never wait. The interval is read back from the driver through SDL.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/window.h"
#include "tests/support/gl_context.h"

namespace {

void ignoreEvents(const SDL_Event&, void*) {}

// The swap interval of a show window opened with VORN_VSYNC set to value
// (unset for null), as the driver reports it.
int showWindowInterval(const char* value)
{
    if (value)
        setenv("VORN_VSYNC", value, 1);
    else
        unsetenv("VORN_VSYNC");
    Display display;
    display.width = 640;
    display.height = 360;
    EXPECT_NE(createWindow(&display, -1, 0, 32, "VORN test", 0, 0, ignoreEvents, nullptr), nullptr)
        << SDL_GetError();
    pinGlDriver();
    int interval = swapInterval();
    releaseWindow();
    return interval;
}

}  // namespace

TEST(VerticalSync, OnByDefaultOffWithVornVsyncZeroNeverOnHiddenWindows)
{
    // Adaptive (-1) where the driver has it, else one refresh a swap.
    for (const char* value : {(const char*)nullptr, "", "1"}) {
        int interval = showWindowInterval(value);
        EXPECT_TRUE(interval == 1 || interval == -1) << (value ? value : "unset") << ": " << interval;
    }
    EXPECT_EQ(showWindowInterval("0"), 0);

    unsetenv("VORN_VSYNC");
    Display display;
    ASSERT_NE(createHiddenWindow(&display, 640, 360, 32, "VORN test"), nullptr) << SDL_GetError();
    EXPECT_EQ(swapInterval(), 0);
    releaseWindow();
}

TEST(VerticalSyncDeathTest, AnyOtherValueIsFatalAndNamesTheVariable)
{
    for (const char* value : {"2", "yes", "-1"}) {
        setenv("VORN_VSYNC", value, 1);
        EXPECT_EXIT(vsyncWanted(), testing::ExitedWithCode(1),
                    std::string("^VORN_VSYNC must be 1 \\(vertical sync, the default\\) or 0 \\(none\\), not '") +
                        value + "'.\n$");
    }
    unsetenv("VORN_VSYNC");
}
