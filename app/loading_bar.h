// The loading bar drawn while start-up builds the show's assets.
#pragma once
#include "platform/display.h"

struct LoadingBar {
    float loadingProgress = 0.0f;  // +0.1 per step
};

// One bar step: draws the bar over the whole window, shows it and advances
// the progress.
void drawLoadingBar(LoadingBar* bar, const Display& display);
