// The setup dialog's model: mode filter and preselection, aspect entries,
// and the "Run" and "Exit" results.
#include "app/setup_choices.h"

#include <cstdio>

#include "base/fatal.h"

const char* const aspectLabels[aspectEntryCount] = {"4:3", "16:10", "16:9"};

bool modeQualifies(const DisplayMode& mode)
{
    return mode.width >= 640 && mode.bitsPerPixel >= 32;
}

void initSetupDialog(SetupDialogState* state, const DisplayMode* modes, int count)
{
    state->modes.clear();
    state->selectedMode = -1;
    state->fullscreenChecked = true;
    state->loopChecked = false;
    for (int i = 0; i < count; i++) {
        const DisplayMode& mode = modes[i];
        if (!modeQualifies(mode))
            continue;
        ModeEntry entry;
        entry.modeIndex = i;
        std::snprintf(entry.text, sizeof entry.text, "%d x %d, %d bpp %d Hz", mode.width, mode.height,
                      mode.bitsPerPixel, mode.refreshRate);
        state->modes.push_back(entry);
        // The last 640 x 480 entry stays selected.
        if (mode.width == 640 && mode.height == 480)
            state->selectedMode = (int)state->modes.size() - 1;
    }
    if (state->modes.empty())
        fatalError("Error #0004: Could not find any suitable display modes, buy some real hardware asshole!");
    state->selectedAspect = 0;
}

std::vector<DisplayMode> enumerateDisplayModes()
{
    std::vector<DisplayMode> modes;
    DisplayMode mode;
    for (int i = 0; getDisplayMode(i, &mode); i++)
        modes.push_back(mode);
    return modes;
}

void aspectForItem(int item, float* ratio, float* factor)
{
    switch (item) {
    case 0: *ratio = 1.3333334f; break;
    case 1: *ratio = 1.6f; break;
    case 2: *ratio = 1.7777778f; break;
    default: fatalError("Error #0015, your windows is a piece of shit");
    }
    *factor = (float)(*ratio / (16.0 / 9.0));
}

int setupDialogRun(const SetupDialogState& state, SetupChoices* choices)
{
    choices->fullscreen = state.fullscreenChecked ? 1 : 0;
    choices->loopMusic = state.loopChecked ? 1 : 0;
    if (state.selectedMode < 0 || state.selectedMode >= (int)state.modes.size())
        fatalError("Error #0006, your windows is a piece of shit");
    choices->displayModeIndex = state.modes[state.selectedMode].modeIndex;
    aspectForItem(state.selectedAspect, &choices->aspectRatio, &choices->aspectFactor);
    return 1;
}

int setupDialogExit()
{
    return 0;
}
