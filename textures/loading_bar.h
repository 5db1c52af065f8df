// The loading bar drawn during the asset pre-calculation.
#pragma once

// One bar step: draws the bar and swaps while showStarted is 0.
void drawLoadingBar();
// Progress so far, +0.1 per step.
extern float loadingProgress;
