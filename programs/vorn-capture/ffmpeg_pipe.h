// The mp4 output: frames piped as raw video into the ffmpeg command-line
// tool, the soundtrack span on a second pipe, H.264 (yuv420p) and AAC out.
#pragma once
#include <sys/types.h>

#include <string>
#include <thread>
#include <vector>

struct FfmpegPipe {
    pid_t pid = 0;           // the ffmpeg process, 0 when none runs
    int videoFd = -1;        // raw RGBA frames, top row first
    int audioFd = -1;        // interleaved stereo float samples at 44100 Hz
    int errorFd = -1;        // ffmpeg's standard error
    std::thread audioWriter;
    std::thread errorReader;
    std::string errorText;   // what ffmpeg printed
    std::string path;        // the final file
    std::string temporary;   // the file ffmpeg writes
    int width = 0;
    int height = 0;
    std::vector<unsigned char> flipped;  // the frame being sent, top row first
};

// The ffmpeg program on PATH; empty when there is none.
std::string findFfmpeg();

// Starts ffmpeg writing path (under a temporary name) from frames of
// width x height at fps, with the samples [firstSample, firstSample +
// sampleCount) of the stereo pcm (frames frames long; silence outside it)
// as the sound. Empty on success, else the problem.
std::string ffmpegStart(FfmpegPipe* pipe, const std::string& path, int width, int height, double fps,
                        const float* pcm, long long frames, long long firstSample, long long sampleCount);
// Sends one frame as read back from GL (rows bottom-up). False once ffmpeg
// has stopped taking frames.
bool ffmpegWriteFrame(FfmpegPipe* pipe, const unsigned char* rgba);
// Ends the input, waits for ffmpeg and publishes the file. Empty on
// success, else the problem with ffmpeg's own message.
std::string ffmpegFinish(FfmpegPipe* pipe);
// Kills ffmpeg at once (a write blocked on the pipe then fails).
void ffmpegKill(FfmpegPipe* pipe);
// Stops ffmpeg, reaps it and removes what it wrote. Call once nothing
// writes to the pipe any more.
void ffmpegAbort(FfmpegPipe* pipe);
