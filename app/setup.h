// The setup sequence run before the show: the dialog's choices, the window
// and context, the work area's sizes, fonts, the two set-up textures and
// the OpenGL checks.
#pragma once
#include <cstdint>

#include "app/setup_choices.h"
#include "base/progress.h"
#include "platform/display.h"
#include "platform/outline_font.h"
#include "platform/window.h"

struct Texture;

// What set-up builds that nothing draws. It stays because the loading bar
// counts the two textures, and the context is checked as able to build the
// rest.
struct SetupLeftovers {
    Texture* setupTexture1 = nullptr;         // 128 x 128 transparent: one loading-bar step
    Texture* setupTexture2 = nullptr;         // the same again: one more step
    GLuint fontListBase = 0;                  // outline-font display lists, never called
    GlyphMetricsFloat fontGlyphMetrics[256];  // their metrics, never read
    uint8_t bitmapFontImage[128 * 128];       // the 4 x 8 font expanded, never uploaded
};

// The part of the setup sequence after the window exists, on the current
// context: the display's two work-area sizes, fonts, the set-up textures
// (one progress step each) and the OpenGL checks, which fill display->gl.
void setupContext(Display* display, SetupLeftovers* leftovers, const ProgressReport& progress);

// Runs the setup sequence: the dialog, then the show window in the chosen
// mode and setupContext. False when the user chose "Exit" or closed the
// dialog; failures are fatal.
bool runSetup(SetupChoices* choices, Display* display, SetupLeftovers* leftovers, const ProgressReport& progress,
              WindowProcedure windowProcedure, void* windowUser);
