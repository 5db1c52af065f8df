// Band levels: sums over index ranges of the audible spectrum.
#include "music/spectrum.h"

#include "music/music.h"
#include "music/sound.h"

void sumBands(const float* spectrum, float levels[4])
{
    static const int bandEnd[4] = {16, 64, 128, 512};
    int index = 0;
    for (int band = 0; band < 4; band++) {
        levels[band] = 0;
        for (; index < bandEnd[band]; index++)
            levels[band] += spectrum[index];
    }
}

void analysisStep(float levels[4])
{
    sumBands(FSOUND_DSP_GetSpectrum(), levels);
}

void analysisAt(const MusicClock& music, int ms, float levels[4])
{
    float spectrum[512];
    soundSpectrumAt(music.musicStream, soundFrameAtMs(music.musicStream, ms), spectrum);
    sumBands(spectrum, levels);
}
