// Short MP3 files for the sound tests, encoded by lame (gapless tag).
#include "tests/support/audio_files.h"

#include "music/music.h"
#include "shell/lifecycle.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::string testScratchDir()
{
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/vorn-test-XXXXXX";
        const char* made = mkdtemp(pattern);
        dir = made ? made : "/tmp";
    }
    return dir;
}

static void put32(std::ofstream& out, uint32_t v) { out.write((const char*)&v, 4); }
static void put16(std::ofstream& out, uint16_t v) { out.write((const char*)&v, 2); }

std::string makeTestMp3(const std::string& name, const std::vector<float>& samples)
{
    std::string wav = testScratchDir() + "/" + name + ".wav";
    std::string mp3 = testScratchDir() + "/" + name + ".mp3";
    {
        std::ofstream out(wav, std::ios::binary);
        uint32_t dataBytes = (uint32_t)samples.size() * 4;
        out.write("RIFF", 4);
        put32(out, 36 + dataBytes);
        out.write("WAVEfmt ", 8);
        put32(out, 16);
        put16(out, 1);
        put16(out, 2);
        put32(out, 44100);
        put32(out, 44100 * 4);
        put16(out, 4);
        put16(out, 16);
        out.write("data", 4);
        put32(out, dataBytes);
        for (float s : samples) {
            float c = std::fmax(-1.0f, std::fmin(1.0f, s));
            int16_t v = (int16_t)std::lrint(c * 32767.0f);
            put16(out, (uint16_t)v);
            put16(out, (uint16_t)v);
        }
    }
    std::string command = "lame --quiet -b 192 '" + wav + "' '" + mp3 + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::remove(wav.c_str());
    return mp3;
}

std::vector<float> sineSamples(double frequency, double amplitude, double seconds)
{
    std::vector<float> samples((size_t)(seconds * 44100));
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = (float)(amplitude * std::sin(2 * M_PI * frequency * (double)i / 44100.0));
    return samples;
}

std::vector<unsigned char> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void startTestMusic(const std::string& mp3Path, int loop)
{
    quitRequested = 0;
    frozenTime = 0.0f;
    musicChannel = -1;
    startMusic(mp3Path.c_str(), 128.0f, loop);
}
