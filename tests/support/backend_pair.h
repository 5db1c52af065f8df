// Test support: one scene drawn through both GL backends on Mesa, each in a
// child process of its own (a compatibility context for the fixed-function
// backend, an ES 3.0 context for the shader backend), and the pictures
// compared channel by channel (comparePictures).
#pragma once
#include <string>
#include <vector>

#include "tests/support/pictures.h"

struct BackendPictures {
    int width, height;
    std::vector<unsigned char> fixed, shader;  // RGBA rows, bottom row first
    float fixedModelview[16], shaderModelview[16];  // the model-view matrix after the scene
    std::string problem;                       // empty when both drew without error
};

// Runs scene in a fresh context of width x height on each backend and reads
// the window back. The calling process must not have opened SDL or GL.
BackendPictures drawOnBothBackends(int width, int height, void (*scene)());
