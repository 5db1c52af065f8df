// Band levels of the music: four sums over the 512-value spectrum of the
// music about to be heard, taken from the playing music by analysisStep at
// the start of every frame, or for any position of the music by analysisAt.
// Low (indices 0-15), low-mid (16-63), mid (64-127) and high (128-511).
#pragma once

struct MusicClock;

// The band levels of the playing music's spectrum.
void analysisStep(float levels[4]);
// The band levels of the music stream at ms without playing it: those
// analysisStep gives right after the stream is set to ms (so after
// seekToPattern(p) for ms = patternMs(p)).
void analysisAt(const MusicClock& music, int ms, float levels[4]);
// Sums a 512-value spectrum into the four band levels.
void sumBands(const float* spectrum, float levels[4]);
