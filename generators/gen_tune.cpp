// Soundtrack generator: synthesises the demo's piece (A minor, 128 beats per
// minute, 16 patterns of 16 beats) from oscillators, noise, filters and
// effects, and writes it as a 16-bit 44100 Hz stereo WAV file.
//
//   gen_tune OUTPUT.wav
//
// Time is counted in rows: one row is a sixteenth note (1/64 pattern,
// 117.1875 ms). The arrangement: intro (pattern 0), build (1-2), groove with
// lead (3-9), breakdown and build-up (10), final drop (11-14), outro fading
// to silence during pattern 15. Every row of hitRows gets a loud accent (a
// short gap, then stab, crash, impact and boom), led in by a drum fill.
// The mix is checked (generators/tune_check.h) before it is written; a failed
// check writes nothing and exits with status 1.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <vector>

#include "generators/tune_check.h"

namespace {

constexpr int sampleRate = 44100;
constexpr double rowSeconds = 60.0 / 128.0 / 4.0;
constexpr int rowsPerPattern = 64;
constexpr int patternCount = 16;
constexpr double tailSeconds = 1.0;
constexpr double twoPi = 6.283185307179586;
constexpr double halfPi = 1.5707963267948966;

const int hitRows[] = {149, 201, 295, 391, 481, 536, 631, 746, 778};

// Rows without kick: the first half of the breakdown.
constexpr int breakStart = 640, breakEnd = 672;
// The drop after the build-up, and the row where the drums stop in the outro.
constexpr int dropRow = 704, drumsEndRow = 15 * rowsPerPattern + 32;

double rowTime(double row) { return row * rowSeconds; }
long sampleAt(double seconds) { return std::lround(seconds * sampleRate); }
double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }
double clamp01(double x) { return std::clamp(x, 0.0, 1.0); }

// ---------------------------------------------------------------- building blocks

uint32_t noiseState = 0x1234567u;
double noise()
{
    noiseState ^= noiseState << 13;
    noiseState ^= noiseState >> 17;
    noiseState ^= noiseState << 5;
    return noiseState / 2147483648.0 - 1.0;
}

// Band-limited sawtooth (polyBLEP).
struct Saw {
    double phase = 0.0;
    double next(double hz)
    {
        double dt = hz / sampleRate;
        double v = 2.0 * phase - 1.0;
        if (phase < dt) {
            double t = phase / dt;
            v -= t + t - t * t - 1.0;
        } else if (phase > 1.0 - dt) {
            double t = (phase - 1.0) / dt;
            v -= t * t + t + t + 1.0;
        }
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        return v;
    }
};

// State-variable filter (trapezoidal integration): low, band and high outputs.
struct Svf {
    double a1 = 0, a2 = 0, a3 = 0, k = 1, ic1 = 0, ic2 = 0;
    double low = 0, band = 0, high = 0;
    void set(double hz, double q)
    {
        hz = std::clamp(hz, 10.0, 0.45 * sampleRate);
        double g = std::tan(M_PI * hz / sampleRate);
        k = 1.0 / q;
        a1 = 1.0 / (1.0 + g * (g + k));
        a2 = g * a1;
        a3 = g * a2;
    }
    void run(double v0)
    {
        double v3 = v0 - ic2;
        double v1 = a1 * ic1 + a2 * v3;
        double v2 = ic2 + a2 * ic1 + a3 * v3;
        ic1 = 2.0 * v1 - ic1;
        ic2 = 2.0 * v2 - ic2;
        low = v2;
        band = v1;
        high = v0 - k * v1 - v2;
    }
};

// A stereo mix bus covering the whole piece.
struct Bus {
    std::vector<float> l, r;
    explicit Bus(size_t n) : l(n), r(n) {}
    void add(long i, double a, double b)
    {
        if (i >= 0 && i < long(l.size())) {
            l[i] += float(a);
            r[i] += float(b);
        }
    }
};

double panLeft(double pan) { return std::min(1.0, 1.0 - pan); }
double panRight(double pan) { return std::min(1.0, 1.0 + pan); }

long totalSamples = 0;
Bus* drums;      // kick, claps, hats, fills: not ducked
Bus* heavy;      // bass and pads: ducked hard by the kick
Bus* light;      // arpeggio and lead: ducked a little
Bus* effects;    // risers, crashes, booms
Bus* hits;       // the accents: never gapped
Bus* verbSend;   // into the reverb
Bus* delaySend;  // into the ping-pong delay
std::vector<double> duckTimes;  // onsets that pump the ducked buses

// ---------------------------------------------------------------- drums

void kick(double t, double gain)
{
    long s0 = sampleAt(t);
    int n = int(0.42 * sampleRate);
    double phase = 0.0;
    Svf click;
    click.set(3500.0, 0.8);
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        double hz = 46.0 + 120.0 * std::exp(-x / 0.032) + 300.0 * std::exp(-x / 0.004);
        phase += hz / sampleRate;
        double amp = std::min(1.0, x / 0.0008) * (0.8 * std::exp(-x / 0.19) + 0.2 * std::exp(-x / 0.04));
        if (x > 0.36) amp *= (0.42 - x) / 0.06;
        double y = std::tanh(2.0 * std::sin(twoPi * phase) * amp) / std::tanh(2.0);
        click.run(noise());
        y += 0.3 * click.band * std::exp(-x / 0.003);
        drums->add(s0 + j, gain * y, gain * y);
    }
    duckTimes.push_back(t);
}

void clap(double t, double gain)
{
    long s0 = sampleAt(t);
    int n = int(0.45 * sampleRate);
    Svf bl, br, hl, hr;
    bl.set(1350.0, 1.1);
    br.set(1450.0, 1.1);
    hl.set(4000.0, 0.7);
    hr.set(4000.0, 0.7);
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        double bursts = 0.0;
        for (int b = 0; b < 3; ++b) {
            double xb = x - b * 0.0095;
            if (xb >= 0.0) bursts += std::min(1.0, xb / 0.0004) * std::exp(-xb / 0.0035);
        }
        double xt = x - 0.019;
        double tail = xt >= 0.0 ? std::min(1.0, xt / 0.002) * std::exp(-xt / 0.13) : 0.0;
        double env = (0.9 * bursts + 0.75 * tail) * std::min(1.0, (0.45 - x) / 0.05);
        double a = noise(), b = 0.6 * a + 0.4 * noise();
        bl.run(a);
        br.run(b);
        hl.run(a);
        hr.run(b);
        double body = 0.45 * std::sin(twoPi * 185.0 * x) * std::exp(-x / 0.05) * std::min(1.0, x / 0.0005);
        double yl = gain * (env * (2.2 * bl.band + 0.35 * hl.high) + body);
        double yr = gain * (env * (2.2 * br.band + 0.35 * hr.high) + body);
        drums->add(s0 + j, yl, yr);
        verbSend->add(s0 + j, 0.35 * yl, 0.35 * yr);
    }
}

void snare(double t, double gain, double pitch, double pan)
{
    long s0 = sampleAt(t);
    int n = int(0.3 * sampleRate);
    double phase = 0.0;
    Svf band;
    band.set(2600.0, 0.7);
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        phase += pitch * (190.0 + 70.0 * std::exp(-x / 0.01)) / sampleRate;
        band.run(noise());
        double attack = std::min(1.0, x / 0.0005);
        double y = attack * (0.55 * std::sin(twoPi * phase) * std::exp(-x / 0.06) +
                             1.6 * band.band * std::exp(-x / 0.09));
        y *= gain * std::min(1.0, (0.3 - x) / 0.05);
        drums->add(s0 + j, y * panLeft(pan), y * panRight(pan));
        verbSend->add(s0 + j, 0.2 * y, 0.2 * y);
    }
}

void tom(double t, double gain, double hz, double pan)
{
    long s0 = sampleAt(t);
    int n = int(0.45 * sampleRate);
    double phase = 0.0;
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        phase += hz * (1.0 + 0.7 * std::exp(-x / 0.025)) / sampleRate;
        double y = std::tanh(1.5 * std::sin(twoPi * phase)) * std::exp(-x / 0.18) * std::min(1.0, x / 0.0005);
        y += 0.25 * noise() * std::exp(-x / 0.008);
        y *= gain;
        if (x > 0.4) y *= (0.45 - x) / 0.05;
        drums->add(s0 + j, y * panLeft(pan), y * panRight(pan));
        verbSend->add(s0 + j, 0.25 * y, 0.25 * y);
    }
}

// Metallic partials (six detuned squares) shared by the hats and cymbals.
struct Metal {
    double phases[6] = {0.0, 0.13, 0.29, 0.41, 0.57, 0.77};
    double next(double scale)
    {
        static const double hz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
        double s = 0.0;
        for (int i = 0; i < 6; ++i) {
            phases[i] += scale * hz[i] / sampleRate;
            phases[i] -= std::floor(phases[i]);
            s += phases[i] < 0.5 ? 1.0 : -1.0;
        }
        return s / 6.0;
    }
};

void hat(double t, double gain, double decay, double pan)
{
    long s0 = sampleAt(t);
    int n = int(std::max(0.06, decay * 6.0) * sampleRate);
    Svf hp;
    hp.set(7500.0, 0.8);
    Metal metal;
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        hp.run(0.65 * noise() + 0.5 * metal.next(8.0));
        double y = gain * hp.high * std::exp(-x / decay) * std::min(1.0, x / 0.0004);
        drums->add(s0 + j, y * panLeft(pan), y * panRight(pan));
    }
}

void crash(Bus& bus, double t, double gain, double length)
{
    long s0 = sampleAt(t);
    int n = int(length * sampleRate);
    Svf hl, hr;
    hl.set(4500.0, 0.7);
    hr.set(4700.0, 0.7);
    Metal ml, mr;
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        hl.run(noise() + 0.4 * ml.next(11.0));
        hr.run(noise() + 0.4 * mr.next(11.3));
        double env = std::min(1.0, x / 0.0003) * (0.45 * std::exp(-x / 0.05) + 0.55 * std::exp(-x / (length / 4.0)));
        if (x > length - 0.05) env *= (length - x) / 0.05;
        double yl = gain * env * hl.high, yr = gain * env * hr.high;
        bus.add(s0 + j, yl, yr);
        verbSend->add(s0 + j, 0.15 * yl, 0.15 * yr);
    }
}

// A deep pitch-dropping thump for drops and accents.
void boom(Bus& bus, double t, double gain)
{
    long s0 = sampleAt(t);
    int n = int(1.1 * sampleRate);
    double phase = 0.0;
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        phase += (34.0 + 80.0 * std::exp(-x / 0.07)) / sampleRate;
        double env = std::min(1.0, x / 0.001) * std::exp(-x / 0.4);
        if (x > 1.0) env *= (1.1 - x) / 0.1;
        double y = gain * std::tanh(1.6 * std::sin(twoPi * phase) * env);
        bus.add(s0 + j, y, y);
    }
    duckTimes.push_back(t);
}

// Filtered noise sweeping up from t0 to t1, growing louder, cut off at t1.
void riser(double t0, double t1, double gain)
{
    long s0 = sampleAt(t0), s1 = sampleAt(t1);
    double d = t1 - t0;
    Svf fl, fr;
    for (long i = s0; i < s1; ++i) {
        double x = double(i - s0) / sampleRate, u = x / d;
        double hz = 300.0 * std::pow(30.0, u);
        fl.set(hz, 3.0);
        fr.set(hz * 1.05, 3.0);
        fl.run(noise());
        fr.run(noise());
        double env = gain * u * u * std::min(1.0, double(s1 - i) / 200.0);
        effects->add(i, env * fl.band, env * fr.band);
        verbSend->add(i, 0.3 * env * fl.band, 0.3 * env * fr.band);
    }
}

// ---------------------------------------------------------------- synths

void bassNote(double t, double dur, int note, double gain, double cutoff)
{
    long s0 = sampleAt(t);
    int n = int((dur + 0.03) * sampleRate);
    Saw saw;
    double sub = 0.0;
    Svf lp;
    double hz = midiHz(note);
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        lp.set(cutoff * (1.0 + 2.5 * std::exp(-x / 0.07)), 1.3);
        lp.run(saw.next(hz));
        sub += 0.5 * hz / sampleRate;
        double env = std::min(1.0, x / 0.002) * (x > dur ? std::max(0.0, 1.0 - (x - dur) / 0.03) : 1.0);
        double y = gain * env * (0.7 * lp.low + 0.6 * std::sin(twoPi * sub));
        heavy->add(s0 + j, y, y);
    }
}

// A chord of detuned saws through a slowly moving low-pass filter.
void padChord(double t, double dur, const int* notes, double gain, double cut0, double cut1)
{
    static const double detune[5] = {-0.14, -0.06, 0.0, 0.06, 0.14};
    static const double pan[5] = {-0.8, -0.4, 0.0, 0.4, 0.8};
    long s0 = sampleAt(t);
    double release = 0.7;
    int n = int((dur + release) * sampleRate);
    Saw saws[4][5];
    for (auto& row : saws)
        for (auto& s : row) s.phase = 0.5 + 0.5 * noise();
    Svf ll, lr;
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        if ((j & 15) == 0) {
            double cut = cut0 * std::pow(cut1 / cut0, std::min(1.0, x / dur));
            ll.set(cut, 0.8);
            lr.set(cut * 1.03, 0.8);
        }
        double sl = 0.0, sr = 0.0;
        for (int k = 0; k < 4; ++k) {
            for (int v = 0; v < 5; ++v) {
                double s = saws[k][v].next(midiHz(notes[k] + detune[v]));
                sl += s * panLeft(pan[v]);
                sr += s * panRight(pan[v]);
            }
        }
        ll.run(sl);
        lr.run(sr);
        double a = clamp01(x / 0.25);
        double env = a * a * (3.0 - 2.0 * a);
        if (x > dur) env *= std::max(0.0, 1.0 - (x - dur) / release);
        double yl = gain * env * ll.low, yr = gain * env * lr.low;
        heavy->add(s0 + j, yl, yr);
        verbSend->add(s0 + j, 0.35 * yl, 0.35 * yr);
    }
}

void pluck(double t, int note, double gain, double cutoff, double pan)
{
    long s0 = sampleAt(t);
    int n = int(0.4 * sampleRate);
    Saw a, b;
    b.phase = 0.37;
    Svf lp;
    double hz = midiHz(note), hz2 = midiHz(note + 0.08);
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        if ((j & 7) == 0) lp.set(cutoff * (1.0 + 5.0 * std::exp(-x / 0.04)), 2.2);
        lp.run(a.next(hz) + 0.7 * b.next(hz2));
        double env = std::min(1.0, x / 0.002) * std::exp(-x / 0.15);
        if (x > 0.35) env *= (0.4 - x) / 0.05;
        double y = gain * env * lp.low;
        light->add(s0 + j, y * panLeft(pan), y * panRight(pan));
        delaySend->add(s0 + j, 0.4 * y, 0.4 * y);
        verbSend->add(s0 + j, 0.12 * y, 0.12 * y);
    }
}

// A supersaw lead voice with delayed vibrato.
void leadNote(double t, double dur, int note, double gain)
{
    static const double detune[7] = {-0.20, -0.12, -0.05, 0.0, 0.05, 0.12, 0.20};
    static const double pan[7] = {-0.9, -0.6, -0.3, 0.0, 0.3, 0.6, 0.9};
    long s0 = sampleAt(t);
    double release = 0.15;
    int n = int((dur + release) * sampleRate);
    Saw saws[7];
    for (auto& s : saws) s.phase = 0.5 + 0.5 * noise();
    Svf ll, lr;
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        if ((j & 15) == 0) {
            double cut = 3800.0 * (1.0 + 0.8 * std::exp(-x / 0.1));
            ll.set(cut, 0.9);
            lr.set(cut, 0.9);
        }
        double vib = 0.18 * std::sin(twoPi * 5.5 * x) * clamp01((x - 0.2) / 0.2);
        double sl = 0.0, sr = 0.0;
        for (int v = 0; v < 7; ++v) {
            double s = saws[v].next(midiHz(note + detune[v] + vib));
            sl += s * panLeft(pan[v]);
            sr += s * panRight(pan[v]);
        }
        ll.run(sl);
        lr.run(sr);
        double env = std::min(1.0, x / 0.006);
        if (x > dur) env *= std::max(0.0, 1.0 - (x - dur) / release);
        double yl = gain * env * ll.low, yr = gain * env * lr.low;
        light->add(s0 + j, yl, yr);
        delaySend->add(s0 + j, 0.25 * (yl + yr), 0.0);
        verbSend->add(s0 + j, 0.3 * yl, 0.3 * yr);
    }
}

// The accent on a hit row: a bright chord stab, an impact of noise, a boom
// and a crash, all starting on the same sample.
void hitAccent(double t, const int* chord)
{
    long s0 = sampleAt(t);
    int n = int(1.4 * sampleRate);
    Saw saws[12][3];
    for (auto& row : saws)
        for (auto& s : row) s.phase = 0.5 + 0.5 * noise();
    static const double detune[3] = {-0.1, 0.0, 0.1};
    Svf ll, lr, impact;
    impact.set(1800.0, 0.5);
    for (int j = 0; j < n; ++j) {
        double x = double(j) / sampleRate;
        if ((j & 7) == 0) {
            double cut = 1600.0 + 9000.0 * std::exp(-x / 0.1);
            ll.set(cut, 1.0);
            lr.set(cut * 1.04, 1.0);
        }
        double sl = 0.0, sr = 0.0;
        for (int k = 0; k < 12; ++k) {
            int note = chord[k % 4] + 12 * (k / 4) - 12;
            for (int v = 0; v < 3; ++v) {
                double s = saws[k][v].next(midiHz(note + detune[v]));
                (v == 0 ? sl : v == 2 ? sr : (k & 1) ? sl : sr) += s;
            }
        }
        ll.run(sl);
        lr.run(sr);
        impact.run(noise());
        double attack = std::min(1.0, x / 0.0003);
        double env = attack * (0.55 * std::exp(-x / 0.09) + 0.45 * std::exp(-x / 0.4));
        if (x > 1.3) env *= (1.4 - x) / 0.1;
        double hitNoise = 0.9 * attack * impact.band * std::exp(-x / 0.03);
        double yl = 0.06 * env * ll.low + hitNoise, yr = 0.06 * env * lr.low + hitNoise;
        hits->add(s0 + j, yl, yr);
        verbSend->add(s0 + j, 0.3 * yl, 0.3 * yr);
        delaySend->add(s0 + j, 0.15 * (yl + yr), 0.0);
    }
    crash(*hits, t, 0.55, 2.5);
    boom(*hits, t, 0.55);
}

// ---------------------------------------------------------------- effects

// A Schroeder-Moorer reverb: eight damped combs and four all-passes per side.
struct Comb {
    std::vector<float> buf;
    size_t i = 0;
    float store = 0.0f;
    float run(float x, float feedback, float damp)
    {
        float y = buf[i];
        store = y * (1.0f - damp) + store * damp;
        buf[i] = x + store * feedback;
        if (++i == buf.size()) i = 0;
        return y;
    }
};

struct Allpass {
    std::vector<float> buf;
    size_t i = 0;
    float run(float x)
    {
        float b = buf[i];
        buf[i] = x + b * 0.5f;
        if (++i == buf.size()) i = 0;
        return b - x;
    }
};

void reverb(const Bus& in, Bus& out, double wet)
{
    static const int combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
    static const int allpassLengths[4] = {556, 441, 341, 225};
    Comb cl[8], cr[8];
    Allpass al[4], ar[4];
    for (int k = 0; k < 8; ++k) {
        cl[k].buf.assign(combLengths[k], 0.0f);
        cr[k].buf.assign(combLengths[k] + 23, 0.0f);
    }
    for (int k = 0; k < 4; ++k) {
        al[k].buf.assign(allpassLengths[k], 0.0f);
        ar[k].buf.assign(allpassLengths[k] + 23, 0.0f);
    }
    // Pre-delay and a band limit on the way in keep the tail clear.
    size_t preDelay = size_t(0.02 * sampleRate);
    double lowState = 0.0, highState = 0.0;
    for (size_t i = 0; i < in.l.size(); ++i) {
        double x = 0.0;
        if (i >= preDelay) x = 0.5 * (in.l[i - preDelay] + in.r[i - preDelay]);
        lowState += 0.45 * (x - lowState);
        highState += 0.03 * (lowState - highState);
        float v = float(0.015 * (lowState - highState));
        float sl = 0.0f, sr = 0.0f;
        for (int k = 0; k < 8; ++k) {
            sl += cl[k].run(v, 0.84f, 0.25f);
            sr += cr[k].run(v, 0.84f, 0.25f);
        }
        for (int k = 0; k < 4; ++k) {
            sl = al[k].run(sl);
            sr = ar[k].run(sr);
        }
        out.l[i] += float(wet * sl);
        out.r[i] += float(wet * sr);
    }
}

// Ping-pong delay of three rows (a dotted eighth); the left input bounces
// between the sides, losing some top end each time.
void pingPong(const Bus& in, Bus& out, double feedback, double wet)
{
    size_t d = size_t(sampleAt(3 * rowSeconds));
    std::vector<float> bl(d, 0.0f), br(d, 0.0f);
    double tone = 0.0;
    size_t k = 0;
    for (size_t i = 0; i < in.l.size(); ++i) {
        float yl = bl[k], yr = br[k];
        tone += 0.35 * (yr - tone);
        bl[k] = float(in.l[i] + in.r[i] + feedback * tone);
        br[k] = float(feedback * yl);
        if (++k == d) k = 0;
        out.l[i] += float(wet * yl);
        out.r[i] += float(wet * yr);
    }
}

// ---------------------------------------------------------------- score

struct Chord {
    int root;     // bass note
    int notes[4]; // pad voicing
};

// A minor: Am, F, C, G.
const Chord chordTable[4] = {
    {45, {57, 60, 64, 69}},
    {41, {57, 60, 65, 69}},
    {48, {55, 60, 64, 67}},
    {43, {55, 59, 62, 67}},
};

// The chord of a row: one chord per four beats, Am-F-C-G, and a closing
// Am-F-G-Am cadence in the last pattern.
const Chord& chordAt(int row)
{
    int pattern = row / rowsPerPattern, slot = (row % rowsPerPattern) / 16;
    static const int outro[4] = {0, 1, 3, 0};
    return chordTable[pattern == patternCount - 1 ? outro[slot] : slot];
}

struct Note {
    int row, length, pitch;
};

// Two phrases of the lead, one pattern each.
const Note melodyA[] = {
    {0, 6, 76}, {6, 2, 74}, {8, 4, 72}, {12, 4, 74}, {16, 6, 72}, {22, 2, 69}, {24, 4, 72}, {28, 4, 77},
    {32, 6, 76}, {38, 2, 79}, {40, 4, 76}, {44, 4, 72}, {48, 8, 74}, {56, 4, 71}, {60, 4, 74},
};
const Note melodyB[] = {
    {0, 6, 81}, {6, 2, 79}, {8, 4, 76}, {12, 4, 72}, {16, 6, 81}, {22, 2, 79}, {24, 4, 77}, {28, 4, 76},
    {32, 6, 79}, {38, 2, 76}, {40, 4, 72}, {44, 4, 76}, {48, 4, 74}, {52, 4, 79}, {56, 8, 74},
};

bool inBreak(int row) { return row >= breakStart && row < breakEnd; }

// The full groove (open hats, rolling bass): after the first hit, except the
// lead-in to the drop of pattern 7 and the breakdown, until the outro drums stop.
bool fullGroove(int row)
{
    return (row >= 149 && row < 448) || (row >= 481 && row < breakStart) || (row >= dropRow && row < drumsEndRow);
}

// Pad brightness (low-pass cutoff in Hz) at the start and end of a chord.
void padCutoff(int row, double& c0, double& c1)
{
    auto at = [](int r) {
        double p = r / double(rowsPerPattern);
        if (p < 1.0) return 350.0 * std::pow(1400.0 / 350.0, p);
        if (p < 2.0) return 1400.0 + 800.0 * (p - 1.0);
        if (p < 7.0) return 2400.0;
        if (p < 7.5) return 1400.0 + 4000.0 * (p - 7.0);
        if (p < 10.0) return 2600.0;
        if (p < 10.5) return 1800.0;
        if (p < 11.0) return 1800.0 + 3600.0 * (p - 10.5);
        if (p < 15.0) return 2800.0;
        return 2800.0 * std::pow(500.0 / 2800.0, std::min(1.0, p - 15.0));
    };
    c0 = at(row);
    c1 = at(row + 16);
}

double arpGain(int pattern)
{
    static const double g[patternCount] = {0, 0.55, 0.8, 1, 1, 1, 1, 0.9, 1, 1, 0.9, 1, 1, 1, 1, 0.8};
    return g[pattern];
}

double arpCutoff(int row)
{
    double p = row / double(rowsPerPattern);
    if (p < 2.0) return 500.0 * std::pow(4.0, (p - 1.0));
    if (row < 149) return 1800.0;
    if (p < 7.0) return 2600.0;
    if (row < 481) return 1000.0 * std::pow(3.0, (p - 7.0) / 0.516);
    if (p < 10.0) return 2600.0;
    if (p < 11.0) return 900.0 * std::pow(3.5, p - 10.0);
    return 2800.0;
}

// Which phrase the lead plays in a pattern (0: none) and how loud.
const Note* leadPhrase(int pattern, int& count, double& gain)
{
    static const int plan[patternCount] = {0, 0, 0, 0, 1, 1, 2, 2, 1, 2, 1, 1, 2, 1, 0, 0};
    gain = pattern == 10 ? 0.6 : 1.0;
    count = 15;
    if (plan[pattern] == 1) return melodyA;
    if (plan[pattern] == 2) return melodyB;
    count = 0;
    return nullptr;
}

// Sixteenth snares or falling toms on the four rows before a hit.
void fillBefore(int row, int style)
{
    for (int k = 0; k < 4; ++k) {
        double t = rowTime(row - 4 + k);
        if (style == 0)
            snare(t, 0.45 + 0.12 * k, 1.0 + 0.05 * k, (k & 1) ? 0.3 : -0.3);
        else
            tom(t, 0.55, 200.0 - 30.0 * k, 0.5 - 0.33 * k);
    }
}

// Snare roll with a crescendo: every `step` rows from row a to row b.
void roll(int a, int b, int step, double g0, double g1)
{
    for (int r = a; r < b; r += step) {
        double u = double(r - a) / (b - a);
        snare(rowTime(r), g0 + (g1 - g0) * u, 1.0 + 0.35 * u, (r & 1) ? 0.25 : -0.25);
    }
}

void composeDrums()
{
    int rows = patternCount * rowsPerPattern;
    for (int r = 0; r < rows; ++r) {
        int pattern = r / rowsPerPattern, beat = (r % rowsPerPattern) / 4, sub = r % 4;
        double t = rowTime(r);
        bool drumsOn = !inBreak(r) && r < drumsEndRow;
        if (!drumsOn) continue;
        bool build = r >= breakEnd && r < dropRow;
        if (sub == 0) kick(t, 0.7);
        if (sub == 0 && (beat & 1) && pattern >= 1 && !build) clap(t, 0.5);
        if (sub == 2 && (pattern > 0 || beat >= 8)) {
            if (fullGroove(r)) hat(t, 0.3, 0.16, 0.15);
            else hat(t, 0.34, 0.045, 0.15);
        }
        if (pattern >= 1 && sub != 2 && !build) hat(t, sub == 0 ? 0.12 : 0.09, 0.022, -0.3);
    }
    // Fills into the hits, alternating snares and toms; the drop of pattern 7
    // gets a whole roll instead.
    for (int i = 0; i < int(std::size(hitRows)); ++i)
        if (hitRows[i] != 481) fillBefore(hitRows[i], i & 1);
    roll(464, 480, 1, 0.3, 0.9);
    // Phrase ends.
    fillBefore(128, 0);
    fillBefore(256, 1);
    fillBefore(384, 0);
    fillBefore(576, 1);
    fillBefore(832, 0);
    fillBefore(896, 1);
    // The build-up of the breakdown: eighths, then sixteenths, and a riser.
    roll(breakEnd, breakEnd + 16, 2, 0.45, 0.7);
    roll(breakEnd + 16, dropRow, 1, 0.7, 1.0);
    riser(rowTime(448), rowTime(481) - 0.055, 0.5);
    riser(rowTime(656), rowTime(dropRow) - rowSeconds, 0.6);
    riser(rowTime(96), rowTime(128), 0.25);
    // Crashes at phrase starts and the big drop.
    crash(*effects, rowTime(256), 0.35, 2.0);
    crash(*effects, rowTime(512), 0.35, 2.0);
    crash(*effects, rowTime(dropRow), 0.5, 2.5);
    crash(*effects, rowTime(832), 0.35, 2.0);
    boom(*effects, rowTime(dropRow), 0.6);
}

void composeBass()
{
    int rows = patternCount * rowsPerPattern;
    for (int r = 0; r < rows; ++r) {
        int pattern = r / rowsPerPattern, beat = (r % rowsPerPattern) / 4, sub = r % 4;
        int root = chordAt(r).root;
        double t = rowTime(r);
        if (pattern == 0) {
            if (r % 16 == 0) bassNote(t, 15.5 * rowSeconds, root, 0.22, 250.0);
        } else if (fullGroove(r)) {
            // Rolling sixteenths between the kicks, an octave jump at the end
            // of each chord; the final drop bounces on the octave every beat.
            if (sub != 0) {
                bool up = r >= dropRow ? sub == 2 : (sub == 3 && (beat & 3) == 3);
                bassNote(t, 0.8 * rowSeconds, up ? root + 12 : root, 0.24, 420.0);
            }
        } else if (pattern <= 2 && sub == 2) {
            bassNote(t, 1.6 * rowSeconds, root, 0.24, 350.0);
        }
    }
}

void composeHarmony()
{
    int rows = patternCount * rowsPerPattern;
    for (int r = 0; r < rows; r += 16) {
        int pattern = r / rowsPerPattern;
        double c0, c1;
        padCutoff(r, c0, c1);
        double gain = pattern == 10 ? 0.06 : pattern == 0 ? 0.04 : 0.045;
        padChord(rowTime(r), 16 * rowSeconds, chordAt(r).notes, gain, c0, c1);
    }
    // Arpeggio: chord tones an octave up, climbing and falling; a second,
    // leaping figure in the later half of each groove section.
    static const int stepsA[16] = {0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5, 3, 2, 1, 2};
    static const int stepsB[16] = {0, 2, 4, 2, 1, 3, 5, 3, 2, 4, 3, 1, 4, 2, 3, 1};
    for (int r = 0; r < rows; ++r) {
        int pattern = r / rowsPerPattern;
        double g = arpGain(pattern);
        if (g == 0.0) continue;
        const Chord& c = chordAt(r);
        bool leaping = pattern == 5 || pattern == 8 || pattern == 9 || pattern == 12 || pattern == 13;
        int s = (leaping ? stepsB : stepsA)[r % 16];
        int note = (s < 4 ? c.notes[s] : c.notes[s - 4] + 12) + 12;
        double accent = (r % 4 == 0) ? 1.0 : 0.75;
        pluck(rowTime(r), note, 0.12 * g * accent, arpCutoff(r), (r & 1) ? 0.35 : -0.35);
    }
    for (int pattern = 0; pattern < patternCount; ++pattern) {
        int count;
        double gain;
        const Note* phrase = leadPhrase(pattern, count, gain);
        for (int i = 0; i < count; ++i) {
            int r = pattern * rowsPerPattern + phrase[i].row;
            if (pattern == 7 && r < 481) continue;
            leadNote(rowTime(r), (phrase[i].length - 0.3) * rowSeconds, phrase[i].pitch, 0.06 * gain);
            if (pattern == 13) leadNote(rowTime(r), (phrase[i].length - 0.3) * rowSeconds, phrase[i].pitch - 12, 0.035);
        }
    }
}

// ---------------------------------------------------------------- mastering

// Gain that pumps with the kick: dips at each onset and recovers in ~0.2 s.
std::vector<float> duckCurve(double depth)
{
    std::vector<float> g(totalSamples, 1.0f);
    std::vector<double> times = duckTimes;
    std::sort(times.begin(), times.end());
    for (double t : times) {
        long s0 = sampleAt(t);
        for (long j = 0; j < long(0.5 * sampleRate) && s0 + j < totalSamples; ++j) {
            double x = double(j) / sampleRate;
            double e = x < 0.005 ? x / 0.005 : std::exp(-(x - 0.005) / 0.09);
            g[s0 + j] = float(std::min(double(g[s0 + j]), 1.0 - depth * e));
        }
    }
    return g;
}

// The gap before each accent: the music drops away over 6 ms, 55 ms before
// the hit, and comes back with it, held down at first so that the accent
// stands out, then recovering over a quarter of a second.
void applyGaps(Bus& mix)
{
    for (int row : hitRows) {
        long s0 = sampleAt(rowTime(row));
        for (long j = 0; j < long(1.2 * sampleRate) && s0 + j < totalSamples; ++j) {
            double g = 1.0 - 0.55 * std::exp(-double(j) / (0.25 * sampleRate));
            mix.l[s0 + j] *= float(g);
            mix.r[s0 + j] *= float(g);
        }
    }
    std::vector<std::pair<double, double>> gaps;
    for (int row : hitRows) gaps.push_back({rowTime(row) - 0.055, rowTime(row)});
    gaps.push_back({rowTime(dropRow) - 0.5 * rowSeconds, rowTime(dropRow)});
    for (auto [a, b] : gaps) {
        long s0 = sampleAt(a), s1 = sampleAt(b);
        for (long i = s0; i < s1; ++i) {
            double u = std::min(1.0, double(i - s0) / (0.006 * sampleRate));
            double g = 1.0 - 0.96 * u;
            mix.l[i] *= float(g);
            mix.r[i] *= float(g);
        }
    }
}

// Fade to silence during the last pattern, finished 1.5 s before its end.
double masterFade(long i)
{
    double t = double(i) / sampleRate, a = rowTime(15 * rowsPerPattern), b = rowTime(16 * rowsPerPattern) - 1.5;
    if (t <= a) return 1.0;
    if (t >= b) return 0.0;
    double u = (t - a) / (b - a);
    return 0.5 * (1.0 + std::cos(M_PI * u));
}

// Look-ahead peak limiter: the gain never lets a sample pass the ceiling and
// moves smoothly (a minimum filter, a release, then a short average).
void limit(Bus& mix, double ceiling)
{
    const long look = 96, n = totalSamples;
    std::vector<float> need(n), gain(n);
    for (long i = 0; i < n; ++i) {
        double peak = std::max(std::fabs(mix.l[i]), std::fabs(mix.r[i]));
        need[i] = float(peak > ceiling ? ceiling / peak : 1.0);
    }
    // Running minimum over [i - look, i + look] (monotonic deque).
    std::vector<long> dq(n);
    long head = 0, tail = 0;
    std::vector<float> lowest(n);
    for (long i = 0; i < n + look; ++i) {
        if (i < n) {
            while (tail > head && need[dq[tail - 1]] >= need[i]) --tail;
            dq[tail++] = i;
        }
        long c = i - look;
        if (c < 0) continue;
        while (dq[head] < c - look) ++head;
        lowest[c] = need[dq[head]];
    }
    double release = std::exp(-1.0 / (0.08 * sampleRate)), g = 1.0;
    for (long i = 0; i < n; ++i) {
        g = std::min(double(lowest[i]), 1.0 - (1.0 - g) * release);
        gain[i] = float(g);
    }
    long over1 = 0, over3 = 0;
    float deepest = 1.0f;
    for (long i = 0; i < n; ++i) {
        over1 += gain[i] < 0.891f;
        over3 += gain[i] < 0.708f;
        deepest = std::min(deepest, gain[i]);
    }
    std::printf("gen_tune: limiter: over 1 dB on %.1f%% of samples, over 3 dB on %.1f%%, deepest %.1f dB\n",
                100.0 * over1 / n, 100.0 * over3 / n, 20.0 * std::log10(deepest));
    double sum = 0.0;
    const long half = look / 2;
    for (long i = -half; i < n; ++i) {
        if (i + half < n) sum += gain[i + half];
        if (i - half - 1 >= 0) sum -= gain[i - half - 1];
        if (i < 0) continue;
        long lo = std::max(0L, i - half), hi = std::min(n - 1, i + half);
        double g2 = sum / double(hi - lo + 1);
        mix.l[i] = float(std::clamp(mix.l[i] * g2, -ceiling, ceiling));
        mix.r[i] = float(std::clamp(mix.r[i] * g2, -ceiling, ceiling));
    }
}

bool writeWav(const char* path, const Bus& mix)
{
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    uint32_t frames = uint32_t(mix.l.size()), dataBytes = frames * 4;
    auto u32 = [&](uint32_t v) { unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; std::fwrite(b, 1, 4, f); };
    auto u16 = [&](uint16_t v) { unsigned char b[2] = {uint8_t(v), uint8_t(v >> 8)}; std::fwrite(b, 1, 2, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + dataBytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(sampleRate);
    u32(sampleRate * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(dataBytes);
    std::vector<int16_t> pcm(size_t(frames) * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        pcm[2 * i] = int16_t(std::lround(std::clamp(double(mix.l[i]), -1.0, 1.0) * 32767.0));
        pcm[2 * i + 1] = int16_t(std::lround(std::clamp(double(mix.r[i]), -1.0, 1.0) * 32767.0));
    }
    // Little-endian host assumed, as everywhere this program runs.
    size_t written = std::fwrite(pcm.data(), 2, pcm.size(), f);
    return std::fclose(f) == 0 && written == pcm.size();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_tune OUTPUT.wav\n");
        return 2;
    }
    totalSamples = sampleAt(rowTime(patternCount * rowsPerPattern) + tailSeconds);
    Bus drumBus(totalSamples), heavyBus(totalSamples), lightBus(totalSamples), fxBus(totalSamples),
        hitBus(totalSamples), verbBus(totalSamples), delayBus(totalSamples);
    drums = &drumBus;
    heavy = &heavyBus;
    light = &lightBus;
    effects = &fxBus;
    hits = &hitBus;
    verbSend = &verbBus;
    delaySend = &delayBus;

    composeDrums();
    composeBass();
    composeHarmony();
    for (int row : hitRows) hitAccent(rowTime(row), chordAt(row).notes);

    // Balance report over the final drop (patterns 11 to 13).
    auto rms = [](const Bus& b) {
        long a = sampleAt(rowTime(11 * rowsPerPattern)), e = sampleAt(rowTime(14 * rowsPerPattern));
        double s = 0.0;
        for (long i = a; i < e; ++i) s += double(b.l[i]) * b.l[i] + double(b.r[i]) * b.r[i];
        return std::sqrt(s / (2.0 * (e - a)));
    };
    std::printf("gen_tune: drop rms: drums %.3f, bass+pads %.3f, arp+lead %.3f, effects %.3f, sends %.3f/%.3f\n",
                rms(drumBus), rms(heavyBus), rms(lightBus), rms(fxBus), rms(verbBus), rms(delayBus));

    // Music bus: everything but the accents, gapped before each accent.
    Bus mix(totalSamples);
    std::vector<float> duckHeavy = duckCurve(0.75), duckLight = duckCurve(0.35);
    for (long i = 0; i < totalSamples; ++i) {
        mix.l[i] = drumBus.l[i] + heavyBus.l[i] * duckHeavy[i] + lightBus.l[i] * duckLight[i] + fxBus.l[i];
        mix.r[i] = drumBus.r[i] + heavyBus.r[i] * duckHeavy[i] + lightBus.r[i] * duckLight[i] + fxBus.r[i];
    }
    pingPong(delayBus, mix, 0.45, 0.5);
    reverb(verbBus, mix, 1.0);
    applyGaps(mix);
    for (long i = 0; i < totalSamples; ++i) {
        // The accents are saturated for density: loud for their whole length.
        double fade = masterFade(i);
        mix.l[i] = float((0.75 * mix.l[i] + 0.7 * std::tanh(2.0 * hitBus.l[i])) * fade);
        mix.r[i] = float((0.75 * mix.r[i] + 0.7 * std::tanh(2.0 * hitBus.r[i])) * fade);
    }
    // Nothing above 16 kHz: what the encoder would cut off anyway, removed
    // before limiting, so that the encoded peaks stay where the limiter put them.
    Svf topL, topR;
    topL.set(16000.0, 0.707);
    topR.set(16000.0, 0.707);
    for (long i = 0; i < totalSamples; ++i) {
        topL.run(mix.l[i]);
        topR.run(mix.r[i]);
        mix.l[i] = float(topL.low);
        mix.r[i] = float(topR.low);
    }
    limit(mix, 0.8);

    double peak = 0.0, energy = 0.0;
    for (long i = 0; i < totalSamples; ++i) {
        peak = std::max({peak, double(std::fabs(mix.l[i])), double(std::fabs(mix.r[i]))});
        energy += double(mix.l[i]) * mix.l[i] + double(mix.r[i]) * mix.r[i];
    }
    std::printf("gen_tune: %.3f s, peak %.3f, rms %.3f\n", double(totalSamples) / sampleRate, peak,
                std::sqrt(energy / (2.0 * totalSamples)));
    if (!checkTune(mix.l, mix.r, TuneLayout{double(sampleRate), rowSeconds, {std::begin(hitRows), std::end(hitRows)},
                                            breakStart, breakEnd}))
        return 1;
    if (!writeWav(argv[1], mix)) {
        std::fprintf(stderr, "gen_tune: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
