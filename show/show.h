// What a frame of the show draws with: the view it draws through, the
// assets, and what the world scene keeps between frames; and the frame's
// inputs, which whoever draws frames (the demo's loop, the capture, the web
// page, the tests) sets the same way.
#pragma once
#include "base/random.h"
#include "render/view.h"
#include "show/assets.h"
#include "show/world_storage.h"

struct Show {
    View view;
    ShowAssets assets;
    WorldStorage world;
};

// A frame's inputs: its show time, the band levels of the music at that
// time (music/spectrum.h: low, low-mid, mid, high) and the run's random
// state, which the frame advances: two steps for the grain, after 1024 for
// the particle renderer's table on the first frame a Show draws.
struct FrameInputs {
    float t = 0.0f;  // patterns
    float bandLevels[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    RandomState* random = nullptr;
};
