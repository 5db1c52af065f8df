// The dispatch table filled with the shader backend of glshader/, and its
// start and stop on the platform's OpenGL ES context.
#include "glshader/shader_gl.h"
#include "platform/gl_table.h"

#define GL_API_SHADER(result, name, parameters) api->name = sgl##name;
#define GLU_API_SHADER(result, name, parameters) api->name = sglu##name;

bool fillShaderApi(GlApi* api)
{
    GL_API_FUNCTIONS(GL_API_SHADER)
    GLU_API_FUNCTIONS(GLU_API_SHADER)
    api->ProcAddress = sglProcAddress;
    return true;
}

bool startShaderBackend()
{
    return sglCreateContext();
}

void stopShaderBackend()
{
    sglDestroyContext();
}
