// The setup dialog's model, apart from its drawing: the display modes it
// offers and the one it preselects, the aspect-ratio entries, and what
// "Run" and "Exit" store, and the choices themselves.
#pragma once
#include <vector>

#include "platform/window.h"

// What the dialog produces, read by the rest of start-up.
struct SetupChoices {
    int displayModeIndex = -1;        // SDL display-mode index, -1 = desktop mode
    int fullscreen = 1;               // 1 or 0
    int loopMusic = 0;                // 1 or 0
    float aspectRatio = 1.3333334f;   // monitor width / height
    float aspectFactor = 0.75f;       // aspectRatio / (16/9): 0.75, 0.9 or 1.0
};

// One entry of the mode list: its text and the display-mode index behind it.
struct ModeEntry {
    int modeIndex;
    char text[64];  // "%d x %d, %d bpp %d Hz"
};

// Everything the dialog shows and the user can change.
struct SetupDialogState {
    std::vector<ModeEntry> modes;  // qualifying modes in enumeration order
    int selectedMode;              // entry index, -1 when none is selected
    int selectedAspect;            // item of aspectLabels, 0 = "4:3"
    bool fullscreenChecked;        // "Fullscr"
    bool loopChecked;              // "Loop"
};

constexpr int aspectEntryCount = 3;
// "4:3", "16:10", "16:9"; the entry's position is its item value.
extern const char* const aspectLabels[aspectEntryCount];

// Modes offered: at least 640 pixels wide and at least 32 bits per pixel.
bool modeQualifies(const DisplayMode& mode);

// Fills the dialog's initial state from a list of display modes (index i of
// the list is display-mode index i): "Fullscr" checked, "Loop" unchecked,
// "4:3" selected and the last qualifying 640 x 480 mode selected, if any.
// No qualifying mode at all is fatal (message 0004).
void initSetupDialog(SetupDialogState* state, const DisplayMode* modes, int count);

// The display modes of display 0, in enumeration order.
std::vector<DisplayMode> enumerateDisplayModes();

// Ratio and letterbox factor of an aspect item (0: 4:3, 1: 16:10, 2: 16:9).
// Any other item is fatal (message 0015).
void aspectForItem(int item, float* ratio, float* factor);

// "Run": stores fullscreen, loopMusic, displayModeIndex, aspectRatio and
// aspectFactor from the state into choices and returns the dialog result 1.
// No selected mode is fatal (message 0006).
int setupDialogRun(const SetupDialogState& state, SetupChoices* choices);
// "Exit" or closing the dialog: nothing is stored, the result is 0.
int setupDialogExit();
