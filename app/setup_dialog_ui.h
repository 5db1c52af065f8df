// The set-up dialog's face: its style, font and controls drawn with Dear
// ImGui, wherever the frame is then shown (its own window on the desktop,
// the page's canvas in a browser).
#pragma once
#include <SDL.h>
#include <imgui.h>

#include "app/setup_choices.h"

// The dialog's size in pixels: 216 x 144 dialog units.
constexpr float dialogWidth = 216 * 1.5f;
constexpr float dialogHeight = 144 * 1.625f;

// The dialog's ImGui context, made current: no settings or log files, dark
// panels under the splash's colours, the text face regular Arial as
// fontconfig resolves it, else ImGui's own pixel font. pixelScale is the
// display's pixels per layout pixel (2 on a page at a device pixel ratio of
// 2): the font is drawn that much finer, at the same size.
void createDialogContext(float pixelScale = 1.0f);

// Whether (x, y), in the dialog's pixels, lies on "Run".
bool dialogRunButtonAt(float x, float y);

// One frame of the controls between ImGui::NewFrame and ImGui::Render, with
// the splash picture as splash: the dialog's result once a button is
// pressed ("Run" stores the choices), else -1. firstFrame scrolls the mode
// list to its selection.
int drawDialog(SetupDialogState* state, SetupChoices* choices, ImTextureID splash, bool firstFrame);

// Enter (either key) is "Run": its result; any other event -1. Escape does
// nothing.
int dialogKey(const SDL_Event& event, SetupDialogState* state, SetupChoices* choices);
