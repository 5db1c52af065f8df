// Shader programs generated from the fixed-function state they replace: the
// texture stages (off, MODULATE, or a combiner of REPLACE, MODULATE and
// INTERPOLATE) and the alpha test. The state is reduced to a key that holds
// only what changes the code; one program per key met, linked on first use
// and kept.
#include <cstdio>

#include "glshader/context.h"

namespace {

// What a texture stage does, reduced to what the generated code depends on.
struct Stage {
    bool enabled, combine;
    int rgbFunction, alphaFunction;  // index in functions[]
    int rgbSource[3], rgbOperand[3], alphaSource[3];  // index in sources[], operand 1: alpha
};

const GLenum functions[] = {GL_REPLACE, GL_MODULATE, GL_INTERPOLATE};
const int argumentCounts[] = {1, 2, 3};
const GLenum sources[] = {GL_TEXTURE, GL_PRIMARY_COLOR, GL_PREVIOUS};

int indexOf(const GLenum* values, int count, GLenum value)
{
    for (int i = 0; i < count; i++)
        if (values[i] == value)
            return i;
    return -1;
}

// The stage of a unit, or false when it reads a source left out (the
// constant colour, the default third source).
bool stageOf(const TextureUnit& unit, Stage* stage)
{
    *stage = Stage{};
    stage->enabled = unit.enabled;
    stage->combine = unit.enabled && unit.envMode == GL_COMBINE;
    if (!stage->combine)
        return true;
    const Combiner& c = unit.combiner;
    stage->rgbFunction = indexOf(functions, 3, c.rgbFunction);
    stage->alphaFunction = indexOf(functions, 3, c.alphaFunction);
    for (int i = 0; i < argumentCounts[stage->rgbFunction]; i++) {
        stage->rgbSource[i] = indexOf(sources, 3, c.rgbSource[i]);
        stage->rgbOperand[i] = c.rgbOperand[i] == GL_SRC_ALPHA;
        if (stage->rgbSource[i] < 0)
            return false;
    }
    for (int i = 0; i < argumentCounts[stage->alphaFunction]; i++) {
        stage->alphaSource[i] = indexOf(sources, 3, c.alphaSource[i]);
        if (stage->alphaSource[i] < 0)
            return false;
    }
    return true;
}

// 21 bits a stage.
uint64_t stageKey(const Stage& s)
{
    uint64_t key = (uint64_t)s.enabled | (uint64_t)s.combine << 1 | (uint64_t)s.rgbFunction << 2
                   | (uint64_t)s.alphaFunction << 4;
    for (int i = 0; i < 3; i++)
        key |= (uint64_t)s.rgbSource[i] << (6 + 2 * i) | (uint64_t)s.rgbOperand[i] << (12 + i)
               | (uint64_t)s.alphaSource[i] << (15 + 2 * i);
    return key;
}

std::string sourceName(int source, int unit)
{
    const char* names[] = {"", "primary", "previous"};
    return source == 0 ? "texel" + std::to_string(unit) : names[source];
}

std::string combineExpression(int function, const std::string arguments[3])
{
    if (function == 0)
        return arguments[0];
    if (function == 1)
        return arguments[0] + " * " + arguments[1];
    return "mix(" + arguments[1] + ", " + arguments[0] + ", " + arguments[2] + ")";
}

std::string stageCode(const Stage& s, int unit)
{
    std::string u = std::to_string(unit);
    std::string code = "    vec4 texel" + u + " = texture(uTexture" + u + ", vTexCoord" + u + ".xy / vTexCoord" + u
                       + ".w);\n";
    if (!s.combine)
        return code + "    previous = previous * texel" + u + ";\n";
    std::string rgb[3], alpha[3];
    for (int i = 0; i < 3; i++) {
        std::string name = sourceName(s.rgbSource[i], unit);
        rgb[i] = s.rgbOperand[i] ? "vec3(" + name + ".a)" : name + ".rgb";
        alpha[i] = sourceName(s.alphaSource[i], unit) + ".a";
    }
    return code + "    previous = clamp(vec4(" + combineExpression(s.rgbFunction, rgb) + ", "
           + combineExpression(s.alphaFunction, alpha) + "), 0.0, 1.0);\n";
}

const char* const alphaComparisons[] = {"false", "<", "==", "<=", ">", "!=", ">=", "true"};

std::string vertexSource(const Stage stages[sglUnitCount])
{
    std::string code = "#version 300 es\n"
                       "uniform mat4 uModelViewProjection;\n"
                       "layout(location = 0) in vec4 aPosition;\n"
                       "layout(location = 1) in vec4 aColour;\n"
                       "out vec4 vColour;\n";
    std::string body = "    gl_Position = uModelViewProjection * aPosition;\n"
                       "    vColour = clamp(aColour, 0.0, 1.0);\n";
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (!stages[unit].enabled)
            continue;
        std::string u = std::to_string(unit);
        code += "uniform mat4 uTextureMatrix" + u + ";\nlayout(location = " + std::to_string(2 + unit)
                + ") in vec4 aTexCoord" + u + ";\nout vec4 vTexCoord" + u + ";\n";
        body += "    vTexCoord" + u + " = uTextureMatrix" + u + " * aTexCoord" + u + ";\n";
    }
    return code + "void main()\n{\n" + body + "}\n";
}

std::string fragmentSource(const Stage stages[sglUnitCount], int alphaTest)
{
    std::string code = "#version 300 es\n"
                       "precision highp float;\n"
                       "in vec4 vColour;\n"
                       "uniform float uAlphaReference;\n"
                       "layout(location = 0) out vec4 fragColour;\n";
    std::string body = "    vec4 primary = vColour;\n"
                       "    vec4 previous = primary;\n";
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (!stages[unit].enabled)
            continue;
        std::string u = std::to_string(unit);
        // Samplers default to low precision in fragment shaders, which Mesa
        // honours: texels would reach the arithmetic rounded.
        code += "in vec4 vTexCoord" + u + ";\nuniform highp sampler2D uTexture" + u + ";\n";
        body += stageCode(stages[unit], unit);
    }
    if (alphaTest != 7)
        body += std::string("    if (!(previous.a ") + alphaComparisons[alphaTest] + " uAlphaReference))\n"
                "        discard;\n";
    if (alphaTest == 0)
        body = "    discard;\n";
    return code + "void main()\n{\n" + body + "    fragColour = previous;\n}\n";
}

GLuint compileShader(GLenum type, const std::string& source)
{
    GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader backend: a generated shader does not compile: %s\n%s", log, text);
    }
    return shader;
}

bool linkProgram(ShaderProgram* p, const Stage stages[sglUnitCount], int alphaTest)
{
    GLuint vertex = compileShader(GL_VERTEX_SHADER, vertexSource(stages));
    GLuint fragment = compileShader(GL_FRAGMENT_SHADER, fragmentSource(stages, alphaTest));
    p->program = glCreateProgram();
    glAttachShader(p->program, vertex);
    glAttachShader(p->program, fragment);
    glLinkProgram(p->program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(p->program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = "";
        glGetProgramInfoLog(p->program, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader backend: a generated program does not link: %s\n", log);
        glDeleteProgram(p->program);
        return false;
    }
    glUseProgram(p->program);
    p->modelViewProjection = glGetUniformLocation(p->program, "uModelViewProjection");
    p->alphaReference = glGetUniformLocation(p->program, "uAlphaReference");
    for (int unit = 0; unit < sglUnitCount; unit++) {
        std::string u = std::to_string(unit);
        p->textureMatrix[unit] = glGetUniformLocation(p->program, ("uTextureMatrix" + u).c_str());
        glUniform1i(glGetUniformLocation(p->program, ("uTexture" + u).c_str()), unit);
    }
    return true;
}

}  // namespace

ShaderProgram* programForState(SglContext* gl)
{
    Stage stages[sglUnitCount];
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (!stageOf(gl->state.units[unit], &stages[unit])) {
            notImplemented(gl, "a combiner reading the constant colour");
            return nullptr;
        }
    }
    // 0 never ... 7 always (the test off is the same as always).
    int alphaTest = gl->state.alphaTest ? (int)(gl->state.alphaFunction - GL_NEVER) : 7;
    uint64_t key = (uint64_t)alphaTest | stageKey(stages[0]) << 3 | stageKey(stages[1]) << 24;
    for (ShaderProgram& p : gl->programs)
        if (p.key == key)
            return &p;
    ShaderProgram p = {};
    p.key = key;
    if (!linkProgram(&p, stages, alphaTest)) {
        recordError(gl, GL_INVALID_OPERATION);
        return nullptr;
    }
    gl->programs.push_back(p);
    return &gl->programs.back();
}

void releasePrograms(SglContext* gl)
{
    for (const ShaderProgram& p : gl->programs)
        glDeleteProgram(p.program);
    gl->programs.clear();
}
