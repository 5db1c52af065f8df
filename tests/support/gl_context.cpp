// A GL context for in-process tests, made by the program's own window code.
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

#include <cstring>

#include "platform/gl_checks.h"
#include "platform/window.h"

// Keeps the GL driver's libraries loaded until the process ends. Mesa
// unloads them in its exit handlers, before LeakSanitizer looks; its own
// allocations would then be reported without a library name to suppress.
static int pinDriverLibrary(dl_phdr_info* info, size_t, void*)
{
    const char* name = info->dlpi_name;
    if (name && (std::strstr(name, "dri") || std::strstr(name, "gallium") || std::strstr(name, "LLVM")
                 || std::strstr(name, "mesa") || std::strstr(name, "EGL") || std::strstr(name, "GLX")))
        dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

Display& testDisplay()
{
    static Display display = [] {
        Display d;
        d.aspectRatio = 16.0f / 9.0f;
        d.aspectFactor = 1.0f;
        return d;
    }();
    return display;
}

Show& testShow()
{
    static Show show;
    show.view.display = &testDisplay();
    return show;
}

RandomState& testRandom()
{
    static RandomState random;
    return random;
}

void precalcTestShow()
{
    static bool made = false;
    if (made)
        return;
    static PrecalcLeftovers leftovers;
    precalcAssets(testDisplay(), testRandom(), &testShow().assets, &leftovers, ProgressReport());
    made = true;
}

void openTestContext(int width, int height)
{
    if (platformWindow())
        return;
    ASSERT_NE(createHiddenWindow(&testDisplay(), width, height, 32, "VORN test"), nullptr) << SDL_GetError();
    checkColourAndVersion(&testDisplay().gl);
    checkExtensions(&testDisplay().gl);
    pinGlDriver();
}

void pinGlDriver()
{
    dl_iterate_phdr(pinDriverLibrary, nullptr);
}

void readPixel(int x, int y, unsigned char rgba[4])
{
    glFinish();
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
