// The GLSL ES 3.00 source of a shader key: a vertex shader that transforms
// the position and the coordinates of the units that sample, and a fragment
// shader that runs the texture stages in turn on the vertex colour, then
// the alpha test.
#include "glshader/shader_key.h"

namespace {

std::string sourceName(CombineSource source, int unit)
{
    switch (source) {
    case SOURCE_TEXTURE:
        return "texel" + std::to_string(unit);
    case SOURCE_PRIMARY:
        return "primary";
    case SOURCE_PREVIOUS:
        break;
    }
    return "previous";
}

std::string combineExpression(CombineFunction function, const std::string arguments[3])
{
    switch (function) {
    case COMBINE_REPLACE:
        return arguments[0];
    case COMBINE_MODULATE:
        return arguments[0] + " * " + arguments[1];
    case COMBINE_INTERPOLATE:
        break;
    }
    return "mix(" + arguments[1] + ", " + arguments[0] + ", " + arguments[2] + ")";
}

std::string stageCode(const TextureStage& s, int unit)
{
    std::string u = std::to_string(unit);
    std::string code = "    vec4 texel" + u + " = texture(uTexture" + u + ", vTexCoord" + u + ".xy / vTexCoord" + u
                       + ".w);\n";
    if (s.mode != STAGE_COMBINE)
        return code + "    previous = previous * texel" + u + ";\n";
    std::string rgb[3], alpha[3];
    for (int i = 0; i < 3; i++) {
        std::string name = sourceName(s.rgbSource[i], unit);
        rgb[i] = s.rgbOperandAlpha[i] ? "vec3(" + name + ".a)" : name + ".rgb";
        alpha[i] = sourceName(s.alphaSource[i], unit) + ".a";
    }
    return code + "    previous = clamp(vec4(" + combineExpression(s.rgbFunction, rgb) + ", "
           + combineExpression(s.alphaFunction, alpha) + "), 0.0, 1.0);\n";
}

// The comparison a fragment's alpha must pass, for the tests that compare.
const char* alphaComparison(AlphaTest test)
{
    switch (test) {
    case ALPHA_TEST_LESS:
        return "<";
    case ALPHA_TEST_EQUAL:
        return "==";
    case ALPHA_TEST_LEQUAL:
        return "<=";
    case ALPHA_TEST_GREATER:
        return ">";
    case ALPHA_TEST_NOTEQUAL:
        return "!=";
    case ALPHA_TEST_GEQUAL:
        return ">=";
    case ALPHA_TEST_OFF:
    case ALPHA_TEST_NEVER:
        break;
    }
    return nullptr;
}

std::string vertexSource(const ShaderKey& key)
{
    std::string code = "#version 300 es\n"
                       "uniform mat4 uModelViewProjection;\n"
                       "layout(location = 0) in vec4 aPosition;\n"
                       "layout(location = 1) in vec4 aColour;\n"
                       "out vec4 vColour;\n";
    std::string body = "    gl_Position = uModelViewProjection * aPosition;\n"
                       "    vColour = clamp(aColour, 0.0, 1.0);\n";
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (key.stages[unit].mode == STAGE_OFF)
            continue;
        std::string u = std::to_string(unit);
        code += "uniform mat4 uTextureMatrix" + u + ";\nlayout(location = " + std::to_string(2 + unit)
                + ") in vec4 aTexCoord" + u + ";\nout vec4 vTexCoord" + u + ";\n";
        body += "    vTexCoord" + u + " = uTextureMatrix" + u + " * aTexCoord" + u + ";\n";
    }
    return code + "void main()\n{\n" + body + "}\n";
}

std::string fragmentSource(const ShaderKey& key)
{
    std::string code = "#version 300 es\n"
                       "precision highp float;\n"
                       "in vec4 vColour;\n"
                       "uniform float uAlphaReference;\n"
                       "layout(location = 0) out vec4 fragColour;\n";
    std::string body = "    vec4 primary = vColour;\n"
                       "    vec4 previous = primary;\n";
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (key.stages[unit].mode == STAGE_OFF)
            continue;
        std::string u = std::to_string(unit);
        // Samplers default to low precision in fragment shaders, which Mesa
        // honours: texels would reach the arithmetic rounded.
        code += "in vec4 vTexCoord" + u + ";\nuniform highp sampler2D uTexture" + u + ";\n";
        body += stageCode(key.stages[unit], unit);
    }
    if (key.alphaTest == ALPHA_TEST_NEVER)
        body += "    discard;\n";
    else if (const char* comparison = alphaComparison(key.alphaTest))
        body += std::string("    if (!(previous.a ") + comparison + " uAlphaReference))\n"
                "        discard;\n";
    return code + "void main()\n{\n" + body + "    fragColour = previous;\n}\n";
}

}  // namespace

int combineArgumentCount(CombineFunction function)
{
    return function == COMBINE_REPLACE ? 1 : function == COMBINE_MODULATE ? 2 : 3;
}

ShaderSource shaderSource(const ShaderKey& key)
{
    return ShaderSource{vertexSource(key), fragmentSource(key)};
}
