// The set-up dialog on the page's canvas: ImGui's SDL input and OpenGL ES 3
// renderer around the dialog's face. The shader backend owns the context:
// ImGui's renderer saves and restores the GL state it touches, and so does
// everything here that calls WebGL directly.
#include "programs/page/setup_dialog_web.h"

#include <GLES3/gl3.h>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_impl_sdl.h>

#include <cstdio>

#include "app/setup_dialog_ui.h"
#include "app/splash_image.h"

int aspectItemForShape(double width, double height)
{
    double shape = height > 0 ? width / height : 16.0 / 9.0;
    int best = 0;
    double bestDistance = 1e30;
    for (int item = 0; item < aspectEntryCount; item++) {
        float ratio, factor;
        aspectForItem(item, &ratio, &factor);
        double distance = shape > ratio ? shape / ratio : ratio / shape;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = item;
        }
    }
    return best;
}

// The mode list of a page: its picture sizes, modeIndex the position in
// pagePictureLines.
static void pageModeEntries(SetupDialogState* state)
{
    state->modes.clear();
    for (int i = 0; i < pagePictureCount; i++) {
        ModeEntry entry;
        entry.modeIndex = i;
        if (pagePictureLines[i] == 0)
            std::snprintf(entry.text, sizeof entry.text, "This window, sharp");
        else
            std::snprintf(entry.text, sizeof entry.text, "%d lines, scaled", pagePictureLines[i]);
        state->modes.push_back(entry);
    }
    state->selectedMode = 0;
}

// The splash picture as a texture, the binding left as it was.
static unsigned splashTexture()
{
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, splashWidth, splashHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, splashPixels);
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
    return texture;
}

// The dialog's background over the whole canvas, the clear colour and
// viewport left as they were.
static void clearToDialogBackground(int width, int height)
{
    GLfloat colour[4];
    GLint viewport[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glViewport(0, 0, width, height);
    glClearColor(9 / 255.0f, 9 / 255.0f, 14 / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(colour[0], colour[1], colour[2], colour[3]);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void openWebDialog(WebDialog* dialog, SDL_Window* window, const char* preselect, double windowWidth,
                   double windowHeight, float pixelScale)
{
    // The desktop's defaults (Fullscr checked, Loop unchecked), then the
    // page's own list.
    const DisplayMode anyMode = {640, 480, 32, 60};
    initSetupDialog(&dialog->state, &anyMode, 1);
    pageModeEntries(&dialog->state);
    int width = 0, height = 0;
    if (preselect && std::sscanf(preselect, "%dx%d", &width, &height) == 2)
        for (int i = 0; i < pagePictureCount; i++)
            if (pagePictureLines[i] == height)
                dialog->state.selectedMode = i;
    dialog->state.selectedAspect = aspectItemForShape(windowWidth, windowHeight);
    SDL_SetWindowSize(window, (int)dialogWidth, (int)dialogHeight);
    dialog->splash = splashTexture();
    dialog->firstFrame = true;

    createDialogContext(pixelScale);
    ImGui_ImplSDL2_InitForOpenGL(window, nullptr);
    ImGui_ImplOpenGL3_Init("#version 300 es");
}

int webDialogEvent(WebDialog* dialog, const SDL_Event& event, SetupChoices* choices)
{
    ImGui_ImplSDL2_ProcessEvent(&event);
    if (event.type == SDL_QUIT)
        return setupDialogExit();
    return dialogKey(event, &dialog->state, choices);
}

int webDialogFrame(WebDialog* dialog, SetupChoices* choices)
{
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // A browser's clock may give two frames the same time (coarse timers,
    // virtual time): ImGui needs time to pass.
    ImGuiIO& frameIo = ImGui::GetIO();
    if (!(frameIo.DeltaTime > 0.0f))
        frameIo.DeltaTime = 1.0f / 1000.0f;
    ImGui::NewFrame();
    int result = drawDialog(&dialog->state, choices, (ImTextureID)(intptr_t)dialog->splash, dialog->firstFrame);
    dialog->firstFrame = false;
    ImGui::Render();
    ImGuiIO& io = ImGui::GetIO();
    clearToDialogBackground((int)(io.DisplaySize.x * io.DisplayFramebufferScale.x),
                            (int)(io.DisplaySize.y * io.DisplayFramebufferScale.y));
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    return result;
}

bool webDialogRunsFullscreen(const WebDialog& dialog, float x, float y)
{
    return dialog.state.fullscreenChecked && (x < 0 || dialogRunButtonAt(x, y));
}

void closeWebDialog(WebDialog* dialog)
{
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    GLuint texture = dialog->splash;
    glDeleteTextures(1, &texture);
    dialog->splash = 0;
}
