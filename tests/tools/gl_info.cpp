// gl_info: names the OpenGL that vorn-capture draws with (the same hidden
// window on SDL's offscreen driver, so the same EGL device): its vendor,
// renderer and version with the fixed-function backend, the shader
// backend's version (which names the OpenGL ES it runs on) with the other.
// For make gpu-check. Usage: gl_info [--backend fixed|shader].
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/fatal.h"
#include "platform/gl_api.h"
#include "platform/window.h"

static const char* text(GLenum name)
{
    const GLubyte* value = glGetString(name);
    return value ? (const char*)value : "(none)";
}

int main(int argc, char** argv)
{
    CLI::App app{"Prints the vendor, renderer and version of the OpenGL that vorn-capture draws with (the shader "
                 "backend: its version, which names the OpenGL ES under it).",
                 "gl_info"};
    std::string backendText = "fixed";
    app.add_option("--backend", backendText, "fixed or shader")
        ->type_name("NAME")
        ->check(CLI::IsMember({"fixed", "shader"}))
        ->capture_default_str();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::fprintf(stderr, "gl_info: %s\n", e.what());
        return 2;
    }
    interactiveShell = false;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    GlBackend backend = GL_BACKEND_FIXED;
    glBackendFromName(backendText.c_str(), &backend);
    if (!useGlBackend(backend)) {
        std::fprintf(stderr, "gl_info: this build has no shader backend\n");
        return 2;
    }
    Display display;
    if (!createHiddenWindow(&display, 512, 256, 32, "VORN gl_info"))
        fatalError("Init failed!");
    if (backend == GL_BACKEND_FIXED) {
        std::printf("vendor: %s\n", text(GL_VENDOR));
        std::printf("renderer: %s\n", text(GL_RENDERER));
    }
    std::printf("version: %s\n", text(GL_VERSION));
    releaseWindow();
    return 0;
}
