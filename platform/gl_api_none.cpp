// Builds without the shader backend (Windows): choosing it fails, so the
// program says it is not available.
#include "platform/gl_table.h"

bool fillShaderApi(GlApi*)
{
    return false;
}

bool startShaderBackend()
{
    return false;
}

void stopShaderBackend() {}
