// The backend's context on the current OpenGL ES context: making and
// releasing it, errors, the state queries the program makes, read-back
// (the read buffer and pixel store sent only then) and the entry points it
// looks up by name.
#include <cstdio>
#include <cstring>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

static SglContext* current = nullptr;

SglContext* currentContext()
{
    return current;
}

bool sglCreateContext()
{
    const char* version = (const char*)glGetString(GL_VERSION);
    int major = 0;
    if (!version || std::sscanf(version, "OpenGL ES %d", &major) != 1 || major < 3) {
        std::fprintf(stderr, "The shader backend needs an OpenGL ES 3 context; this one is %s\n",
                     version ? version : "unknown");
        return false;
    }
    SglContext* gl = new SglContext{};
    gl->error = GL_NO_ERROR;
    gl->version = std::string("1.3 VORN shader backend on ") + version;
    gl->client.packAlignment = 4;
    gl->client.vertex.size = 4;
    gl->client.colour.size = 4;
    for (ClientArray& array : gl->client.texCoord)
        array.size = 4;
    gl->state.readBuffer = GL_BACK;
    initMatrices(gl);
    initRasterState(gl);
    initTextureUnits(gl);
    forgetEsState(gl);
    initDrawing(gl);
    current = gl;
    return true;
}

void sglDestroyContext()
{
    if (!current)
        return;
    releasePrograms(current);
    releaseDrawing(current);
    delete current;
    current = nullptr;
}

void recordError(SglContext* gl, GLenum error)
{
    if (gl->error == GL_NO_ERROR)
        gl->error = error;
}

void notImplemented(SglContext* gl, const std::string& what)
{
    recordError(gl, GL_INVALID_ENUM);
    for (const std::string& said : gl->reported)
        if (said == what)
            return;
    gl->reported.push_back(what);
    std::fprintf(stderr, "shader backend: %s is not implemented\n", what.c_str());
}

unsigned sglGetError()
{
    SglContext* gl = currentContext();
    GLenum error = gl->error;
    gl->error = GL_NO_ERROR;
    return error != GL_NO_ERROR ? error : glGetError();
}

const unsigned char* sglGetString(unsigned name)
{
    SglContext* gl = currentContext();
    if (name == GL_VERSION)
        return (const unsigned char*)gl->version.c_str();
    if (name == GL_EXTENSIONS)
        return (const unsigned char*)"GL_ARB_multitexture GL_ARB_texture_env_combine";
    notImplemented(gl, "glGetString(" + std::to_string(name) + ")");
    return nullptr;
}

void sglGetIntegerv(unsigned pname, int* params)
{
    SglContext* gl = currentContext();
    switch (pname) {
    case GL_RED_BITS:
    case GL_GREEN_BITS:
    case GL_BLUE_BITS:
    case GL_ALPHA_BITS:
    case GL_DEPTH_BITS:
    case GL_MAX_VIEWPORT_DIMS:
    case GL_MAX_RENDERBUFFER_SIZE:
        glGetIntegerv(pname, params);
        return;
    case GL_MAX_TEXTURE_UNITS:
        *params = sglUnitCount;
        return;
    default:
        notImplemented(gl, "glGetIntegerv(" + std::to_string(pname) + ")");
    }
}

void sglGetFloatv(unsigned pname, float* params)
{
    SglContext* gl = currentContext();
    if (pname == GL_MODELVIEW_MATRIX)
        std::memcpy(params, gl->modelview.entries.back().m, sizeof(Mat4));
    else
        notImplemented(gl, "glGetFloatv(" + std::to_string(pname) + ")");
}

void sglFinish()
{
    glFinish();
}

void setReadBuffer(SglContext* gl, unsigned mode)
{
    if (mode != GL_BACK) {
        notImplemented(gl, "glReadBuffer(" + std::to_string(mode) + ")");
        return;
    }
    gl->state.readBuffer = mode;
}

void sglPixelStorei(unsigned pname, int param)
{
    SglContext* gl = currentContext();
    if (pname != GL_PACK_ALIGNMENT) {
        notImplemented(gl, "glPixelStorei(" + std::to_string(pname) + ")");
        return;
    }
    gl->client.packAlignment = param;
}

void sglReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels)
{
    SglContext* gl = currentContext();
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE) {
        notImplemented(gl, "glReadPixels in other formats than RGBA bytes");
        return;
    }
    esReadBuffer(gl, gl->state.readBuffer);
    esPixelStore(gl, GL_PACK_ALIGNMENT, gl->client.packAlignment);
    glReadPixels(x, y, width, height, format, type, pixels);
}

void* sglProcAddress(const char* name)
{
    if (std::strcmp(name, "glActiveTextureARB") == 0)
        return (void*)sglActiveTexture;
    if (std::strcmp(name, "glClientActiveTextureARB") == 0)
        return (void*)sglClientActiveTexture;
    if (std::strcmp(name, "glMultiTexCoord2fARB") == 0)
        return (void*)sglMultiTexCoord2f;
    return nullptr;
}
