// ffmpeg as a child process: frames on its standard input, the sound on
// descriptor 3, its messages collected from standard error. It runs in its
// own process group, so Ctrl-C at the terminal reaches only the capture,
// which then decides what becomes of the file.
#include "programs/vorn-capture/ffmpeg_pipe.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "music/sound.h"
#include "programs/vorn-capture/output_files.h"

extern char** environ;

// The ffmpeg that runs now; killed when the capture exits without waiting
// for it (a fatal error), so that it cannot go on writing.
static pid_t runningPid = 0;

static void killRunningFfmpeg()
{
    if (runningPid > 0)
        kill(runningPid, SIGKILL);
}

std::string findFfmpeg()
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/ffmpeg";
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

// Writes all of a block; false on any error but an interrupted call.
static bool writeAll(int fd, const void* data, size_t size)
{
    const char* bytes = (const char*)data;
    while (size > 0) {
        ssize_t done = write(fd, bytes, size);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += done;
        size -= (size_t)done;
    }
    return true;
}

// Sends the sound span, silence where it lies outside the music, then ends it.
static void writeAudio(int fd, const float* pcm, long long frames, long long first, long long count)
{
    std::vector<float> block(4096 * 2);
    for (long long done = 0; done < count;) {
        long long take = std::min<long long>(4096, count - done);
        for (long long i = 0; i < take; i++) {
            long long frame = first + done + i;
            bool inside = frame >= 0 && frame < frames;
            block[(size_t)i * 2] = inside ? pcm[frame * 2] : 0.0f;
            block[(size_t)i * 2 + 1] = inside ? pcm[frame * 2 + 1] : 0.0f;
        }
        if (!writeAll(fd, block.data(), (size_t)take * 2 * sizeof(float)))
            break;
        done += take;
    }
    close(fd);
}

// Collects ffmpeg's messages until it closes its standard error.
static void readErrors(int fd, std::string* text)
{
    char buffer[4096];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text->append(buffer, (size_t)got);
        if (text->size() > 65536)
            text->erase(0, text->size() - 65536);
    }
    close(fd);
}

// A pipe whose ends are close-on-exec and numbered above the descriptors
// the child gets, so that moving them into place cannot clash.
static bool makePipe(int ends[2])
{
    int raw[2];
    if (pipe2(raw, O_CLOEXEC) != 0)
        return false;
    for (int i = 0; i < 2; i++) {
        ends[i] = fcntl(raw[i], F_DUPFD_CLOEXEC, 10);
        close(raw[i]);
    }
    return ends[0] >= 0 && ends[1] >= 0;
}

std::string ffmpegStart(FfmpegPipe* pipe, const std::string& path, int width, int height, double fps,
                        const float* pcm, long long frames, long long firstSample, long long sampleCount)
{
    std::string program = findFfmpeg();
    if (program.empty())
        return "ffmpeg not found: install the Debian package ffmpeg";
    pipe->path = path;
    pipe->temporary = temporaryNameFor(path);
    pipe->width = width;
    pipe->height = height;

    int video[2], audio[2], errors[2];
    if (!makePipe(video) || !makePipe(audio) || !makePipe(errors))
        return std::string("cannot make pipes for ffmpeg: ") + std::strerror(errno);

    char size[32], rate[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::snprintf(rate, sizeof rate, "%.17g", fps);
    std::string sampleRateText = std::to_string(soundFrameRate);
    // x264's superfast preset takes about 25 ms of processor time per grainy
    // 1280 x 720 frame (veryfast about 43), next to the renderer on the same
    // cores; crf 20 keeps the files at veryfast/crf 18 size.
    const char* arguments[] = {
        "ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        "-f", "f32le", "-ar", sampleRateText.c_str(), "-ac", "2", "-i", "pipe:3",
        "-map", "0:v", "-map", "1:a",
        "-vf", "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
        "-c:v", "libx264", "-preset", "superfast", "-crf", "20",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
        "-c:a", "aac", "-b:a", "192k",
        "-movflags", "+faststart", "-f", "mp4", pipe->temporary.c_str(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, video[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errors[1], 2);
    posix_spawn_file_actions_adddup2(&actions, audio[0], 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int result = posix_spawn(&pipe->pid, program.c_str(), &actions, &attributes, (char* const*)arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(video[0]);
    close(audio[0]);
    close(errors[1]);
    if (result != 0) {
        pipe->pid = 0;
        close(video[1]);
        close(audio[1]);
        close(errors[0]);
        return "cannot start " + program + ": " + std::strerror(result);
    }
    static bool registered = false;
    if (!registered) {
        std::atexit(killRunningFfmpeg);
        registered = true;
    }
    runningPid = pipe->pid;
    pipe->videoFd = video[1];
    pipe->audioFd = audio[1];
    pipe->errorFd = errors[0];
    pipe->errorReader = std::thread(readErrors, pipe->errorFd, &pipe->errorText);
    pipe->audioWriter = std::thread(writeAudio, pipe->audioFd, pcm, frames, firstSample, sampleCount);
    return "";
}

bool ffmpegWriteFrame(FfmpegPipe* pipe, const unsigned char* rgba)
{
    size_t row = (size_t)pipe->width * 4;
    pipe->flipped.resize(row * (size_t)pipe->height);
    for (int y = 0; y < pipe->height; y++)
        std::memcpy(pipe->flipped.data() + (size_t)y * row, rgba + (size_t)(pipe->height - 1 - y) * row, row);
    return writeAll(pipe->videoFd, pipe->flipped.data(), pipe->flipped.size());
}

// Closes the video input, lets the helper threads end and reaps ffmpeg;
// returns its wait status.
static int endFfmpeg(FfmpegPipe* pipe)
{
    if (pipe->videoFd >= 0)
        close(pipe->videoFd);
    pipe->videoFd = -1;
    if (pipe->audioWriter.joinable())
        pipe->audioWriter.join();
    int status = 0;
    while (waitpid(pipe->pid, &status, 0) < 0 && errno == EINTR) {
    }
    pipe->pid = 0;
    runningPid = 0;
    if (pipe->errorReader.joinable())
        pipe->errorReader.join();
    return status;
}

// The last non-empty line ffmpeg printed.
static std::string lastLine(const std::string& text)
{
    size_t end = text.find_last_not_of("\r\n ");
    if (end == std::string::npos)
        return "";
    size_t start = text.find_last_of("\r\n", end);
    start = start == std::string::npos ? 0 : start + 1;
    return text.substr(start, end + 1 - start);
}

std::string ffmpegFinish(FfmpegPipe* pipe)
{
    int status = endFfmpeg(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        unlink(pipe->temporary.c_str());
        std::string message = lastLine(pipe->errorText);
        if (message.empty())
            message = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                        : "killed by signal " + std::to_string(WTERMSIG(status));
        return "ffmpeg failed: " + message;
    }
    if (!publishFile(pipe->temporary, pipe->path)) {
        std::string problem = "cannot write " + pipe->path + ": " + std::strerror(errno);
        unlink(pipe->temporary.c_str());
        return problem;
    }
    return "";
}

void ffmpegKill(FfmpegPipe* pipe)
{
    if (pipe->pid > 0)
        kill(pipe->pid, SIGKILL);
}

void ffmpegAbort(FfmpegPipe* pipe)
{
    if (pipe->pid > 0) {
        kill(pipe->pid, SIGKILL);
        endFfmpeg(pipe);
    }
    unlink(pipe->temporary.c_str());
}

#else
// The Windows build writes no mp4 (main refuses it): nothing is started.
std::string findFfmpeg()
{
    return "";
}

std::string ffmpegStart(FfmpegPipe*, const std::string&, int, int, double, const float*, long long, long long,
                        long long)
{
    return "the Windows build writes no mp4";
}

bool ffmpegWriteFrame(FfmpegPipe*, const unsigned char*)
{
    return false;
}

std::string ffmpegFinish(FfmpegPipe*)
{
    return "the Windows build writes no mp4";
}

void ffmpegKill(FfmpegPipe*) {}

void ffmpegAbort(FfmpegPipe*) {}
#endif
