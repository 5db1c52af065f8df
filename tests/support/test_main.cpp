// main() of every in-process test: headless SDL drivers, then GoogleTest.
// Also hands LeakSanitizer the project's suppressions (leaks inside system
// libraries, listed with their reasons in tests/lsan.supp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

extern "C" const char* __lsan_default_suppressions()
{
    static std::string suppressions;
    std::ifstream in(VORN_LSAN_SUPPRESSIONS);
    suppressions.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return suppressions.c_str();
}

int main(int argc, char** argv)
{
    // No display and no sound card needed; an explicit setting still wins.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests re-run the test in a fresh process: GL drivers and the
    // audio thread do not survive a plain fork.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
