// The ES context's state as the backend last set it: the program in use,
// the active unit, each unit's texture, the textures' sampling parameters,
// the read buffer and the pixel store. Each setter leaves out the call when
// the value is already there; forgetting makes every value unknown, so
// that the next use sends it again.
#include "glshader/context.h"
#include "glshader/shader_gl.h"

void forgetEsState(SglContext* gl)
{
    EsState& es = gl->es;
    es.valid = false;
    es.clearValid = false;
    es.program = esUnknown;
    es.activeUnit = -1;
    for (GLuint& binding : es.binding)
        binding = esUnknown;
    for (EsTexture& texture : es.textures)
        texture.known = false;
    es.readBuffer = 0;
    es.packAlignment = 0;
    es.unpackAlignment = 0;
    es.vertexArray = false;
    for (ShaderProgram& program : gl->programs)
        program.sent = false;
}

void sglForgetState()
{
    if (SglContext* gl = currentContext())
        forgetEsState(gl);
}

void esUseProgram(SglContext* gl, GLuint program)
{
    if (gl->es.program == program)
        return;
    glUseProgram(program);
    gl->es.program = program;
}

void esActiveUnit(SglContext* gl, int unit)
{
    if (gl->es.activeUnit == unit)
        return;
    glActiveTexture(GL_TEXTURE0 + unit);
    gl->es.activeUnit = unit;
}

void esBindTexture(SglContext* gl, int unit, GLuint name)
{
    if (gl->es.binding[unit] == name)
        return;
    esActiveUnit(gl, unit);
    glBindTexture(GL_TEXTURE_2D, name);
    gl->es.binding[unit] = name;
}

void esSelectTexture(SglContext* gl, GLuint name)
{
    EsState& es = gl->es;
    if (es.activeUnit >= 0 && es.binding[es.activeUnit] == name)
        return;
    for (int unit = 0; unit < sglUnitCount; unit++) {
        if (es.binding[unit] == name) {
            esActiveUnit(gl, unit);
            return;
        }
    }
    esBindTexture(gl, es.activeUnit >= 0 ? es.activeUnit : gl->state.activeUnit, name);
}

static EsTexture* esTexture(SglContext* gl, GLuint name)
{
    if (name >= gl->es.textures.size())
        gl->es.textures.resize(name + 1, EsTexture{false, {}});
    return &gl->es.textures[name];
}

void esTexturesMade(SglContext* gl, int count, const GLuint* names, const TextureParameters& defaults)
{
    for (int i = 0; i < count; i++)
        *esTexture(gl, names[i]) = EsTexture{true, defaults};
}

static void sendParameter(SglContext* gl, int unit, GLuint name, GLenum pname, GLint* sent, GLint wanted, bool known)
{
    if (known && *sent == wanted)
        return;
    esBindTexture(gl, unit, name);
    esActiveUnit(gl, unit);
    glTexParameteri(GL_TEXTURE_2D, pname, wanted);
    *sent = wanted;
}

void esSyncUnit(SglContext* gl, int unit)
{
    GLuint name = gl->state.units[unit].binding;
    esBindTexture(gl, unit, name);
    const TextureParameters& wanted = *textureParameters(gl, name);
    EsTexture* es = esTexture(gl, name);
    TextureParameters& sent = es->parameters;
    sendParameter(gl, unit, name, GL_TEXTURE_MIN_FILTER, &sent.minFilter, wanted.minFilter, es->known);
    sendParameter(gl, unit, name, GL_TEXTURE_MAG_FILTER, &sent.magFilter, wanted.magFilter, es->known);
    sendParameter(gl, unit, name, GL_TEXTURE_WRAP_S, &sent.wrapS, wanted.wrapS, es->known);
    sendParameter(gl, unit, name, GL_TEXTURE_WRAP_T, &sent.wrapT, wanted.wrapT, es->known);
    es->known = true;
}

void esReadBuffer(SglContext* gl, GLenum mode)
{
    if (gl->es.readBuffer == mode)
        return;
    glReadBuffer(mode);
    gl->es.readBuffer = mode;
}

void esPixelStore(SglContext* gl, GLenum pname, GLint value)
{
    GLint* current = pname == GL_PACK_ALIGNMENT ? &gl->es.packAlignment : &gl->es.unpackAlignment;
    if (*current == value)
        return;
    glPixelStorei(pname, value);
    *current = value;
}
