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

// Opens the output device (the driver is SDL's choice: SDL_AUDIODRIVER).
bool FSOUND_Init(int mixRate, int maxChannels, unsigned flags);
int FSOUND_GetError();
// Decodes a whole MP3 memory image. Null (with the error code set) when the
// data is not a decodable MP3.
SoundStream* FSOUND_Stream_Open(const void* data, unsigned mode, int offset, int length);
void FSOUND_Stream_SetEndCallback(SoundStream* stream, SoundCallback callback, void* userData);
void FSOUND_Stream_SetSyncCallback(SoundStream* stream, SoundCallback callback, void* userData);
// Starts the stream on the device (paused when asked); returns the channel.
int FSOUND_Stream_PlayEx(int channel, SoundStream* stream, void* dsp, bool startPaused);
void FSOUND_SetPaused(int channel, bool paused);
// Audible position in milliseconds: what was handed to the device minus
// what is still queued in its buffer.
int FSOUND_Stream_GetTime(SoundStream* stream);
// Moves the stream; negative positions clamp to 0. GetTime returns ms at once.
void FSOUND_Stream_SetTime(SoundStream* stream, int ms);
// Length of the decoded stream in milliseconds and in sample frames.
int FSOUND_Stream_GetLengthMs(SoundStream* stream);
long long soundStreamFrames(SoundStream* stream);
// The decoded samples: interleaved stereo floats at 44100 Hz.
const float* soundStreamPcm(SoundStream* stream);
// 512 magnitudes of the most recent 1024 audible samples (mono mix, Hann
// window); a full-scale sine centred on a bin reads about 1.0 there.
const float* FSOUND_DSP_GetSpectrum();
void FSOUND_Stream_Close(SoundStream* stream);
void FSOUND_Close();

// The spectrum of 1024 mono samples, as FSOUND_DSP_GetSpectrum computes it.
void soundSpectrumOf(const float* samples1024, float* spectrum512);
