// The music stream: loading and playing it, the show time with freezing,
// the end of the stream, closing.
#include "music/music.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/clock.h"
#include "base/constants.h"
#include "base/fatal.h"
#include "music/sound.h"
#include "platform/window.h"


// Reads a file whole into a new heap block. Fatal when it cannot be read
// whole or is empty; a missing file reads "<name> not found".
static unsigned char* readWholeFile(const char* fileName, long* size)
{
    char text[1024];
    FILE* file = std::fopen(fileName, "rb");
    if (!file) {
        FSOUND_Close();
        std::snprintf(text, sizeof text, "%s not found", fileName);
        fatalError(text);
    }
    // Only a regular file has a size to read whole (a folder opens too).
    struct stat info;
    long length = -1;
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && std::fseek(file, 0, SEEK_END) == 0)
        length = std::ftell(file);
    if (length <= 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        FSOUND_Close();
        std::snprintf(text, sizeof text, "%s is empty or cannot be read", fileName);
        fatalError(text);
    }
    unsigned char* block = (unsigned char*)std::malloc((size_t)length);
    size_t got = block ? std::fread(block, 1, (size_t)length, file) : 0;
    std::fclose(file);
    if (got != (size_t)length) {
        FSOUND_Close();
        std::snprintf(text, sizeof text, "%s cannot be read whole", fileName);
        fatalError(text);
    }
    *size = length;
    return block;
}

void startSound()
{
    if (const char* problem = soundVersionProblem())
        fatalError(problem);
    if (!FSOUND_Init(soundFrameRate, 32, 8)) {
        char text[1024];
        std::snprintf(text, sizeof text, "%s %s", fmodErrorText(FSOUND_GetError()), soundDeviceProblem());
        FSOUND_Close();
        fatalError(text);
    }
}

void startMusic(MusicClock* music, const char* fileName, float tempo, int loop)
{
    music->bpm = tempo;

    startSound();

    loadMusic(music, fileName, loop);

    if (music->musicChannel < 0) {
        music->musicChannel = FSOUND_Stream_PlayEx(FSOUND_FREE, music->musicStream, nullptr, true);
        FSOUND_SetPaused(music->musicChannel, false);
    }
}

void loadMusic(MusicClock* music, const char* fileName, int loop)
{
    long size = 0;
    music->musicImage = readWholeFile(fileName, &size);

    unsigned mode = loop ? FSOUND_LOOP_NORMAL | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE
                         : FSOUND_NORMAL | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE;
    music->musicStream = FSOUND_Stream_Open(music->musicImage, mode, 0, (int)size);
    if (!music->musicStream) {
        char text[1024];
        std::snprintf(text, sizeof text, "%s: %s", fileName, fmodErrorText(FSOUND_GetError()));
        FSOUND_Close();
        fatalError(text);
    }
    FSOUND_Stream_SetEndCallback(music->musicStream, streamCallback, nullptr);
    FSOUND_Stream_SetSyncCallback(music->musicStream, streamCallback, nullptr);
}

int streamCallback(SoundStream*, void* buffer, int, void*)
{
    if (!buffer)
        quitRequested++;
    return 1;
}

float currentShowTime(MusicClock* music)
{
    if (music->frozenTime == 0.0f) {
        if (music->outputHeld) {
            FSOUND_SetPaused(music->musicChannel, false);
            music->outputHeld = false;
        }
        music->showTime = streamShowTime(*music);
        return music->showTime;
    }
    // Back to the frozen position first, so that the frame's spectrum
    // follows it and the show resumes there.
    seekToPattern(*music, music->frozenTime);
#ifdef __EMSCRIPTEN__
    // A web page cannot sleep without holding up the browser: instead of
    // replaying the held stretch, its sound is held with the show.
    if (!music->outputHeld) {
        FSOUND_SetPaused(music->musicChannel, true);
        music->outputHeld = true;
    }
#else
    // The pause replays the held stretch.
    sleepMs((unsigned)(int)(101.0 + 100.0 * std::sin(clockMs() * PI)));
#endif
    return music->frozenTime;
}

void stopMusic(MusicClock* music)
{
    FSOUND_Stream_Close(music->musicStream);
    music->musicStream = nullptr;
    music->musicChannel = -1;
    FSOUND_Close();
    std::free(music->musicImage);
    music->musicImage = nullptr;
}

const char* fmodErrorText(int code)
{
    static const char* const texts[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
        "Required Mediaplayer codec is not installed",
    };
    if (code < 0 || code >= (int)(sizeof texts / sizeof texts[0]))
        return "Unknown error";
    return texts[code];
}
