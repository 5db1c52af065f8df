// One frame of the show, a pure function of the music position.
#include "show/timeline.h"

#include "music/music.h"
#include "music/spectrum.h"
#include "show/grain.h"
#include "show/scene_layers.h"
#include "show/scene_world.h"

void show_frame(Show& show, MusicClock* music)
{
    float t = currentShowTime(music);
    analysisStep();
    show_draw(show, t);
}

void show_draw(Show& show, float t)
{
    scene_world(show, t);
    scene_layers(show, t);
    grain_overlay(show, t);
}
