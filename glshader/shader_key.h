// The key of a generated shader program, which holds what of the
// fixed-function state changes its code (each texture unit's stage and the
// alpha test), and the GLSL ES 3.00 source made for a key. Free of GL
// headers, so that a tool prints the source without a context.
#pragma once
#include <cstdint>
#include <string>

// Texture units offered to the program (it uses two).
constexpr int sglUnitCount = 2;

enum StageMode : uint8_t {
    STAGE_OFF,       // the unit's texturing is off
    STAGE_MODULATE,  // GL_MODULATE: the previous colour times the texel
    STAGE_COMBINE,   // GL_COMBINE with the functions and arguments below
};

// The combiner functions implemented, taking 1, 2 and 3 arguments.
enum CombineFunction : uint8_t {
    COMBINE_REPLACE,
    COMBINE_MODULATE,
    COMBINE_INTERPOLATE,
};

enum CombineSource : uint8_t {
    SOURCE_TEXTURE,   // the unit's texel
    SOURCE_PRIMARY,   // the vertex colour
    SOURCE_PREVIOUS,  // the previous stage's result
};

// Fragments pass when their alpha compares so with the reference; a test
// with GL_ALWAYS passes everything and is keyed as off.
enum AlphaTest : uint8_t {
    ALPHA_TEST_OFF,
    ALPHA_TEST_NEVER,
    ALPHA_TEST_LESS,
    ALPHA_TEST_EQUAL,
    ALPHA_TEST_LEQUAL,
    ALPHA_TEST_GREATER,
    ALPHA_TEST_NOTEQUAL,
    ALPHA_TEST_GEQUAL,
};

// One unit's stage. The combiner's fields are those of STAGE_COMBINE only
// and its arguments only as many as the function takes: the others stay
// zero, so that stages that make the same code are equal.
struct TextureStage {
    StageMode mode;
    CombineFunction rgbFunction, alphaFunction;
    CombineSource rgbSource[3], alphaSource[3];
    bool rgbOperandAlpha[3];  // the argument is its source's alpha (GL_SRC_ALPHA)

    bool operator==(const TextureStage&) const = default;
};

struct ShaderKey {
    TextureStage stages[sglUnitCount];
    AlphaTest alphaTest;

    bool operator==(const ShaderKey&) const = default;
};

struct ShaderSource {
    std::string vertex, fragment;
};

int combineArgumentCount(CombineFunction function);
// The shaders of the program for key.
ShaderSource shaderSource(const ShaderKey& key);
