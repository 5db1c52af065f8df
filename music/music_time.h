// Music time: the show's tempo and the conversions between its units:
// patterns (the show time, 16 beats each), seconds, the milliseconds of the
// sound layer's positions and the sample frames of the decoded music. At
// 128 beats a minute a pattern lasts 7.5 s, so pattern 8 is 60 s = 60000 ms.
#pragma once

struct MusicClock;

// The show's tempo in beats a minute.
constexpr float showBpm = 128.0f;
// Beats in a pattern, the unit of the show time.
constexpr float beatsPerPattern = 16.0f;

// The show time at a position of the music: ms / 60000 x bpm / 16 patterns,
// computed in double and rounded to a float (ms / 7500 at 128 BPM).
float patternsAtMs(int ms, float bpm);
// The first millisecond of pattern p: trunc(p x 16 / bpm x 60000), computed
// in float and truncated toward zero (negative before the start).
int patternStartMs(float p, float bpm);

// Patterns and seconds, in double: p x 960 / bpm seconds, s x bpm / 960
// patterns.
double patternsToSeconds(double patterns, float bpm);
double secondsToPatterns(double seconds, float bpm);
// The sample frame of the decoded music nearest to a time in seconds.
long long secondsToSoundFrames(double seconds);

// The clock's stream in patterns, at the clock's tempo.
// The show time at the stream's audible position now (the developer keys'
// frozen time aside: currentShowTime).
float streamShowTime(const MusicClock& music);
// The position of pattern p in the stream: patternStartMs(p).
int patternMs(const MusicClock& music, float p);
// Moves the music to the first millisecond of pattern p.
void seekToPattern(const MusicClock& music, float p);
// Where the loaded music ends, in patterns: its decoded length.
double musicEndPatterns(const MusicClock& music);
