// The music stream and the show time: patterns since the start of the music,
// or the frozen value while the developer keys hold the show. Music time
// (seeking to a pattern, the stream's position in patterns) is included
// from music/music_time.h.
#pragma once

#include "music/music_time.h"

struct SoundStream;

// The music clock: the stream the show time is read from, its tempo, and
// the time the developer keys hold.
struct MusicClock {
    float bpm = showBpm;             // tempo
    float showTime = 0.0f;           // patterns (16 beats each), as last read
    float frozenTime = 0.0f;         // 0.0: running; anything else: held time
    SoundStream* musicStream = nullptr;
    int musicChannel = -1;           // -1 until the stream plays
    bool outputHeld = false;         // the sound is held with the show (web page)
    unsigned char* musicImage = nullptr;  // the whole file, kept while the stream lives
};

// Opens the sound output (once; the program does it first thing, so that a
// missing device is reported before any waiting). A library too old or a
// device that cannot be opened is fatal, naming the driver and the reason.
void startSound();
// Opens the sound output if needed, reads fileName whole, opens it as a
// stream (looping or not) and starts it.
void startMusic(MusicClock* music, const char* fileName, float bpm, int loop);
// Reads fileName whole and opens it as the clock's stream without the
// output device (startMusic's file steps; offline tools decode without
// playing). A missing, unreadable or undecodable file is fatal.
void loadMusic(MusicClock* music, const char* fileName, int loop);
// The show time of this moment; while frozen, puts the stream back to the
// frozen position, lets it play on for 1..201 ms and returns the held time.
// (A web page holds its sound instead of letting it play on.)
float currentShowTime(MusicClock* music);
// Stream callback: a null buffer (end of a non-looping stream) ends the show.
int streamCallback(SoundStream* stream, void* buffer, int length, void* userData);
// Text of a sound-library error code.
const char* fmodErrorText(int code);
// Closes the stream and the sound library.
void stopMusic(MusicClock* music);
