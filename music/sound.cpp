// The sound layer on SDL2 audio, libmpg123 and kissfft. A stream is decoded
// whole at open (sample-exact seeks, gapless), then handed to the output
// device by SDL's audio callback. The audible position is reconstructed from
// the blocks handed to the device and the time each block starts to sound.
#include "music/sound.h"

#include <SDL.h>
#include <kiss_fftr.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif
#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>
#ifdef __linux__
#include <dlfcn.h>
#endif

static const int spectrumSize = 1024;

// One block handed to the device: it starts to sound `latency` after `ticks`.
struct Fill {
    long long start;   // stream frame of the block's first sample
    long long frames;  // frames in the block
    Uint64 ticks;      // performance counter when it was handed over
};

struct SoundStream {
    std::vector<float> pcm;  // interleaved stereo at soundFrameRate
    long long frames;
    bool loop;
    SoundCallback endCallback;
    void* endUserData;
    SoundCallback syncCallback;
    void* syncUserData;

    // Shared with the audio thread; guarded by the device lock.
    long long cursor;   // next frame handed to the device
    long long base;     // position reported until a block sounds (fills not full)
    bool ended;         // the end callback has been called
    Fill fills[8];      // most recent blocks, newest last
    int fillCount;
};

static SDL_AudioDeviceID device = 0;
static SDL_AudioSpec deviceSpec;
static SoundStream* playing = nullptr;
static int lastError = FMOD_ERR_NONE;
static float spectrum[512];
static char deviceProblem[512];

// Without an output (a page whose browser gives it no sound) the playing
// stream runs on the clock instead: from clockFrame at clockTicks, unless
// held.
struct OutputlessClock {
    bool on;
    bool held;
    long long frame;
    Uint64 ticks;
};
static OutputlessClock outputless;

const char* soundVersionProblem()
{
    SDL_version linked;
    SDL_GetVersion(&linked);
    if (SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) < SDL_VERSIONNUM(2, 0, 18))
        return "SDL 2.0.18 or newer is required for sound output.";
    if (!mpg123_feature(MPG123_FEATURE_DECODE_LAYER3) || !mpg123_feature(MPG123_FEATURE_OUTPUT_32BIT))
        return "libmpg123 cannot decode MP3 to float samples.";
    return nullptr;
}

// Copies frames from the stream at its cursor into out, wrapping when looping
// and padding with silence after the end. Runs on the audio thread.
static void fillBlock(SoundStream* stream, float* out, long long frames)
{
    long long done = 0;
    while (done < frames) {
        if (stream->cursor >= stream->frames) {
            if (stream->loop && stream->frames > 0) {
                stream->cursor = 0;
            } else {
                std::memset(out + done * 2, 0, (size_t)(frames - done) * 2 * sizeof(float));
                return;
            }
        }
        long long take = std::min(frames - done, stream->frames - stream->cursor);
        std::memcpy(out + done * 2, stream->pcm.data() + stream->cursor * 2, (size_t)take * 2 * sizeof(float));
        stream->cursor += take;
        done += take;
    }
}

static void audioCallback(void*, Uint8* bytes, int length)
{
    float* out = (float*)bytes;
    long long frames = length / (2 * (int)sizeof(float));
    SoundStream* stream = playing;
    if (!stream) {
        std::memset(bytes, 0, (size_t)length);
        return;
    }
    if (stream->fillCount == 8) {
        std::memmove(stream->fills, stream->fills + 1, 7 * sizeof(Fill));
        stream->fillCount = 7;
    }
    stream->fills[stream->fillCount++] = Fill{stream->cursor, frames, SDL_GetPerformanceCounter()};
    fillBlock(stream, out, frames);
    if (!stream->loop && stream->cursor >= stream->frames && !stream->ended) {
        stream->ended = true;
        if (stream->endCallback)
            stream->endCallback(stream, nullptr, 0, stream->endUserData);
    }
}

// Records why the device could not be opened: the driver asked for (or
// SDL's pick) and SDL's own reason.
static void noteDeviceProblem()
{
    const char* driver = SDL_getenv("SDL_AUDIODRIVER");
    if (!driver || !*driver)
        driver = SDL_GetCurrentAudioDriver();
    std::snprintf(deviceProblem, sizeof deviceProblem, "Sound driver \"%s\": %s", driver ? driver : "any",
                  SDL_GetError());
}

#ifdef __linux__
typedef void (*AlsaErrorHandler)(const char* file, int line, const char* function, int err, const char* fmt, ...);

static void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
#endif

// On a machine without a sound card, SDL's probe of ALSA makes the library
// print its own lines ("ALSA lib confmisc.c:855:(parse_card) cannot find
// card '0'", ...) before the program can say anything; SDL's reason for the
// failure reaches the user in the program's message instead. libasound is
// loaded here only to turn that printing off; SDL then loads the same copy.
static void quietAlsaMessages()
{
#ifdef __linux__
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa)
        return;
    auto setHandler = (int (*)(AlsaErrorHandler))dlsym(alsa, "snd_lib_error_set_handler");
    if (setHandler)
        setHandler(ignoreAlsaError);
#endif
}

bool FSOUND_Init(int mixRate, int, unsigned)
{
    if (device) {
        lastError = FMOD_ERR_NONE;
        return true;
    }
    quietAlsaMessages();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        noteDeviceProblem();
        lastError = FMOD_ERR_INIT;
        return false;
    }
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = mixRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = audioCallback;
    // SDL converts to whatever the device really takes.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &deviceSpec, 0);
    if (device == 0) {
        noteDeviceProblem();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        lastError = FMOD_ERR_INIT;
        return false;
    }
    lastError = FMOD_ERR_NONE;
    return true;
}

int FSOUND_GetError()
{
    return lastError;
}

const char* soundDeviceProblem()
{
    return deviceProblem;
}

// libmpg123 reads the memory image through these.
struct MemoryReader {
    const unsigned char* data;
    off_t size;
    off_t position;
};

static ssize_t readMemory(void* handle, void* buffer, size_t count)
{
    MemoryReader* reader = (MemoryReader*)handle;
    off_t left = reader->size - reader->position;
    size_t take = (off_t)count < left ? count : (size_t)left;
    std::memcpy(buffer, reader->data + reader->position, take);
    reader->position += (off_t)take;
    return (ssize_t)take;
}

static off_t seekMemory(void* handle, off_t offset, int whence)
{
    MemoryReader* reader = (MemoryReader*)handle;
    off_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? reader->position + offset : reader->size + offset;
    if (target < 0 || target > reader->size)
        return -1;
    reader->position = target;
    return target;
}

// Decodes the whole image to interleaved stereo float at soundFrameRate.
static bool decodeMp3(const unsigned char* data, long long size, std::vector<float>* pcm)
{
    int error = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &error);
    if (!decoder)
        return false;
    MemoryReader reader{data, (off_t)size, 0};
    bool ok = mpg123_param(decoder, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_FORCE_FLOAT | MPG123_QUIET, 0) == MPG123_OK
              && mpg123_param(decoder, MPG123_PREFRAMES, 8, 0) == MPG123_OK
              && mpg123_param(decoder, MPG123_FORCE_RATE, soundFrameRate, 0) == MPG123_OK
              && mpg123_format_none(decoder) == MPG123_OK
              && mpg123_format(decoder, soundFrameRate, MPG123_STEREO, MPG123_ENC_FLOAT_32) == MPG123_OK
              && mpg123_replace_reader_handle(decoder, readMemory, seekMemory, nullptr) == MPG123_OK
              && mpg123_open_handle(decoder, &reader) == MPG123_OK;
    if (ok) {
        long rate = 0;
        int channels = 0, encoding = 0;
        ok = mpg123_getformat(decoder, &rate, &channels, &encoding) == MPG123_OK && rate == soundFrameRate
             && channels == 2 && encoding == MPG123_ENC_FLOAT_32;
    }
    if (ok) {
        // The length comes from the file's info tag, which a damaged file
        // can make anything: it only sizes the first allocation, and never
        // beyond what the bytes could decode to (MPEG 2.5 at 8 kHz and
        // 8 kbit/s, resampled, gives about 44 frames per byte).
        off_t length = std::min((off_t)mpg123_length(decoder), (off_t)size * 64);
        if (length > 0)
            pcm->reserve((size_t)length * 2);
        unsigned char block[65536];
        for (;;) {
            size_t got = 0;
            int result = mpg123_read(decoder, block, sizeof block, &got);
            const float* samples = (const float*)block;
            pcm->insert(pcm->end(), samples, samples + got / sizeof(float));
            if (result == MPG123_DONE)
                break;
            if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
                ok = false;
                break;
            }
        }
    }
    mpg123_close(decoder);
    mpg123_delete(decoder);
    return ok && !pcm->empty();
}

SoundStream* FSOUND_Stream_Open(const void* data, unsigned mode, int offset, int length)
{
    if (!data || offset < 0 || length <= 0) {
        lastError = FMOD_ERR_INVALID_PARAM;
        return nullptr;
    }
    SoundStream* stream = new SoundStream{};
    if (!decodeMp3((const unsigned char*)data + offset, length, &stream->pcm)) {
        delete stream;
        lastError = FMOD_ERR_FILE_FORMAT;
        return nullptr;
    }
    stream->frames = (long long)(stream->pcm.size() / 2);
    stream->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
    lastError = FMOD_ERR_NONE;
    return stream;
}

void FSOUND_Stream_SetEndCallback(SoundStream* stream, SoundCallback callback, void* userData)
{
    SDL_LockAudioDevice(device);
    stream->endCallback = callback;
    stream->endUserData = userData;
    SDL_UnlockAudioDevice(device);
}

void FSOUND_Stream_SetSyncCallback(SoundStream* stream, SoundCallback callback, void* userData)
{
    // MP3 streams carry no sync points here, so the callback is only kept.
    stream->syncCallback = callback;
    stream->syncUserData = userData;
}

int FSOUND_Stream_PlayEx(int, SoundStream* stream, void*, bool startPaused)
{
    if (!device || !stream)
        return -1;
    SDL_LockAudioDevice(device);
    playing = stream;
    stream->base = stream->cursor;
    stream->fillCount = 0;
    outputless.frame = stream->cursor;
    outputless.ticks = SDL_GetPerformanceCounter();
    outputless.held = startPaused;
    SDL_UnlockAudioDevice(device);
    SDL_PauseAudioDevice(device, startPaused || outputless.on ? 1 : 0);
    return 0;
}

// Frame of the outputless clock now; called with the device locked.
static long long outputlessFrame(const SoundStream* stream)
{
    long long frame = outputless.frame;
    if (!outputless.held) {
        double seconds = (double)(SDL_GetPerformanceCounter() - outputless.ticks) / (double)SDL_GetPerformanceFrequency();
        frame += (long long)(seconds * soundFrameRate);
    }
    if (frame >= stream->frames)
        frame = stream->loop && stream->frames > 0 ? frame % stream->frames : stream->frames;
    return frame;
}

void FSOUND_SetPaused(int channel, bool paused)
{
    if (!device || channel < 0)
        return;
    SDL_LockAudioDevice(device);
    if (outputless.on && playing && paused != outputless.held) {
        outputless.frame = outputlessFrame(playing);
        outputless.ticks = SDL_GetPerformanceCounter();
    }
    outputless.held = paused;
    SDL_UnlockAudioDevice(device);
    if (!outputless.on)
        SDL_PauseAudioDevice(device, paused ? 1 : 0);
}

void soundPlayWithoutOutput()
{
    if (!device || outputless.on)
        return;
    SDL_PauseAudioDevice(device, 1);
    SDL_LockAudioDevice(device);
    if (playing) {
        // On from what is heard now, or from the start when nothing sounded yet.
        outputless.frame = playing->fillCount > 0 ? playing->fills[0].start : playing->base;
        playing->cursor = outputless.frame;
        playing->base = outputless.frame;
        playing->fillCount = 0;
    }
    outputless.ticks = SDL_GetPerformanceCounter();
    outputless.on = true;
    SDL_UnlockAudioDevice(device);
}

bool soundPlaysWithoutOutput()
{
    return outputless.on;
}

#ifdef __EMSCRIPTEN__
// What the browser adds after the page's audio: its own buffering and the
// output device's, in seconds (0 where the browser does not tell).
EM_JS(double, browserOutputLatency, (), {
    var context = Module.SDL2 && Module.SDL2.audioContext;
    if (!context)
        return 0;
    var total = (context.baseLatency || 0) + (context.outputLatency || 0);
    return isFinite(total) && total > 0 && total < 1 ? total : 0;
});
#endif

// Seconds between handing a block to SDL and hearing its first sample: the
// device's own buffer, and in a browser what the browser adds after it.
static double latencySeconds()
{
    double latency = deviceSpec.freq > 0 ? (double)deviceSpec.samples / deviceSpec.freq : 0.0;
#ifdef __EMSCRIPTEN__
    latency += browserOutputLatency();
#endif
    return latency;
}

// Audible frame of a stream; called with the device locked.
static long long audibleFrame(const SoundStream* stream)
{
    if (stream == playing && outputless.on)
        return outputlessFrame(stream);
    if (stream != playing || stream->fillCount == 0)
        return stream->base;
    Uint64 now = SDL_GetPerformanceCounter();
    double frequency = (double)SDL_GetPerformanceFrequency();
    double latency = latencySeconds();
    for (int i = stream->fillCount - 1; i >= 0; i--) {
        const Fill& fill = stream->fills[i];
        double sounding = (double)(Sint64)(now - fill.ticks) / frequency - latency;
        if (sounding < 0)
            continue;
        long long elapsed = std::min((long long)(sounding * soundFrameRate), fill.frames);
        long long frame = fill.start + elapsed;
        if (frame >= stream->frames)
            frame = stream->loop && stream->frames > 0 ? frame % stream->frames : stream->frames;
        return frame;
    }
    // None sounds yet. While every block since the start or the last seek
    // is recorded, that is the position; once a burst of blocks (callbacks
    // held up, as a busy browser holds them) has pushed older ones out,
    // what sounds lies just before the oldest recorded block.
    return stream->fillCount == 8 ? stream->fills[0].start : stream->base;
}

int FSOUND_Stream_GetTime(SoundStream* stream)
{
    if (!stream)
        return 0;
    SDL_LockAudioDevice(device);
    long long frame = audibleFrame(stream);
    // The outputless clock meets the end of a stream here, not on the
    // audio thread.
    bool ending = outputless.on && stream == playing && !stream->loop && frame >= stream->frames && !stream->ended;
    if (ending)
        stream->ended = true;
    SDL_UnlockAudioDevice(device);
    if (ending && stream->endCallback)
        stream->endCallback(stream, nullptr, 0, stream->endUserData);
    return (int)(frame * 1000 / soundFrameRate);
}

void FSOUND_Stream_SetTime(SoundStream* stream, int ms)
{
    if (!stream)
        return;
    long long frame = soundFrameAtMs(stream, ms);
    SDL_LockAudioDevice(device);
    stream->cursor = frame;
    stream->base = frame;
    stream->fillCount = 0;
    stream->ended = false;
    if (stream == playing) {
        outputless.frame = frame;
        outputless.ticks = SDL_GetPerformanceCounter();
    }
    SDL_UnlockAudioDevice(device);
}

long long soundFrameAtMs(SoundStream* stream, int ms)
{
    if (!stream || ms < 0)
        return 0;
    // The smallest frame that reads back as ms.
    long long frame = ((long long)ms * soundFrameRate + 999) / 1000;
    return frame < stream->frames ? frame : stream->frames;
}

int FSOUND_Stream_GetLengthMs(SoundStream* stream)
{
    return stream ? (int)(stream->frames * 1000 / soundFrameRate) : 0;
}

long long soundStreamFrames(SoundStream* stream)
{
    return stream ? stream->frames : 0;
}

const float* soundStreamPcm(SoundStream* stream)
{
    return stream ? stream->pcm.data() : nullptr;
}

void soundSpectrumOf(const float* samples, float* magnitudes)
{
    static kiss_fftr_cfg plan = kiss_fftr_alloc(spectrumSize, 0, nullptr, nullptr);
    static float window[spectrumSize];
    static float scale = 0;
    if (scale == 0) {
        double sum = 0;
        for (int i = 0; i < spectrumSize; i++) {
            window[i] = (float)(0.5 - 0.5 * std::cos(2.0 * M_PI * i / spectrumSize));
            sum += window[i];
        }
        // A full-scale sine centred on a bin reads 1.0 there.
        scale = (float)(2.0 / sum);
    }
    float windowed[spectrumSize];
    kiss_fft_cpx bins[spectrumSize / 2 + 1];
    for (int i = 0; i < spectrumSize; i++)
        windowed[i] = samples[i] * window[i];
    kiss_fftr(plan, windowed, bins);
    for (int k = 0; k < spectrumSize / 2; k++)
        magnitudes[k] = std::sqrt(bins[k].r * bins[k].r + bins[k].i * bins[k].i) * scale;
}

void soundSpectrumAt(SoundStream* stream, long long frame, float* magnitudes)
{
    // The music the listener is about to hear: the window starts at the
    // frame; a looping stream goes on from its start, any other is silent
    // after its end.
    float mono[spectrumSize];
    for (int i = 0; i < spectrumSize; i++) {
        long long at = frame + i;
        if (stream && at >= stream->frames && stream->loop && stream->frames > 0)
            at %= stream->frames;
        bool inside = stream && at >= 0 && at < stream->frames;
        mono[i] = inside ? 0.5f * (stream->pcm[(size_t)at * 2] + stream->pcm[(size_t)at * 2 + 1]) : 0.0f;
    }
    soundSpectrumOf(mono, magnitudes);
}

const float* FSOUND_DSP_GetSpectrum()
{
    long long frame = 0;
    SoundStream* stream = playing;
    if (stream) {
        SDL_LockAudioDevice(device);
        frame = audibleFrame(stream);
        SDL_UnlockAudioDevice(device);
    }
    soundSpectrumAt(stream, frame, spectrum);
    return spectrum;
}

void FSOUND_Stream_Close(SoundStream* stream)
{
    if (!stream)
        return;
    if (device) {
        SDL_LockAudioDevice(device);
        if (playing == stream)
            playing = nullptr;
        SDL_UnlockAudioDevice(device);
    }
    delete stream;
}

void FSOUND_Close()
{
    if (device) {
        SDL_CloseAudioDevice(device);
        device = 0;
    }
    playing = nullptr;
    outputless = OutputlessClock{};
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
