// The setup sequence: defaults, dialog, window and context, fonts, set-up
// textures and the OpenGL checks, in that order.
#include "shell/setup.h"

#include "shell/gl_checks.h"
#include "shell/lifecycle.h"
#include "shell/platform.h"
#include "shell/window_procedure.h"

int displayModeIndex = -1;
int fullscreen = 1;
int loopMusic = 0;
float aspectRatio = 1.3333334f;
float aspectFactor = 0.75f;
int largeTexSize = 512;
int smallTexSize = 256;

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

    // The dialog is not built yet: the show opens windowed in the desktop mode.
    fullscreen = 0;

    if (!createWindow(fullscreen, 32, "VORN", 0, 0, windowProcedure))
        fatalError("Init failed!");
    largeTexSize = powerOfTwoAtLeast(512);
    smallTexSize = powerOfTwoAtLeast(256);

    checkColourAndVersion();
    checkExtensions();
}
