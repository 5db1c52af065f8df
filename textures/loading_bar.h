// The loading bar drawn during the asset pre-calculation.
#pragma once

// One bar step while showStarted is 0: draws the bar, swaps and takes the
// window's events (takeStartUpEvents).
void drawLoadingBar();
// Progress so far, +0.1 per step.
extern float loadingProgress;
