// Short MP3 files for the sound tests, encoded by lame (gapless tag).
#include "tests/support/audio_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "base/fatal.h"
#include "music/music.h"

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

std::string makeTestMp3(const std::string& name, const std::vector<float>& samples)
{
    std::string mp3 = testScratchDir() + "/" + name + ".mp3";
    std::string command = "lame --quiet -r -s 44.1 -m m -b 192 - '" + mp3 + "'";
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); i++)
        pcm[i] = (int16_t)std::lrint(std::fmax(-1.0f, std::fmin(1.0f, samples[i])) * 32767.0f);
    FILE* lame = popen(command.c_str(), "w");
    EXPECT_TRUE(lame && std::fwrite(pcm.data(), 2, pcm.size(), lame) == pcm.size()) << command;
    EXPECT_EQ(lame ? pclose(lame) : -1, 0) << command;
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

MusicClock& testMusic()
{
    static MusicClock music;
    return music;
}

void startTestMusic(const std::string& mp3Path, int loop)
{
    MusicClock& music = testMusic();
    quitRequested = 0;
    music.frozenTime = 0.0f;
    music.musicChannel = -1;
    startMusic(&music, mp3Path.c_str(), 128.0f, loop);
}
