// The soundtrack generator's self-check of its final mix: still playing as
// the last pattern begins and silent in its last second, a loud, sharp
// onset on every hit row, and the kick and snare lifting the band levels the
// show reads (the program's own spectrum and band sums) on their beats.
// Prints what it measures; a failed check makes the generator fail.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "music/sound.h"
#include "music/spectrum.h"

struct TuneLayout {
    double rate, rowSeconds;  // samples per second, seconds per row (1/64 pattern)
    std::vector<int> hitRows;
    int breakStartRow, breakEndRow;  // rows without kick
};

inline bool checkTune(const std::vector<float>& left, const std::vector<float>& right, const TuneLayout& layout)
{
    const double rate = layout.rate;
    const long frames = long(left.size());
    auto sampleOfRow = [&](double row) { return std::lround(row * layout.rowSeconds * rate); };
    std::vector<double> energySum(frames + 1, 0.0);  // prefix sums of left² + right²
    for (long i = 0; i < frames; i++)
        energySum[i + 1] = energySum[i] + double(left[i]) * left[i] + double(right[i]) * right[i];
    // Mean energy per frame over [a, b), and its RMS per channel.
    auto energy = [&](long a, long b) {
        a = std::clamp(a, 0L, frames), b = std::clamp(b, 0L, frames);
        return b > a ? (energySum[b] - energySum[a]) / double(b - a) : 0.0;
    };
    auto rms = [&](long a, long b) { return std::sqrt(energy(a, b) / 2.0); };
    int failures = 0;
    auto check = [&](bool ok, const char* what, int at) {
        if (!ok) std::fprintf(stderr, "gen_tune: check failed: %s (%d)\n", what, at);
        failures += !ok;
    };

    long p15 = sampleOfRow(15 * 64), quiet = sampleOfRow(16 * 64) - long(rate);
    std::printf("gen_tune: pattern 15 first second rms %.4f, last second rms %.6f\n", rms(p15, p15 + long(rate)),
                rms(quiet, frames));
    check(rms(p15, p15 + long(rate)) > 0.05, "pattern 15 plays", 15);
    check(rms(quiet, frames) < 0.001, "silent once the show is black", 16);

    // An onset is where the energy of the next 5 ms jumps over that of the
    // 25 ms before; each hit row must have the sharpest such jump of its
    // surroundings within 10 ms of its time, a large jump, and be loud.
    const long after = long(0.005 * rate), before = long(0.025 * rate), search = long(0.04 * rate);
    double musicRms = rms(sampleOfRow(64), sampleOfRow(15 * 64));
    for (int row : layout.hitRows) {
        long expected = sampleOfRow(row), best = expected;
        double bestJump = 0.0;
        for (long s = expected - search; s <= expected + search; s++) {
            double jump = energy(s, s + after) / (energy(s - before, s) + 1e-12);
            if (jump > bestJump) bestJump = jump, best = s;
        }
        double offsetMs = (best - expected) * 1000.0 / rate, hitRms = rms(best, best + long(0.05 * rate));
        std::printf("gen_tune: hit row %d: onset %+.2f ms, jump x%.0f, rms %.3f (music %.3f)\n", row, offsetMs,
                    bestJump, hitRms, musicRms);
        check(std::fabs(offsetMs) <= 10.0 && bestJump > 50.0, "sharp onset on the hit row", row);
        check(hitRms > 1.3 * musicRms, "loud hit", row);
    }

    // Each beat as a frame loop at 60 frames per second sees it: the band
    // levels of the 1024-sample windows ending 0 to 117 ms after the beat,
    // highest kept. The kick plays on every beat of patterns 0 to 14 but the
    // breakdown's, the snare on the off-beats from pattern 1 on.
    float lowestKick = 1e9f, lowestSnare = 1e9f;
    for (int beat = 0; beat < 15 * 16; beat++) {
        if (beat * 4 >= layout.breakStartRow && beat * 4 < layout.breakEndRow) continue;
        float bass = 0, mid = 0, levels[4], mono[1024], spectrum[512];
        for (int frame = 0; frame < 8; frame++) {
            long end = sampleOfRow(beat * 4) + std::lround(frame * rate / 60.0);
            for (long i = 0, s = end - 1024; i < 1024; i++, s++)
                mono[i] = s >= 0 && s < frames ? 0.5f * (left[s] + right[s]) : 0.0f;
            soundSpectrumOf(mono, spectrum);
            sumBands(spectrum, levels);
            bass = std::max(bass, levels[0]), mid = std::max(mid, levels[1]);
        }
        lowestKick = std::min(lowestKick, bass);
        check(bass > 0.6f, "kick lifts band 0 on the beat", beat);
        if (beat >= 16 && (beat & 1)) {
            lowestSnare = std::min(lowestSnare, mid);
            check(mid > 0.3f, "snare lifts band 1 on the beat", beat);
        }
    }
    std::printf("gen_tune: lowest band 0 on kick beats %.3f, band 1 on snare beats %.3f\n", lowestKick, lowestSnare);
    return failures == 0;
}
