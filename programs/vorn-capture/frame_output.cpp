// The writer thread and the per-kind writing of captured frames.
#include "programs/vorn-capture/frame_output.h"

#include "programs/vorn-capture/png_output.h"

// Frames in flight between the renderer and the writer.
static const int slotCount = 3;

// Writes one frame where the output's kind sends it. Empty on success.
static std::string writeFrame(FrameOutput* output, const FrameSlot& slot)
{
    switch (output->kind) {
    case OUTPUT_PNG:
        return writeFramePng(output->path, slot.pixels.data(), output->width, output->height);
    case OUTPUT_FOLDER:
        return writeFramePng(frameFileName(output->path, slot.index), slot.pixels.data(), output->width,
                             output->height);
    case OUTPUT_MP4:
        return ffmpegWriteFrame(&output->ffmpeg, slot.pixels.data()) ? "" : "ffmpeg stopped taking frames";
    case OUTPUT_BENCH:
        break;
    }
    return "";
}

// Takes queued slots in order until the output closes with nothing queued.
static void writerLoop(FrameOutput* output)
{
    std::unique_lock<std::mutex> hold(output->lock);
    for (;;) {
        output->changed.wait(hold, [output] { return !output->queuedSlots.empty() || output->closing; });
        if (output->queuedSlots.empty())
            return;
        int slot = output->queuedSlots.front();
        bool failed = !output->problem.empty();
        hold.unlock();
        std::string problem = failed ? "" : writeFrame(output, output->slots[(size_t)slot]);
        hold.lock();
        if (!problem.empty() && output->problem.empty())
            output->problem = problem;
        output->queuedSlots.pop_front();
        output->freeSlots.push_back(slot);
        output->changed.notify_all();
    }
}

std::string outputOpen(FrameOutput* output, const CaptureOptions& options, double fps, const SoundSpan& sound)
{
    output->kind = options.output;
    output->path = options.out;
    output->width = options.width;
    output->height = options.height;
    if (output->kind == OUTPUT_BENCH)
        return "";
    if (output->kind == OUTPUT_MP4) {
        std::string problem = ffmpegStart(&output->ffmpeg, output->path, output->width, output->height, fps,
                                          sound.pcm, sound.frames, sound.firstSample, sound.sampleCount);
        if (!problem.empty())
            return problem;
    }
    output->slots.resize(slotCount);
    for (int i = 0; i < slotCount; i++) {
        output->slots[(size_t)i].pixels.resize((size_t)output->width * (size_t)output->height * 4);
        output->freeSlots.push_back(i);
    }
    output->writer = std::thread(writerLoop, output);
    return "";
}

FrameSlot* outputAcquire(FrameOutput* output)
{
    std::unique_lock<std::mutex> hold(output->lock);
    output->changed.wait(hold, [output] { return !output->freeSlots.empty(); });
    if (!output->problem.empty())
        return nullptr;
    int slot = output->freeSlots.front();
    output->freeSlots.pop_front();
    return &output->slots[(size_t)slot];
}

void outputSubmit(FrameOutput* output, FrameSlot* slot)
{
    std::lock_guard<std::mutex> hold(output->lock);
    output->queuedSlots.push_back((int)(slot - output->slots.data()));
    output->changed.notify_all();
}

// Lets the writer finish what is queued and end.
static void stopWriter(FrameOutput* output)
{
    if (!output->writer.joinable())
        return;
    {
        std::lock_guard<std::mutex> hold(output->lock);
        output->closing = true;
        output->changed.notify_all();
    }
    output->writer.join();
}

std::string outputFinish(FrameOutput* output)
{
    stopWriter(output);
    // ffmpeg's own message says more than a broken pipe.
    std::string ffmpegProblem = output->kind == OUTPUT_MP4 ? ffmpegFinish(&output->ffmpeg) : "";
    return ffmpegProblem.empty() ? output->problem : ffmpegProblem;
}

void outputAbort(FrameOutput* output)
{
    {
        // The writer skips what is still queued once a problem is set.
        std::lock_guard<std::mutex> hold(output->lock);
        if (output->problem.empty())
            output->problem = "stopped";
    }
    // A writer blocked on the pipe returns once ffmpeg is gone.
    if (output->kind == OUTPUT_MP4)
        ffmpegKill(&output->ffmpeg);
    stopWriter(output);
    if (output->kind == OUTPUT_MP4)
        ffmpegAbort(&output->ffmpeg);
}
