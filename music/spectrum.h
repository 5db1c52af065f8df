// Band levels of the music: four sums over the 512-value spectrum of what is
// audible now, recomputed by analysisStep at the start of every frame.
#pragma once

// Level of the low (indices 0-15), low-mid (16-63), mid (64-127) and high
// (128-511) parts of the spectrum.
extern float bandLevel[4];

// Reads the spectrum of the playing music and recomputes bandLevel.
void analysisStep();
// Sums a 512-value spectrum into the four band levels.
void sumBands(const float* spectrum, float levels[4]);
