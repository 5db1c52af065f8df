// The music stream and the show time: patterns since the start of the music,
// or the frozen value while the developer keys hold the show.
#pragma once

struct SoundStream;

extern float bpm;             // tempo, 128.0
extern float showTime;        // patterns (16 beats each)
extern float frozenTime;      // 0.0: running; anything else: held time
extern SoundStream* musicStream;
extern int musicChannel;      // -1 until the stream plays

// Opens the sound output (once; the program does it first thing, so that a
// missing device is reported before any waiting). A library too old or a
// device that cannot be opened is fatal, naming the driver and the reason.
void startSound();
// Opens the sound output if needed, reads fileName whole, opens it as a
// stream (looping or not) and starts it.
void startMusic(const char* fileName, float bpm, int loop);
// Reads fileName whole and opens it as musicStream without the output
// device (startMusic's file steps; offline tools decode without playing).
// A missing, unreadable or undecodable file is fatal.
void loadMusic(const char* fileName, int loop);
// The show time of this moment; while frozen, puts the stream back to the
// frozen position, lets it play on for 1..201 ms and returns the held time.
float currentShowTime();
// The position of pattern p: trunc(p * 16 / bpm * 60000) ms, in float.
int patternMs(float p);
// Moves the music to pattern p, at patternMs(p).
void seekToPattern(float p);
// Stream callback: a null buffer (end of a non-looping stream) ends the show.
int streamCallback(SoundStream* stream, void* buffer, int length, void* userData);
// Text of a sound-library error code.
const char* fmodErrorText(int code);
// Closes the stream and the sound library.
void stopMusic();
