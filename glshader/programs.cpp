// Shader programs generated from the fixed-function state they replace: the
// texture stages (off, MODULATE, or a combiner of REPLACE, MODULATE and
// INTERPOLATE) and the alpha test. The state is reduced to a key that holds
// only what changes the code; one program per key met, linked on first use
// and kept.
#include <cstdio>

#include "glshader/context.h"

// Shader programs generated from the fixed-function state they replace:
// the state reduced to a shader key (shader_key.h: the texture stages and
// the alpha test, what changes the code), one program per key met, linked
// on first use and kept.
#include <cstdio>

#include "glshader/context.h"

namespace {

bool functionOf(GLenum function, CombineFunction* out)
{
    switch (function) {
    case GL_REPLACE:
        *out = COMBINE_REPLACE;
        return true;
    case GL_MODULATE:
        *out = COMBINE_MODULATE;
        return true;
    case GL_INTERPOLATE:
        *out = COMBINE_INTERPOLATE;
        return true;
    default:
        return false;
    }
}

bool sourceOf(GLenum source, CombineSource* out)
{
    switch (source) {
    case GL_TEXTURE:
        *out = SOURCE_TEXTURE;
        return true;
    case GL_PRIMARY_COLOR:
        *out = SOURCE_PRIMARY;
        return true;
    case GL_PREVIOUS:
        *out = SOURCE_PREVIOUS;
        return true;
    default:
        return false;
    }
}

// The stage of a unit, or false when it reads a source left out (the
// constant colour, the default third source).
bool stageOf(const TextureUnit& unit, TextureStage* stage)
{
    *stage = TextureStage{};
    if (!unit.enabled)
        return true;
    stage->mode = unit.envMode == GL_COMBINE ? STAGE_COMBINE : STAGE_MODULATE;
    if (stage->mode != STAGE_COMBINE)
        return true;
    const Combiner& c = unit.combiner;
    if (!functionOf(c.rgbFunction, &stage->rgbFunction) || !functionOf(c.alphaFunction, &stage->alphaFunction))
        return false;
    for (int i = 0; i < combineArgumentCount(stage->rgbFunction); i++) {
        stage->rgbOperandAlpha[i] = c.rgbOperand[i] == GL_SRC_ALPHA;
        if (!sourceOf(c.rgbSource[i], &stage->rgbSource[i]))
            return false;
    }
    for (int i = 0; i < combineArgumentCount(stage->alphaFunction); i++)
        if (!sourceOf(c.alphaSource[i], &stage->alphaSource[i]))
            return false;
    return true;
}

AlphaTest alphaTestOf(const ServerState& s)
{
    if (!s.alphaTest)
        return ALPHA_TEST_OFF;
    switch (s.alphaFunction) {
    case GL_NEVER:
        return ALPHA_TEST_NEVER;
    case GL_LESS:
        return ALPHA_TEST_LESS;
    case GL_EQUAL:
        return ALPHA_TEST_EQUAL;
    case GL_LEQUAL:
        return ALPHA_TEST_LEQUAL;
    case GL_GREATER:
        return ALPHA_TEST_GREATER;
    case GL_NOTEQUAL:
        return ALPHA_TEST_NOTEQUAL;
    case GL_GEQUAL:
        return ALPHA_TEST_GEQUAL;
    default:
        return ALPHA_TEST_OFF;  // GL_ALWAYS
    }
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

bool linkProgram(ShaderProgram* p)
{
    ShaderSource source = shaderSource(p->key);
    GLuint vertex = compileShader(GL_VERTEX_SHADER, source.vertex);
    GLuint fragment = compileShader(GL_FRAGMENT_SHADER, source.fragment);
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
    ShaderKey key = {};
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (!stageOf(gl->state.units[unit], &key.stages[unit])) {
            notImplemented(gl, "a combiner reading the constant colour");
            return nullptr;
        }
    }
    key.alphaTest = alphaTestOf(gl->state);
    for (ShaderProgram& p : gl->programs)
        if (p.key == key)
            return &p;
    ShaderProgram p = {};
    p.key = key;
    if (!linkProgram(&p)) {
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
