// Band levels of the music: four sums over the 512-value spectrum of the
// music about to be heard, recomputed by analysisStep at the start of every
// frame, or for any position of the music by analysisAt.
#pragma once

struct MusicClock;

// Level of the low (indices 0-15), low-mid (16-63), mid (64-127) and high
// (128-511) parts of the spectrum.
extern float bandLevel[4];

// Reads the spectrum of the playing music and recomputes bandLevel.
void analysisStep();
// Recomputes bandLevel for the music stream at ms without playing it: the
// levels analysisStep gives right after the stream is set to ms (so after
// seekToPattern(p) for ms = patternMs(p)).
void analysisAt(const MusicClock& music, int ms);
// Sums a 512-value spectrum into the four band levels.
void sumBands(const float* spectrum, float levels[4]);
