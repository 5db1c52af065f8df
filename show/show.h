// What a frame of the show reads besides its show time: the view it draws
// through and the assets it draws with. The random state (base/random.h)
// and the band levels of the music (music/spectrum.h) are the two other
// inputs, shared with the tools that draw frames offline.
#pragma once
#include "render/view.h"
#include "show/assets.h"

struct Show {
    View view;
    ShowAssets assets;
};
