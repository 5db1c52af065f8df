// The four spectrum band levels the scenes react to, refreshed once a frame.
#pragma once

// Sums of the spectrum over indices 0-15, 16-63, 64-127 and 128-511.
extern float bandLevel[4];

// Takes the spectrum of the playing music and recomputes bandLevel.
void analysisStep();
// The band sums of a 512-value spectrum.
void sumBands(const float* spectrum, float levels[4]);
