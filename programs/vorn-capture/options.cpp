// Command-line parsing of vorn-capture (CLI11) and the checks that make a
// usage error of anything the capture cannot do.
#include "programs/vorn-capture/options.h"

#include <CLI/CLI.hpp>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/setup_choices.h"
#include "music/music.h"
#include "programs/vorn-capture/frame_loop.h"
#include "vorn_config.h"

int usageError(const std::string& text)
{
    std::fprintf(stderr, "vorn-capture: %s\n", text.c_str());
    return 2;
}

bool parseShowTime(const std::string& text, double* patterns)
{
    if (text.empty())
        return false;
    const char* start = text.c_str();
    char* end = nullptr;
    double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value))
        return false;
    if (*end == 's' && end[1] == '\0') {
        *patterns = secondsToPatterns(value, showBpm);
        return true;
    }
    if (*end != '\0')
        return false;
    *patterns = value;
    return true;
}

static bool endsWith(const std::string& text, const char* suffix)
{
    size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

static bool isFolder(const std::string& path)
{
    struct stat info;
    return endsWith(path, "/") || (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

// "WxH" with both parts plain decimal numbers.
static bool parseSize(const std::string& text, int* width, int* height)
{
    unsigned long w = 0, h = 0;
    int used = 0;
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    if (std::sscanf(text.c_str(), "%lux%lu%n", &w, &h, &used) != 2 || used != (int)text.size())
        return false;
    if (text.find_first_not_of("0123456789x") != std::string::npos || w > 1000000 || h > 1000000)
        return false;
    *width = (int)w;
    *height = (int)h;
    return true;
}

// Checks the times, rate and output of parsed options. Empty when they
// describe a capture, else the problem.
static std::string checkOptions(CaptureOptions* options, const std::string& atText, const std::string& fromText,
                                const std::string& toText, bool bench, const std::string& sizeText)
{
    bool single = !atText.empty();
    if (!single && fromText.empty())
        return "say what to capture: --at T, or --from A (see --help)";
    const std::string& firstText = single ? atText : fromText;
    const char* firstName = single ? "--at" : "--from";
    if (!parseShowTime(firstText, &options->from))
        return std::string(firstName) + ": '" + firstText + "' is not a show time (patterns, or seconds with an s suffix)";
    if (options->from < 0)
        return std::string(firstName) + ": the show time must not be negative";
    options->to = -1;
    if (!toText.empty()) {
        if (!parseShowTime(toText, &options->to))
            return "--to: '" + toText + "' is not a show time (patterns, or seconds with an s suffix)";
        if (options->to <= options->from)
            return "--to must come after --from";
    }
    if (!std::isfinite(options->fps) || options->fps <= 0 || options->fps > maxFps)
        return "--fps must be more than 0 and at most " + std::to_string((int)maxFps);
    if (!parseSize(sizeText, &options->width, &options->height))
        return "--size: '" + sizeText + "' is not WIDTHxHEIGHT";
    if (options->width < 512 || options->height < 256)
        return "--size: " + sizeText + " is smaller than 512x256, the show's work area";

    if (single) {
        if (!endsWith(options->out, ".png"))
            return "--at writes one picture: --out must name a .png file";
        options->output = OUTPUT_PNG;
    } else if (bench) {
        options->output = OUTPUT_BENCH;
    } else if (options->out.empty()) {
        return "a span needs --out (a folder or an .mp4 file) or --bench";
    } else if (endsWith(options->out, ".mp4")) {
        options->output = OUTPUT_MP4;
        // yuv420p halves both directions.
        if (options->width % 2 || options->height % 2)
            return "--size: an .mp4 needs an even width and height";
    } else if (isFolder(options->out)) {
        options->output = OUTPUT_FOLDER;
    } else {
        return "--out: a span goes to a folder (ending in /) or an .mp4 file, not '" + options->out + "'";
    }
    if (!single && options->to >= 0) {
        if (makeFrameSpan(options->from, options->to, options->fps).count > maxFrames)
            return "the span has more than " + std::to_string(maxFrames) + " frames";
    }
    return "";
}

std::string checkAgainstMusic(const CaptureOptions& options, double musicPatterns)
{
    if (options.from < musicPatterns && options.to <= musicPatterns)
        return "";
    char text[160];
    std::snprintf(text, sizeof text,
                  "the music ends at %.2f patterns (%.2f s); times are in patterns, or seconds with an s suffix",
                  musicPatterns, patternsToSeconds(musicPatterns, showBpm));
    return text;
}

int parseCaptureOptions(int argc, char** argv, CaptureOptions* options)
{
    CLI::App app{"Renders frames of the VORN show without a screen or sound card: one picture, a folder of "
                 "numbered pictures, or an .mp4 with the soundtrack. Show times are in patterns (7.5 s each) "
                 "or in seconds with an s suffix (17.5s). The data is read from data/ in the working folder, "
                 "beside the program or above it, or from the installed data folder.",
                 "vorn-capture"};
    std::string atText, fromText, toText, sizeText = "1280x720", aspectText = "16:9", backendText = "fixed";
    bool bench = false;
    *options = CaptureOptions{};
    options->fps = 30;

    CLI::Option* at = app.add_option("--at", atText, "Capture the one frame at show time T")->type_name("T");
    CLI::Option* from = app.add_option("--from", fromText, "First frame of a span")->type_name("A");
    CLI::Option* to = app.add_option("--to", toText, "End of the span, not included (default: the end of the music)")
                          ->type_name("B");
    CLI::Option* fps = app.add_option("--fps", options->fps, "Frames per second of a span")->type_name("F")
                           ->capture_default_str();
    CLI::Option* out = app.add_option("--out", options->out,
                                      "Where the frames go: X.png (with --at), a folder DIR/ (frames DIR/000000.png, "
                                      "...) or X.mp4 (H.264 and AAC, made by ffmpeg)")
                           ->type_name("PATH");
    CLI::Option* benchFlag = app.add_flag("--bench", bench,
                                          "Render and finish every frame of the span, write nothing, and print "
                                          "\"N frames in S s: R fps\"");
    app.add_option("--size", sizeText, "Window size in pixels, at least 512x256")->type_name("WxH")
        ->capture_default_str();
    app.add_option("--aspect", aspectText, "Monitor aspect ratio, as in the setup dialog: 4:3, 16:10 or 16:9")
        ->type_name("RATIO")
        ->capture_default_str();
    app.add_flag("--quiet", options->quiet, "No progress bar");
    app.set_version_flag("--version", "vorn-capture " VORN_VERSION, "Print the version and exit");
    app.add_option("--backend", backendText,
                   "How the show is drawn: fixed (the system's fixed-function OpenGL) or shader (generated "
                   "shaders on OpenGL ES 3.0, as in a browser)")
        ->type_name("NAME")
        ->check(CLI::IsMember({"fixed", "shader"}))
        ->capture_default_str();
    at->excludes(from)->excludes(to)->excludes(fps)->excludes(benchFlag);
    benchFlag->excludes(out);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return usageError(e.what());
    }

    options->aspectItem = -1;
    for (int i = 0; i < aspectEntryCount; i++)
        if (aspectText == aspectLabels[i])
            options->aspectItem = i;
    if (options->aspectItem < 0)
        return usageError("--aspect: '" + aspectText + "' is not 4:3, 16:10 or 16:9");
    glBackendFromName(backendText.c_str(), &options->backend);

    std::string problem = checkOptions(options, atText, fromText, toText, bench, sizeText);
    return problem.empty() ? -1 : usageError(problem);
}
