// Entry point of vorn-capture: renders frames of the show without a screen
// or sound card, into a PNG, a folder of PNGs or an mp4 with the
// soundtrack, or just times them. The data is found as the demo finds it.
#include <signal.h>

#include <cstdio>
#include <filesystem>

#include "base/clock.h"
#include "base/fatal.h"
#include "music/music.h"
#include "music/sound.h"
#include "platform/data_folder.h"
#include "programs/vorn-capture/ffmpeg_pipe.h"
#include "programs/vorn-capture/frame_loop.h"
#include "programs/vorn-capture/frame_output.h"
#include "programs/vorn-capture/offscreen_context.h"
#include "programs/vorn-capture/options.h"
#include "programs/vorn-capture/output_files.h"

// Ctrl-C and termination end the frame loop like the demo's quit counter.
static void onStopSignal(int)
{
    quitRequested++;
}

static void installSignals()
{
#ifdef _WIN32
    // Windows has neither sigaction nor SIGPIPE; the handler stays installed.
    signal(SIGINT, onStopSignal);
    signal(SIGTERM, onStopSignal);
#else
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A vanished ffmpeg shows as a failed write, with its message reported.
    signal(SIGPIPE, SIG_IGN);
#endif
}

int main(int argc, char** argv)
{
    CaptureOptions options;
    int status = parseCaptureOptions(argc, argv, &options);
    if (status >= 0)
        return status;
    interactiveShell = false;
    installSignals();
    // Static: the set-up's buffers are large for the stack.
    static CaptureShow capture;

    // The output is named from the folder the capture starts in; the data
    // may lie elsewhere (beside the program, or installed).
    std::string shownOut = options.out;
    std::error_code noWorkingFolder;
    std::filesystem::path absolute = std::filesystem::absolute(options.out, noWorkingFolder);
    if (!options.out.empty() && !noWorkingFolder)
        options.out = absolute.string();
    enterDataFolder();
    loadMusic(&capture.music, "data/tune.mp3", 0);
    double musicEnd = musicEndPatterns(capture.music);
    std::string problem = checkAgainstMusic(options, musicEnd);
    if (!problem.empty())
        return usageError(problem);

#ifdef _WIN32
    if (options.output == OUTPUT_MP4)
        return usageError("the Windows build writes no mp4: write PNG frames (--out FOLDER/) and encode them");
#else
    if (options.output == OUTPUT_MP4 && findFfmpeg().empty())
        return usageError("ffmpeg not found: install the Debian package ffmpeg");
#endif
    if (!useGlBackend(options.backend))
        return usageError("--backend shader: this build has no shader backend");
    if (options.output != OUTPUT_BENCH)
        problem = prepareOutputFolder(outputFolderOf(options.out, options.output == OUTPUT_FOLDER));
    if (problem.empty())
        problem = openCaptureContext(&capture, options.width, options.height, options.aspectItem);
    if (!problem.empty())
        return usageError(problem);
    startCaptureShow(&capture);

    double to = options.to >= 0 ? options.to : musicEnd;
    FrameSpan span = makeFrameSpan(options.from, to, options.fps);
    if (options.output == OUTPUT_PNG)
        span.count = 1;
    double firstSecond = patternsToSeconds(options.from, showBpm);
    SoundSpan sound = {soundStreamPcm(capture.music.musicStream), soundStreamFrames(capture.music.musicStream),
                       secondsToSoundFrames(firstSecond),
                       secondsToSoundFrames(patternsToSeconds(to, showBpm) - firstSecond)};

    FrameOutput output;
    problem = outputOpen(&output, options, options.fps, sound);
    if (!problem.empty())
        return usageError(problem);
    // Timed from the first frame until the output is complete.
    double startMs = clockMs();
    long done = 0;
    bool complete = captureSpan(&capture, span, &output, !options.quiet && span.count > 1, &done);
    if (!complete && quitRequested) {
        outputAbort(&output);
        std::fprintf(stderr, "vorn-capture: stopped after %ld of %ld frames%s\n", done, span.count,
                     options.output == OUTPUT_MP4 ? "; no file written" : "");
        return 130;
    }
    problem = outputFinish(&output);
    if (!problem.empty())
        return usageError(problem);
    double seconds = (clockMs() - startMs) / 1000.0;

    if (options.output != OUTPUT_BENCH)
        std::printf("%s\n", shownOut.c_str());
    if (options.output != OUTPUT_PNG)
        std::printf("%ld frames in %.2f s: %.1f fps\n", done, seconds, seconds > 0 ? done / seconds : 0.0);
    return 0;
}
