// The sound layer: the operations the program needs from a sound library,
// built on SDL2 audio output, libmpg123 decoding and kissfft. A stream is an
// MP3 decoded from a memory image and played on the one output device.
#pragma once

struct SoundStream;

// Called with a null buffer when a non-looping stream runs out; sync-point
// calls would carry a non-null buffer. May run on the audio thread.
typedef int (*SoundCallback)(SoundStream* stream, void* buffer, int length, void* userData);

// Stream mode bits.
constexpr unsigned FSOUND_LOOP_NORMAL = 0x2;
constexpr unsigned FSOUND_NORMAL = 0x130;
constexpr unsigned FSOUND_LOADMEMORY = 0x8000;
constexpr unsigned FSOUND_MPEGACCURATE = 0x20000;
constexpr int FSOUND_FREE = -1;

// Sample frames a second of the output and of every decoded stream.
constexpr int soundFrameRate = 44100;

// Error codes of FSOUND_GetError (texts: fmodErrorText).
constexpr int FMOD_ERR_NONE = 0;
constexpr int FMOD_ERR_INIT = 3;
constexpr int FMOD_ERR_FILE_FORMAT = 10;
constexpr int FMOD_ERR_FILE_BAD = 11;
constexpr int FMOD_ERR_MEMORY = 12;
constexpr int FMOD_ERR_INVALID_PARAM = 14;

// Null when the linked decoder and output libraries are new enough, else a
// message naming the one that is too old.
const char* soundVersionProblem();

// Opens the output device (the driver is SDL's choice: SDL_AUDIODRIVER);
// true at once while it is open.
// Unused: maxChannels and flags (one stream plays on one device).
bool FSOUND_Init(int mixRate, int maxChannels, unsigned flags);
int FSOUND_GetError();
// Why the last failed FSOUND_Init could not open the device: the driver and
// SDL's reason, e.g. Sound driver "nosuch": Audio target 'nosuch' not available.
const char* soundDeviceProblem();
// Decodes a whole MP3 memory image. Null (with the error code set) when the
// data is not a decodable MP3.
SoundStream* FSOUND_Stream_Open(const void* data, unsigned mode, int offset, int length);
void FSOUND_Stream_SetEndCallback(SoundStream* stream, SoundCallback callback, void* userData);
// Kept only: MP3 streams carry no sync points, so it is never called.
void FSOUND_Stream_SetSyncCallback(SoundStream* stream, SoundCallback callback, void* userData);
// Starts the stream on the device (paused when asked); returns the channel.
// Unused: channel (there is only one) and dsp (no effect units).
int FSOUND_Stream_PlayEx(int channel, SoundStream* stream, void* dsp, bool startPaused);
void FSOUND_SetPaused(int channel, bool paused);
// From now on the playing stream runs on the clock instead of the output
// device (for a page whose browser gives it no sound): the position moves in
// real time from what was heard last, and seeks, pauses and the end behave
// as on the device. There is no way back to the device.
void soundPlayWithoutOutput();
bool soundPlaysWithoutOutput();
// Audible position in milliseconds: what was handed to the device minus
// what is still queued in its buffer.
int FSOUND_Stream_GetTime(SoundStream* stream);
// Moves the stream; negative positions clamp to 0. GetTime returns ms at once.
void FSOUND_Stream_SetTime(SoundStream* stream, int ms);
// The frame FSOUND_Stream_SetTime(stream, ms) puts the stream at: the
// first one that reads back as ms, within 0 .. the stream's length.
long long soundFrameAtMs(SoundStream* stream, int ms);
// Length of the decoded stream in milliseconds and in sample frames.
int FSOUND_Stream_GetLengthMs(SoundStream* stream);
long long soundStreamFrames(SoundStream* stream);
// The decoded samples: interleaved stereo floats at 44100 Hz.
const float* soundStreamPcm(SoundStream* stream);
// The spectrum of the playing stream at its audible frame, as
// soundSpectrumAt computes it; all zeros while nothing plays. Right after a
// seek it describes the music from the new position on.
const float* FSOUND_DSP_GetSpectrum();
void FSOUND_Stream_Close(SoundStream* stream);
void FSOUND_Close();

// The spectrum at a frame of the decoded music, without playing it: 512
// magnitudes of the 1024 samples from that frame on (the music about to be
// heard there; mono mix, Hann window). A looping stream wraps to its start;
// past the end of any other the samples are silence. A full-scale sine
// centred on a bin reads about 1.0 there.
void soundSpectrumAt(SoundStream* stream, long long frame, float* spectrum512);
// The spectrum of 1024 mono samples, as soundSpectrumAt computes it.
void soundSpectrumOf(const float* samples1024, float* spectrum512);
