// The dispatch table filled with the system's OpenGL and GLU, which is what
// every call reaches unless the shader backend is chosen, and the choice
// itself.
#include "platform/gl_table.h"

#include <SDL.h>

#include <cstring>

#ifdef __EMSCRIPTEN__
// WebGL has no fixed-function OpenGL: the table stays empty until the
// shader backend fills it.
#define GL_API_FIXED(result, name, parameters) nullptr,
#define GLU_API_FIXED(result, name, parameters) nullptr,
#else
#define GL_API_FIXED(result, name, parameters) gl##name,
#define GLU_API_FIXED(result, name, parameters) glu##name,
#endif
static const GlApi fixedApi = {
    GL_API_FUNCTIONS(GL_API_FIXED) GLU_API_FUNCTIONS(GLU_API_FIXED) SDL_GL_GetProcAddress,
};
#undef GL_API_FIXED
#undef GLU_API_FIXED

GlApi glApi = fixedApi;
static GlBackend chosenBackend = GL_BACKEND_FIXED;

// The shader backend's table and start and stop (gl_api_shader.cpp); absent
// from builds without it.
bool fillShaderApi(GlApi* api);
bool startShaderBackend();
void stopShaderBackend();

bool useGlBackend(GlBackend backend)
{
    if (backend == GL_BACKEND_SHADER) {
        GlApi api = fixedApi;
        if (!fillShaderApi(&api))
            return false;
        glApi = api;
    } else {
#ifdef __EMSCRIPTEN__
        return false;
#endif
        glApi = fixedApi;
    }
    chosenBackend = backend;
    return true;
}

GlBackend currentGlBackend()
{
    return chosenBackend;
}

bool glBackendFromName(const char* name, GlBackend* backend)
{
    if (name && std::strcmp(name, "fixed") == 0) {
        *backend = GL_BACKEND_FIXED;
        return true;
    }
    if (name && std::strcmp(name, "shader") == 0) {
        *backend = GL_BACKEND_SHADER;
        return true;
    }
    return false;
}

bool startGlBackend()
{
    return chosenBackend == GL_BACKEND_FIXED || startShaderBackend();
}

void stopGlBackend()
{
    if (chosenBackend == GL_BACKEND_SHADER)
        stopShaderBackend();
}
