// One frame of the show: its inputs gathered, then the scenes in order.
#include "show/timeline.h"

#include "music/music.h"
#include "music/spectrum.h"
#include "show/grain.h"
#include "show/scene_layers.h"
#include "show/scene_world.h"

void show_frame(Show& show, MusicClock* music, RandomState& random)
{
    FrameInputs frame;
    frame.t = currentShowTime(music);
    analysisStep(frame.bandLevels);
    frame.random = &random;
    show_draw(show, frame);
}

void show_draw(Show& show, const FrameInputs& frame)
{
    scene_world(show, frame);
    scene_layers(show, frame.t);
    grain_overlay(show, *frame.random);
}
