// Entry point of the demo.
#include <cstdlib>
#include <string>

#include "glapi/gl_table.h"
#include "shell/lifecycle.h"
#include "shell/main_loop.h"
#include "shell/platform.h"

// The GL backend named by VORN_GL_BACKEND: "fixed" (also when unset or
// empty) or "shader".
static void chooseGlBackend()
{
    const char* name = std::getenv("VORN_GL_BACKEND");
    GlBackend backend = GL_BACKEND_FIXED;
    if (name && *name && !glBackendFromName(name, &backend))
        fatalError(("VORN_GL_BACKEND must be fixed or shader, not '" + std::string(name) + "'.").c_str());
    if (!useGlBackend(backend))
        fatalError("This build has no shader backend (VORN_GL_BACKEND=shader).");
}

int main()
{
    preparePlatform();
    chooseGlBackend();
    startUp();
    messageLoop();
    shutDown();
    return 0;
}
