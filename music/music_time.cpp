// Music time: patterns, seconds, milliseconds and sample frames, and the
// stream's position and length in patterns.
#include "music/music_time.h"

#include <cmath>

#include "music/music.h"
#include "music/sound.h"

// Seconds in a minute, and milliseconds.
static constexpr double secondsPerMinute = 60.0;
static constexpr float msPerMinute = 60000.0f;

float patternsAtMs(int ms, float bpm)
{
    return (float)(ms / (double)msPerMinute * bpm / beatsPerPattern);
}

int patternStartMs(float p, float bpm)
{
    return (int)(p * beatsPerPattern / bpm * msPerMinute);
}

double patternsToSeconds(double patterns, float bpm)
{
    return patterns * (secondsPerMinute * beatsPerPattern) / bpm;
}

double secondsToPatterns(double seconds, float bpm)
{
    return seconds * bpm / (secondsPerMinute * beatsPerPattern);
}

long long secondsToSoundFrames(double seconds)
{
    return std::llround(seconds * soundFrameRate);
}

float streamShowTime(const MusicClock& music)
{
    return patternsAtMs(FSOUND_Stream_GetTime(music.musicStream), music.bpm);
}

int patternMs(const MusicClock& music, float p)
{
    return patternStartMs(p, music.bpm);
}

void seekToPattern(const MusicClock& music, float p)
{
    FSOUND_Stream_SetTime(music.musicStream, patternMs(music, p));
}

double musicEndPatterns(const MusicClock& music)
{
    return secondsToPatterns((double)soundStreamFrames(music.musicStream) / soundFrameRate, music.bpm);
}
