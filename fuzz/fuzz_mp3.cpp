// Fuzz target of the MP3 path: opening a memory image (decoded whole),
// its length, seeks to ordinary and extreme positions read back, and the
// spectrum at each of them. The first input byte picks looping and a seek
// position; the rest is the file.
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "music/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    unsigned mode = FSOUND_NORMAL | FSOUND_LOADMEMORY | FSOUND_MPEGACCURATE | ((data[0] & 1) ? FSOUND_LOOP_NORMAL : 0);
    SoundStream* stream = FSOUND_Stream_Open(data, mode, 1, (int)(size - 1));
    if (!stream) {
        if (FSOUND_GetError() != FMOD_ERR_FILE_FORMAT)
            std::abort();
        return 0;
    }
    int lengthMs = FSOUND_Stream_GetLengthMs(stream);
    long long frames = soundStreamFrames(stream);
    if (frames <= 0 || lengthMs < 0 || !soundStreamPcm(stream))
        std::abort();
    const int positions[] = {0, lengthMs / 2, (int)((long long)lengthMs * (data[0] >> 1) / 127), lengthMs, lengthMs + 1, -1,
                             INT_MAX, INT_MIN};
    float spectrum[512];
    for (int ms : positions) {
        FSOUND_Stream_SetTime(stream, ms);
        // A seek inside the music reads back exactly; outside it clamps.
        int expected = ms < 0 ? 0 : ms > lengthMs ? lengthMs : ms;
        if (FSOUND_Stream_GetTime(stream) != expected)
            std::abort();
        soundSpectrumAt(stream, soundFrameAtMs(stream, ms), spectrum);
    }
    FSOUND_Stream_Close(stream);
    return 0;
}
