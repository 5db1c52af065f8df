// One frame of the show, a pure function of the music position.
#include "show/timeline.h"

#include "music/music.h"
#include "music/spectrum.h"

void show_frame()
{
    float t = currentShowTime();
    analysisStep();
    show_draw(t);
}

void show_draw(float t)
{
    (void)t;  // the scenes draw from t once they exist
}
