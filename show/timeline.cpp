// One frame of the show, a pure function of the music position.
#include "show/timeline.h"

#include "music/music.h"
#include "music/spectrum.h"
#include "show/grain.h"
#include "show/scene_layers.h"
#include "show/scene_world.h"

void show_frame()
{
    float t = currentShowTime();
    analysisStep();
    show_draw(t);
}

void show_draw(float t)
{
    scene_world(t);
    scene_layers(t);
    grain_overlay(t);
}
