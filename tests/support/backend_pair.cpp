// Both GL backends in child processes.
#include "tests/support/backend_pair.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "platform/gl_api.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "tests/support/gl_context.h"

namespace {

struct ChildResult {
    int drawn;           // 1 when the scene ran and was read back
    unsigned error;      // the GL error after the scene
    float modelview[16];  // the model-view matrix after the scene
};

// In the child: the backend, the context, the scene, the read-back; then
// out without running exit handlers (the parent owns the test's state).
[[noreturn]] void drawInChild(GlBackend backend, int width, int height, void (*scene)(), ChildResult* result,
                              unsigned char* pixels)
{
    if (useGlBackend(backend) && createHiddenWindow(&testDisplay(), width, height, 32, "VORN test")) {
        checkColourAndVersion(&testDisplay().gl);
        checkExtensions(&testDisplay().gl);
        // A new window's pixels are undefined until cleared.
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene();
        glFinish();
        result->error = glGetError();
        glGetFloatv(GL_MODELVIEW_MATRIX, result->modelview);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        result->drawn = 1;
    }
    _exit(0);
}

std::string drawOne(GlBackend backend, int width, int height, void (*scene)(), std::vector<unsigned char>* out,
                    float modelview[16])
{
    size_t bytes = (size_t)width * height * 4;
    void* shared = mmap(nullptr, sizeof(ChildResult) + bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS,
                        -1, 0);
    if (shared == MAP_FAILED)
        return "no shared memory";
    ChildResult* result = (ChildResult*)shared;
    unsigned char* pixels = (unsigned char*)shared + sizeof(ChildResult);
    pid_t child = fork();
    if (child == 0)
        drawInChild(backend, width, height, scene, result, pixels);
    int status = 0;
    waitpid(child, &status, 0);
    const char* name = backend == GL_BACKEND_FIXED ? "fixed" : "shader";
    std::string problem;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        problem = std::string(name) + " backend: the child process failed";
    else if (!result->drawn)
        problem = std::string(name) + " backend: no context";
    else if (result->error != GL_NO_ERROR)
        problem = std::string(name) + " backend: GL error " + std::to_string(result->error);
    out->assign(pixels, pixels + bytes);
    std::memcpy(modelview, result->modelview, sizeof result->modelview);
    munmap(shared, sizeof(ChildResult) + bytes);
    return problem;
}

}  // namespace

BackendPictures drawOnBothBackends(int width, int height, void (*scene)())
{
    BackendPictures pictures;
    pictures.width = width;
    pictures.height = height;
    pictures.problem = drawOne(GL_BACKEND_FIXED, width, height, scene, &pictures.fixed, pictures.fixedModelview);
    std::string shader = drawOne(GL_BACKEND_SHADER, width, height, scene, &pictures.shader, pictures.shaderModelview);
    if (pictures.problem.empty())
        pictures.problem = shader;
    return pictures;
}
