// Colour depth, version and extension checks of the OpenGL context.
#include "platform/gl_checks.h"

#include <cstdio>
#include <cstring>

#include "base/fatal.h"
#include "platform/window.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
#ifndef GL_MAX_TEXTURE_UNITS_ARB
#define GL_MAX_TEXTURE_UNITS_ARB 0x84E2
#endif

GLint clampModeForVersion(const char* version)
{
    int major = 0, minor = 0;
    if (version && std::sscanf(version, "%d.%d", &major, &minor) == 2)
        return major * 10 + minor >= 12 ? GL_CLAMP_TO_EDGE : GL_CLAMP;
    return GL_CLAMP;
}

void checkColourAndVersion(GlCaps* gl)
{
    GLint red = 0, green = 0, blue = 0;
    glGetIntegerv(GL_RED_BITS, &red);
    glGetIntegerv(GL_GREEN_BITS, &green);
    glGetIntegerv(GL_BLUE_BITS, &blue);
    if (red + green + blue < 24)
        fatalError("Failed to initialize 24bpp mode, buy some decent hardware asshole!");
    gl->clampMode = clampModeForVersion((const char*)glGetString(GL_VERSION));
}

bool hasExtensionIn(const char* extensions, const char* name)
{
    if (!extensions || !name)
        return false;
    size_t nameLength = std::strlen(name);
    const char* token = extensions;
    while (*token) {
        const char* end = std::strchr(token, ' ');
        size_t length = end ? (size_t)(end - token) : std::strlen(token);
        if (length == nameLength && std::strncmp(token, name, length) == 0)
            return true;
        if (!end)
            break;
        token = end + 1;
    }
    return false;
}

bool hasExtension(const char* name)
{
    return hasExtensionIn((const char*)glGetString(GL_EXTENSIONS), name);
}

void checkExtensions(GlCaps* gl)
{
    if (!hasExtension("GL_ARB_multitexture"))
        fatalError("Your shitty 3d card doesnt support GL_ARB_multitexture!");
    if (!hasExtension("GL_ARB_texture_env_combine"))
        fatalError("Your shitty 3d card doesnt support GL_ARB_texture_env_combine!");
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    if (units < 2) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "Your shitty 3d card has only %i multitexturing units, and 2 is required to view this demo!",
                      units);
        fatalError(text);
    }
    gl->textureUnits = units;
    gl->multiTexCoord2f = (MultiTexCoord2fProc)glProcAddress("glMultiTexCoord2fARB");
    gl->activeTexture = (ActiveTextureProc)glProcAddress("glActiveTextureARB");
    gl->clientActiveTexture = (ActiveTextureProc)glProcAddress("glClientActiveTextureARB");
    if (!gl->activeTexture || !gl->multiTexCoord2f || !gl->clientActiveTexture)
        fatalError("wglGetProcAddress error on multitexture!");
}

const char* glErrorName(unsigned code)
{
    switch (code) {
    case 0: return "GL_NO_ERROR";
    case 0x500: return "GL_INVALID_ENUM";
    case 0x501: return "GL_INVALID_VALUE";
    case 0x502: return "GL_INVALID_OPERATION";
    case 0x503: return "GL_STACK_OVERFLOW";
    case 0x504: return "GL_STACK_UNDERFLOW";
    case 0x505: return "GL_OUT_OF_MEMORY";
    default: return "UNKNOWN GL_ERROR";
    }
}
