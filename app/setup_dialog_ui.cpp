// The set-up dialog's face, apart from where it is drawn: its style and
// font, and one frame of its controls in Dear ImGui. Its layout is the
// classic 216 x 144 dialog-unit template (one unit 1.5 pixels across and
// 1.625 down); what the controls mean lives in setup_choices.
#include "app/setup_dialog_ui.h"

#include <vector>

#include "app/splash_image.h"
#include "platform/outline_font.h"

// A control's rectangle in pixels from its dialog-unit template.
struct DialogRect {
    float x, y, w, h;
};

static DialogRect fromDialogUnits(int x, int y, int w, int h)
{
    return {x * 1.5f, y * 1.625f, w * 1.5f, h * 1.625f};
}

static const DialogRect modeListRect = fromDialogUnits(2, 103, 106, 37);
static const DialogRect aspectListRect = fromDialogUnits(112, 103, 24, 37);
static const DialogRect fullscreenBoxRect = fromDialogUnits(140, 105, 36, 15);
static const DialogRect loopBoxRect = fromDialogUnits(140, 123, 30, 15);
static const DialogRect exitButtonRect = fromDialogUnits(180, 105, 34, 15);
static const DialogRect runButtonRect = fromDialogUnits(180, 123, 34, 15);

static ImVec4 rgb(int r, int g, int b, float a = 1.0f)
{
    return ImVec4(r / 255.0f, g / 255.0f, b / 255.0f, a);
}

// Dark panels under the splash's colours: cyan for focus and selection,
// violet for the default button.
static void applyDialogStyle()
{
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowPadding = ImVec2(0, 0);
    style.WindowBorderSize = 0;
    style.WindowRounding = 0;
    style.FramePadding = ImVec2(4, 1);
    style.FrameRounding = 3;
    style.FrameBorderSize = 1;
    style.ItemSpacing = ImVec2(4, 1);
    style.ItemInnerSpacing = ImVec2(5, 2);
    style.ScrollbarSize = 9;
    style.ScrollbarRounding = 3;
    style.GrabMinSize = 8;
    style.SelectableTextAlign = ImVec2(0.0f, 0.5f);

    ImVec4* c = style.Colors;
    c[ImGuiCol_Text] = rgb(220, 224, 236);
    c[ImGuiCol_WindowBg] = rgb(9, 9, 14);
    c[ImGuiCol_ChildBg] = rgb(0, 0, 0, 0);
    c[ImGuiCol_Border] = rgb(52, 54, 74);
    c[ImGuiCol_FrameBg] = rgb(18, 18, 27);
    c[ImGuiCol_FrameBgHovered] = rgb(26, 27, 40);
    c[ImGuiCol_FrameBgActive] = rgb(30, 32, 48);
    c[ImGuiCol_CheckMark] = rgb(70, 196, 242);
    c[ImGuiCol_Header] = rgb(40, 120, 168);
    c[ImGuiCol_HeaderHovered] = rgb(34, 52, 74);
    c[ImGuiCol_HeaderActive] = rgb(48, 136, 188);
    c[ImGuiCol_Button] = rgb(30, 31, 46);
    c[ImGuiCol_ButtonHovered] = rgb(42, 44, 64);
    c[ImGuiCol_ButtonActive] = rgb(54, 58, 84);
    c[ImGuiCol_ScrollbarBg] = rgb(14, 14, 21);
    c[ImGuiCol_ScrollbarGrab] = rgb(52, 54, 74);
    c[ImGuiCol_ScrollbarGrabHovered] = rgb(70, 72, 98);
    c[ImGuiCol_ScrollbarGrabActive] = rgb(70, 196, 242);
    c[ImGuiCol_NavHighlight] = rgb(70, 196, 242);
}

// The dialog's text face: regular Arial, as fontconfig resolves it, else
// ImGui's own pixel font; rasterised pixelScale times finer than it is
// shown.
static void loadDialogFont(float pixelScale)
{
    std::vector<char> path;
    int faceIndex = 0;
    ImGuiIO& io = ImGui::GetIO();
    io.FontGlobalScale = 1.0f / pixelScale;
    if (findFontFile("Arial", &path, &faceIndex)) {
        ImFontConfig config;
        config.FontNo = faceIndex;
        config.OversampleH = 3;
        config.OversampleV = 1;
        config.PixelSnapH = true;
        if (io.Fonts->AddFontFromFileTTF(path.data(), 13.0f * pixelScale, &config))
            return;
    }
    ImFontConfig config;
    config.SizePixels = 13.0f * pixelScale;
    io.Fonts->AddFontDefault(&config);
}

void createDialogContext(float pixelScale)
{
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    applyDialogStyle();
    loadDialogFont(pixelScale > 0 ? pixelScale : 1.0f);
}

bool dialogRunButtonAt(float x, float y)
{
    const DialogRect& r = runButtonRect;
    return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

static void placeAt(const DialogRect& r)
{
    ImGui::SetCursorPos(ImVec2(r.x, r.y));
}

// A list box of entries; a click selects. Returns the selection.
static int listBox(const char* id, const DialogRect& r, int count, const char* (*label)(const void*, int),
                   const void* items, int selected, bool scrollToSelection)
{
    placeAt(r);
    if (ImGui::BeginListBox(id, ImVec2(r.w, r.h))) {
        for (int i = 0; i < count; i++) {
            ImGui::PushID(i);
            if (ImGui::Selectable(label(items, i), i == selected))
                selected = i;
            if (scrollToSelection && i == selected)
                ImGui::SetScrollHereY(0.5f);
            ImGui::PopID();
        }
        ImGui::EndListBox();
    }
    return selected;
}

static const char* modeLabel(const void* items, int i)
{
    return ((const ModeEntry*)items)[i].text;
}

static const char* aspectLabel(const void*, int i)
{
    return aspectLabels[i];
}

// A check box placed on its template rectangle, centred vertically.
static void checkBox(const char* label, const DialogRect& r, bool* value)
{
    float height = ImGui::GetFrameHeight();
    ImGui::SetCursorPos(ImVec2(r.x, r.y + (r.h - height) * 0.5f));
    ImGui::Checkbox(label, value);
}

static bool button(const char* label, const DialogRect& r, bool isDefault)
{
    placeAt(r);
    if (isDefault) {
        // The default button, the one Enter presses, wears the accent.
        ImGui::PushStyleColor(ImGuiCol_Button, rgb(86, 52, 150));
        ImGui::PushStyleColor(ImGuiCol_ButtonHovered, rgb(110, 70, 186));
        ImGui::PushStyleColor(ImGuiCol_ButtonActive, rgb(132, 88, 214));
        ImGui::PushStyleColor(ImGuiCol_Border, rgb(176, 122, 240));
    }
    bool pressed = ImGui::Button(label, ImVec2(r.w, r.h));
    if (isDefault)
        ImGui::PopStyleColor(4);
    return pressed;
}

int drawDialog(SetupDialogState* state, SetupChoices* choices, ImTextureID splash, bool firstFrame)
{
    ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    ImGui::SetNextWindowSize(io.DisplaySize);
    ImGui::Begin("VORN", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBringToFrontOnFocus | ImGuiWindowFlags_NoScrollWithMouse);

    ImGui::SetCursorPos(ImVec2(2, 2));
    ImGui::Image(splash, ImVec2((float)splashWidth, (float)splashHeight));

    state->selectedMode = listBox("##modes", modeListRect, (int)state->modes.size(), modeLabel, state->modes.data(),
                                  state->selectedMode, firstFrame);
    state->selectedAspect =
        listBox("##aspect", aspectListRect, aspectEntryCount, aspectLabel, nullptr, state->selectedAspect, false);
    checkBox("Fullscr", fullscreenBoxRect, &state->fullscreenChecked);
    checkBox("Loop", loopBoxRect, &state->loopChecked);

    int result = -1;
    if (button("Exit", exitButtonRect, false))
        result = setupDialogExit();
    if (button("Run", runButtonRect, true))
        result = setupDialogRun(*state, choices);
    ImGui::End();
    return result;
}

int dialogKey(const SDL_Event& event, SetupDialogState* state, SetupChoices* choices)
{
    if (event.type == SDL_KEYDOWN && (event.key.keysym.sym == SDLK_RETURN || event.key.keysym.sym == SDLK_KP_ENTER))
        return setupDialogRun(*state, choices);
    return -1;
}
