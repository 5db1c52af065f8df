// Test support: short MP3 files made on the fly with lame.
#pragma once
#include <string>
#include <vector>

#include "music/music.h"

// Encodes mono samples (-1..1, 44100 Hz) with lame to an MP3 in the
// per-process scratch folder; returns its path.
std::string makeTestMp3(const std::string& name, const std::vector<float>& samples);
// A sine of the given frequency and amplitude, seconds long.
std::vector<float> sineSamples(double frequency, double amplitude, double seconds);
// The music clock of the tests.
MusicClock& testMusic();
// Starts the program's music on testMusic() with a test MP3 at 128 beats per minute, with
// the show running (not frozen) and no quit requested.
void startTestMusic(const std::string& mp3Path, int loop = 0);
// The whole content of a file.
std::vector<unsigned char> readFileBytes(const std::string& path);
// A per-process temporary folder for test files.
std::string testScratchDir();
