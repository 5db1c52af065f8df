// The capture's frame loop. Show time comes from the frame number alone;
// the random state runs on from frame to frame as in the demo (two grain
// steps a frame after the particle table of the first).
#include "programs/vorn-capture/frame_loop.h"

#include <cmath>

#include "base/fatal.h"
#include "music/music.h"
#include "music/spectrum.h"
#include "platform/gl_api.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "render/render_state.h"
#include "show/assets.h"
#include "show/timeline.h"
#include "programs/vorn-capture/frame_readback.h"
#include "programs/vorn-capture/progress.h"

FrameSpan makeFrameSpan(double from, double to, double fps)
{
    FrameSpan span;
    span.first = from;
    span.framesPerPattern = fps * patternsToSeconds(1.0, showBpm);
    // The tolerance keeps an end that falls on a frame out of the span.
    double frames = std::ceil((to - from) * span.framesPerPattern - 1e-9);
    span.count = frames < 1 ? 1 : (long)frames;
    return span;
}

double frameTime(const FrameSpan& span, long n)
{
    return span.first + (double)n / span.framesPerPattern;
}

void startCaptureShow(CaptureShow* capture)
{
    precalcAssets(capture->display, capture->random, &capture->show.assets, &capture->precalcLeftovers,
                  captureLoadingBar(capture));
    resetRenderState(capture->show.view);
}

void drawCaptureFrame(CaptureShow* capture, double t)
{
    FrameInputs frame;
    frame.t = (float)t;
    analysisAt(capture->music, patternMs(capture->music, frame.t), frame.bandLevels);
    frame.random = &capture->random;
    show_draw(capture->show, frame);
    GLenum code = glGetError();
    if (code != GL_NO_ERROR)
        fatalError(glErrorName(code));
}

bool captureSpan(CaptureShow* capture, const FrameSpan& span, FrameOutput* output, bool progressBar,
                 long* framesDone)
{
    Progress progress;
    progressStart(&progress, span.count, progressBar);
    long done = 0;
    bool complete = true;
    for (long n = 0; n < span.count; n++) {
        if (quitRequested) {
            complete = false;
            break;
        }
        drawCaptureFrame(capture, frameTime(span, n));
        if (output->kind == OUTPUT_BENCH) {
            glFinish();
        } else {
            FrameSlot* slot = outputAcquire(output);
            if (!slot) {
                complete = false;
                break;
            }
            readFrame(capture->display.width, capture->display.height, slot->pixels.data());
            slot->index = n;
            outputSubmit(output, slot);
        }
        done = n + 1;
        progressUpdate(&progress, done);
    }
    *framesDone = done;
    progressEnd(&progress, done);
    return complete;
}
