// Where captured frames go: a PNG file, a folder of PNG files, ffmpeg, or
// nowhere (bench). Encoding and writing run on a writer thread, a few
// frames behind the renderer, so that the two overlap.
#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "programs/vorn-capture/ffmpeg_pipe.h"
#include "programs/vorn-capture/options.h"

// One frame's pixels as read back (RGBA, rows bottom-up) and its number.
struct FrameSlot {
    std::vector<unsigned char> pixels;
    long index;
};

struct FrameOutput {
    CaptureOutput kind;
    std::string path;        // the file or folder
    int width;
    int height;
    FfmpegPipe ffmpeg;

    std::mutex lock;
    std::condition_variable changed;
    std::vector<FrameSlot> slots;
    std::deque<int> freeSlots;
    std::deque<int> queuedSlots;
    bool closing = false;
    std::string problem;     // the first write failure; the writer stops there
    std::thread writer;
};

// Sound handed to an mp4: the whole decoded music and the span of it.
struct SoundSpan {
    const float* pcm;        // interleaved stereo at 44100 Hz
    long long frames;
    long long firstSample;
    long long sampleCount;
};

// Opens the output (starts ffmpeg for an mp4) and its writer thread. Empty
// on success, else the problem.
std::string outputOpen(FrameOutput* output, const CaptureOptions& options, double fps, const SoundSpan& sound);
// A free slot to read the next frame into; waits while all are queued.
// Null when writing has failed (outputFinish reports why).
FrameSlot* outputAcquire(FrameOutput* output);
// Queues a filled slot for writing.
void outputSubmit(FrameOutput* output, FrameSlot* slot);
// Writes what is queued and closes the output (ffmpeg finishes the file).
// Empty on success, else the problem.
std::string outputFinish(FrameOutput* output);
// Drops what is queued, stops ffmpeg and removes unfinished files.
void outputAbort(FrameOutput* output);
