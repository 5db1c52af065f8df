// The setup sequence: defaults, dialog, window and context, the two
// power-of-two sizes, fonts, set-up textures and the OpenGL checks, in that
// order.
#include "shell/setup.h"

#include <cstdlib>

#include "glapi/gl_api.h"
#include "shell/bitmap_font.h"
#include "shell/gl_checks.h"
#include "shell/lifecycle.h"
#include "shell/outline_font.h"
#include "shell/platform.h"
#include "shell/setup_dialog.h"
#include "shell/window_procedure.h"
#include "textures/texture.h"

int largeTexSize = 512;
int smallTexSize = 256;
Texture* setupTexture1 = nullptr;
Texture* setupTexture2 = nullptr;

int powerOfTwoAtLeast(int target)
{
    for (int k = 0; k < 16; k++) {
        if ((1 << k) < target && (1 << (k + 1)) >= target)
            return 1 << (k + 1);
    }
    return 1 << 1;
}

void runSetup()
{
    screenHeight = 480;
    fullscreen = 1;
    screenWidth = 640;

    if (runSetupDialog() != 1)
        std::exit(0);

    if (!createWindow(fullscreen, 32, "VORN", 0, 0, windowProcedure))
        fatalError("Init failed!");
    setupContext();
}

void setupContext()
{
    largeTexSize = powerOfTwoAtLeast(512);
    smallTexSize = powerOfTwoAtLeast(256);

    // 255 glyphs from code 0, extruded 0.2 deep; the result is not needed.
    fontListBase = glGenLists(256);
    buildOutlineFont("Arial:bold", 0, 255, fontListBase, 0.2f, fontGlyphMetrics);

    expandBitmapFont(packedFontTable, bitmapFontImage);

    setupTexture1 = makeSolidTexture(128, 128, 0, 0, 0, 0, 1.0f, 1.0f, 1.0f, 0);
    setupTexture2 = makeSolidTexture(128, 128, 0, 0, 0, 0, 1.0f, 1.0f, 1.0f, 0);

    checkColourAndVersion();
    checkExtensions();
}
