// The setup sequence: defaults, dialog, window and context, the two
// power-of-two sizes, fonts, set-up textures and the OpenGL checks, in that
// order.
#include "app/setup.h"

#include "app/setup_dialog.h"
#include "base/fatal.h"
#include "base/power_of_two.h"
#include "platform/bitmap_font.h"
#include "platform/gl_api.h"
#include "platform/gl_checks.h"
#include "platform/window.h"
#include "textures/texture.h"

bool runSetup(SetupChoices* choices, Display* display, SetupLeftovers* leftovers, const ProgressReport& progress,
              WindowProcedure windowProcedure, void* windowUser)
{
    display->height = 480;
    choices->fullscreen = 1;
    display->width = 640;

    if (runSetupDialog(choices) != 1)
        return false;
    display->aspectRatio = choices->aspectRatio;
    display->aspectFactor = choices->aspectFactor;

    if (!createWindow(display, choices->displayModeIndex, choices->fullscreen, 32, "VORN", 0, 0, windowProcedure,
                      windowUser))
        fatalError("Init failed!");
    setupContext(display, leftovers, progress);
    return true;
}

void setupContext(Display* display, SetupLeftovers* leftovers, const ProgressReport& progress)
{
    display->largeTexSize = powerOfTwoAtLeast(512);
    display->smallTexSize = powerOfTwoAtLeast(256);

    // 255 glyphs from code 0, extruded 0.2 deep; the result is not needed.
    leftovers->fontListBase = glGenLists(256);
    buildOutlineFont("Arial:bold", 0, 255, leftovers->fontListBase, 0.2f, leftovers->fontGlyphMetrics);

    expandBitmapFont(packedFontTable, leftovers->bitmapFontImage);

    leftovers->setupTexture1 = makeSolidTexture(128, 128, 0, 0, 0, 0, 1.0f, 1.0f, 1.0f, 0);
    reportStep(progress);
    leftovers->setupTexture2 = makeSolidTexture(128, 128, 0, 0, 0, 0, 1.0f, 1.0f, 1.0f, 0);
    reportStep(progress);

    checkColourAndVersion(&display->gl);
    checkExtensions(&display->gl);
}
