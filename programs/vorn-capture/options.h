// The command line of vorn-capture: what to render, at what size, and where
// the frames go.
#pragma once
#include <string>

#include "platform/gl_table.h"

enum CaptureOutput {
    OUTPUT_PNG,     // --at: one PNG file
    OUTPUT_FOLDER,  // a span as numbered PNG files in a folder
    OUTPUT_MP4,     // a span as an H.264/AAC file made by ffmpeg
    OUTPUT_BENCH,   // a span rendered and timed, nothing written
};

struct CaptureOptions {
    double from;        // show time of the first frame, patterns
    double to;          // end of the span (excluded), patterns; < 0: end of the music
    double fps;         // frames per second of show time
    int width;          // window size in pixels
    int height;
    int aspectItem;     // as the setup dialog's list: 0 4:3, 1 16:10, 2 16:9
    CaptureOutput output;
    std::string out;    // file or folder named by --out
    bool quiet;         // no progress bar
    GlBackend backend;  // fixed-function or shader
};

// Frames per second above this are refused as absurd.
constexpr double maxFps = 1000.0;
// Frame files have six digits.
constexpr long maxFrames = 1000000;

// Parses the command line. Returns -1 when the capture should go ahead with
// *options filled in; otherwise the process's exit status: 0 after --help,
// 2 after a usage error, whose one-line message is on standard error.
int parseCaptureOptions(int argc, char** argv, CaptureOptions* options);

// Checks the show times against the length of the music in patterns: no
// frame may lie past its end (--to may be the end itself). Empty when they
// fit, else the problem, which gives the length in patterns and seconds.
std::string checkAgainstMusic(const CaptureOptions& options, double musicPatterns);

// A show time as written on the command line: patterns ("8", "2.25") or
// seconds with an "s" suffix ("17.5s"). False for anything else, NaN and
// infinities included.
bool parseShowTime(const std::string& text, double* patterns);

// Prints "vorn-capture: <text>" as one line on standard error and returns 2.
int usageError(const std::string& text);
