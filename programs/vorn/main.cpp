// Entry point of the demo. Without arguments it plays; --help and --version
// answer on standard output, anything else is a usage error (status 2).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/main_loop.h"
#include "base/fatal.h"
#include "platform/gl_table.h"
#include "platform/window.h"
#include "vorn_config.h"

static const char* const helpFooter =
    "Keys during the show:\n"
    "  Pause                 freeze the show (the music repeats a short stretch); again to resume\n"
    "  Page Up / Page Down   back to the start of the previous pattern / on to the next pattern (one\n"
    "                        pattern is 7.5 s)\n"
    "  Home                  restart from the beginning\n"
    "  Escape                end the show\n"
    "\n"
    "Environment:\n"
    "  DISPLAY, WAYLAND_DISPLAY  the display to open (an X server or a Wayland compositor)\n"
    "  SDL_VIDEODRIVER           SDL's video driver, e.g. x11 or wayland (default: the first that opens)\n"
    "  SDL_AUDIODRIVER           SDL's sound driver, e.g. pipewire, pulseaudio or alsa (default: the first\n"
    "                            that opens); dummy plays the show without sound\n"
    "  VORN_GL_BACKEND           how the show is drawn: fixed (default, the system's fixed-function OpenGL)\n"
    "                            or shader (generated shaders on OpenGL ES 3.0)\n"
    "  VORN_VSYNC                1 (default): each frame is shown at the display's next refresh; 0: frames\n"
    "                            as fast as they are drawn, torn (for timing the show)\n"
    "\n"
    "The soundtrack and images are read from data/ in the working folder, else beside the program or in a\n"
#ifdef _WIN32
    "folder above it.\n"
#else
    "folder above it; the installed program reads " VORN_INSTALL_DATADIR "/data.\n"
#endif
    "Exit status: 0 when the show or the dialog ends, 1 after a failure (its message also goes to standard\n"
    "error), 2 for a bad command line.";

// The GL backend named by VORN_GL_BACKEND: "fixed" (also when unset or
// empty) or "shader".
static void chooseGlBackend()
{
    const char* name = std::getenv("VORN_GL_BACKEND");
    GlBackend backend = GL_BACKEND_FIXED;
    if (name && *name && !glBackendFromName(name, &backend))
        fatalError(("VORN_GL_BACKEND must be fixed or shader, not '" + std::string(name) + "'.").c_str());
    if (!useGlBackend(backend))
        fatalError("This build has no shader backend (VORN_GL_BACKEND=shader).");
}

// Returns -1 when the demo should run, else the exit status.
static int parseCommandLine(int argc, char** argv)
{
    CLI::App app{"VORN " VORN_VERSION ": a real-time audiovisual demo. A setup dialog asks for the display mode,\n"
                 "the monitor's aspect ratio, full screen or window and whether the music loops; then the show\n"
                 "plays to its music.",
                 "vorn"};
    app.set_version_flag("--version", "vorn " VORN_VERSION, "Print the version and exit");
    app.footer(helpFooter);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "vorn: %s (see vorn --help)\n", e.what());
        return 2;
    }
    return -1;
}

int main(int argc, char** argv)
{
    int status = parseCommandLine(argc, argv);
    if (status >= 0)
        return status;
    preparePlatform();
    chooseGlBackend();
    // The whole program's state; static, as it holds the set-up's buffers.
    static App app;
    initApp(&app);
    if (startUp(&app))
        messageLoop(&app);
    shutDown(&app);
    return 0;
}
