// Texture units, texture objects and their sampling parameters (sent to the
// ES context only when a draw samples them: es_state.cpp), uploads
// (RGBA bytes into RGBA8 or RGB8 storage), copies from the framebuffer, and
// each unit's environment: MODULATE, or the combiner set-ups the program
// makes (REPLACE, MODULATE and INTERPOLATE of texture, primary colour and
// previous stage).
#include <cstring>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

static const TextureParameters defaultParameters = {GL_NEAREST_MIPMAP_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};

void initTextureUnits(SglContext* gl)
{
    for (TextureUnit& unit : gl->state.units) {
        unit.envMode = GL_MODULATE;
        Combiner& c = unit.combiner;
        c.rgbFunction = c.alphaFunction = GL_MODULATE;
        const GLenum sources[3] = {GL_TEXTURE, GL_PREVIOUS, GL_CONSTANT};
        for (int i = 0; i < 3; i++) {
            c.rgbSource[i] = c.alphaSource[i] = sources[i];
            c.rgbOperand[i] = GL_SRC_COLOR;
            c.alphaOperand[i] = GL_SRC_ALPHA;
        }
    }
    gl->textures.assign(1, defaultParameters);
}

TextureParameters* textureParameters(SglContext* gl, GLuint name)
{
    if (name >= gl->textures.size())
        gl->textures.resize(name + 1, defaultParameters);
    return &gl->textures[name];
}

static bool unitOf(SglContext* gl, unsigned texture, int* unit)
{
    if (texture < GL_TEXTURE0 || texture >= GL_TEXTURE0 + sglUnitCount) {
        recordError(gl, GL_INVALID_ENUM);
        return false;
    }
    *unit = (int)(texture - GL_TEXTURE0);
    return true;
}

void setActiveUnit(SglContext* gl, unsigned texture)
{
    int unit;
    if (unitOf(gl, texture, &unit))
        gl->state.activeUnit = unit;
}

void sglClientActiveTexture(unsigned texture)
{
    SglContext* gl = currentContext();
    int unit;
    if (unitOf(gl, texture, &unit))
        gl->client.clientUnit = unit;
}

void sglGenTextures(int n, unsigned* textures)
{
    SglContext* gl = currentContext();
    glGenTextures(n, textures);
    if (n > 0)
        esTexturesMade(gl, n, textures, defaultParameters);
}

static bool refusedTarget(SglContext* gl, unsigned target, const char* name)
{
    if (target == GL_TEXTURE_2D)
        return false;
    notImplemented(gl, std::string(name) + " on other targets than GL_TEXTURE_2D");
    return true;
}

void bindTexture(SglContext* gl, unsigned target, unsigned texture)
{
    if (refusedTarget(gl, target, "glBindTexture"))
        return;
    gl->state.units[gl->state.activeUnit].binding = texture;
    textureParameters(gl, texture);
}

// RGBA bytes in, as every upload of the program hands them; RGB8 storage
// (render targets of a framebuffer without alpha) keeps the first three.
void uploadTexture(SglContext* gl, unsigned target, int level, int internalFormat, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels)
{
    if (refusedTarget(gl, target, "glTexImage2D"))
        return;
    if (border != 0 || format != GL_RGBA || type != GL_UNSIGNED_BYTE
        || (internalFormat != GL_RGBA8 && internalFormat != GL_RGB8)) {
        notImplemented(gl, "glTexImage2D of other than RGBA bytes into RGBA8 or RGB8");
        return;
    }
    esSelectTexture(gl, gl->state.units[gl->state.activeUnit].binding);
    if (internalFormat == GL_RGBA8) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        return;
    }
    std::vector<unsigned char> rgb;
    if (pixels && width > 0 && height > 0) {
        size_t count = (size_t)width * (size_t)height;
        rgb.resize(count * 3);
        const unsigned char* rgba = (const unsigned char*)pixels;
        for (size_t i = 0; i < count; i++)
            std::memcpy(&rgb[3 * i], &rgba[4 * i], 3);
    }
    esPixelStore(gl, GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 rgb.empty() ? nullptr : rgb.data());
}

// Kept here and sent when a draw samples the texture. GL_CLAMP (clamping
// that reaches the border colour) is what the program asks for only on
// OpenGL below 1.2; this backend reports 1.3.
void setTextureParameter(SglContext* gl, unsigned target, unsigned pname, int param)
{
    if (refusedTarget(gl, target, "glTexParameteri"))
        return;
    TextureParameters* p = textureParameters(gl, gl->state.units[gl->state.activeUnit].binding);
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
        p->minFilter = param;
        break;
    case GL_TEXTURE_MAG_FILTER:
        p->magFilter = param;
        break;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        if (param == (int)GL_CLAMP) {
            notImplemented(gl, "GL_CLAMP");
            return;
        }
        (pname == GL_TEXTURE_WRAP_S ? p->wrapS : p->wrapT) = param;
        break;
    default:
        notImplemented(gl, "glTexParameteri(" + std::to_string(pname) + ")");
        return;
    }
}

void copyIntoTexture(SglContext* gl, unsigned target, int level, int xoffset, int yoffset, int x, int y, int width,
                     int height)
{
    if (refusedTarget(gl, target, "glCopyTexSubImage2D"))
        return;
    esSelectTexture(gl, gl->state.units[gl->state.activeUnit].binding);
    esReadBuffer(gl, gl->state.readBuffer);
    glCopyTexSubImage2D(GL_TEXTURE_2D, level, xoffset, yoffset, x, y, width, height);
}

static bool isSource(int value)
{
    return value == (int)GL_TEXTURE || value == (int)GL_PRIMARY_COLOR || value == (int)GL_PREVIOUS;
}

static bool isFunction(int value)
{
    return value == (int)GL_REPLACE || value == (int)GL_MODULATE || value == (int)GL_INTERPOLATE;
}

// The environment parameter pname of the active unit set to param; false
// when the pair is outside the set-ups the backend implements.
static bool setUnitEnvironment(TextureUnit* unit, unsigned pname, int param)
{
    Combiner& c = unit->combiner;
    if (pname == GL_TEXTURE_ENV_MODE && (param == (int)GL_MODULATE || param == (int)GL_COMBINE)) {
        unit->envMode = param;
        return true;
    }
    if ((pname == GL_COMBINE_RGB || pname == GL_COMBINE_ALPHA) && isFunction(param)) {
        (pname == GL_COMBINE_RGB ? c.rgbFunction : c.alphaFunction) = param;
        return true;
    }
    if (pname >= GL_SOURCE0_RGB && pname < GL_SOURCE0_RGB + 3 && isSource(param)) {
        c.rgbSource[pname - GL_SOURCE0_RGB] = param;
        return true;
    }
    if (pname >= GL_SOURCE0_ALPHA && pname < GL_SOURCE0_ALPHA + 3 && isSource(param)) {
        c.alphaSource[pname - GL_SOURCE0_ALPHA] = param;
        return true;
    }
    if (pname >= GL_OPERAND0_RGB && pname < GL_OPERAND0_RGB + 3
        && (param == (int)GL_SRC_COLOR || param == (int)GL_SRC_ALPHA)) {
        c.rgbOperand[pname - GL_OPERAND0_RGB] = param;
        return true;
    }
    if (pname >= GL_OPERAND0_ALPHA && pname < GL_OPERAND0_ALPHA + 3 && param == (int)GL_SRC_ALPHA) {
        c.alphaOperand[pname - GL_OPERAND0_ALPHA] = param;
        return true;
    }
    return false;
}

void setEnvironment(SglContext* gl, unsigned target, unsigned pname, int param)
{
    if (target != GL_TEXTURE_ENV || !setUnitEnvironment(&gl->state.units[gl->state.activeUnit], pname, param))
        notImplemented(gl, "glTexEnvi(" + std::to_string(pname) + ", " + std::to_string(param) + ")");
}

// The environment colour is kept (the texture attribute group holds it),
// though no set-up of the program reads it.
void setEnvironmentColour(SglContext* gl, unsigned target, unsigned pname, const float* params)
{
    if (target != GL_TEXTURE_ENV || pname != GL_TEXTURE_ENV_COLOR) {
        notImplemented(gl, "glTexEnvfv(" + std::to_string(pname) + ")");
        return;
    }
    std::memcpy(gl->state.units[gl->state.activeUnit].envColour, params, 4 * sizeof(float));
}

// Coordinate generation is switched on by render flags the show never
// passes; only its switching off is accepted (in raster_state.cpp).
void sglTexGeni(unsigned, unsigned, int)
{
    notImplemented(currentContext(), "texture coordinate generation");
}

void sglTexGenfv(unsigned, unsigned, const float*)
{
    notImplemented(currentContext(), "texture coordinate generation");
}
