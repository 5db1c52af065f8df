// The set-up dialog titled "VORN" in its own small window, opened and
// closed before the show window exists: Dear ImGui on an SDL renderer.
#include "app/setup_dialog.h"

#include <cstdio>
#include <vector>

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include "app/setup_dialog_ui.h"
#include "app/splash_image.h"
#include "base/fatal.h"
#include "platform/window.h"

SDL_Texture* loadSplashTexture(SDL_Renderer* renderer, const unsigned char* pixels, int width, int height)
{
    SDL_Texture* texture = nullptr;
    if (pixels && width > 0 && height > 0) {
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(pixels), width, height,
                                                                  24, width * 3, SDL_PIXELFORMAT_RGB24);
        if (surface) {
            texture = SDL_CreateTextureFromSurface(renderer, surface);
            SDL_FreeSurface(surface);
        }
    }
    if (!texture)
        fatalError("Error #0016, your windows is a piece of shit");
    return texture;
}

int runSetupDialog(SetupChoices* choices)
{
    platformInit();
    std::vector<DisplayMode> modes = enumerateDisplayModes();
    SetupDialogState state;
    initSetupDialog(&state, modes.data(), (int)modes.size());
    return runSetupDialogWith(&state, choices);
}

int runSetupDialogWith(SetupDialogState* state, SetupChoices* choices)
{
    platformInit();
    SDL_Window* window = SDL_CreateWindow("VORN", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, (int)dialogWidth,
                                          (int)dialogHeight, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, 0) : nullptr;
    if (window && !renderer)
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        char text[512];
        std::snprintf(text, sizeof text, "Cannot open the setup dialog: %s", SDL_GetError());
        fatalError(text);
    }
    SDL_Texture* splash = loadSplashTexture(renderer, splashPixels, splashWidth, splashHeight);

    createDialogContext();
    ImGui_ImplSDL2_InitForSDLRenderer(window);
    ImGui_ImplSDLRenderer_Init(renderer);

    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    Uint32 windowId = SDL_GetWindowID(window);

    int result = -1;
    bool firstFrame = true;
    while (result < 0) {
        // Idle until something happens; repaint now and then regardless.
        SDL_Event event;
        if (SDL_WaitEventTimeout(&event, 50)) {
            do {
                ImGui_ImplSDL2_ProcessEvent(&event);
                if (event.type == SDL_QUIT)
                    result = setupDialogExit();
                else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE &&
                         event.window.windowID == windowId)
                    result = setupDialogExit();
                else
                    result = dialogKey(event, state, choices);
            } while (result < 0 && SDL_PollEvent(&event));
            if (result >= 0)
                break;
        }

        ImGui_ImplSDLRenderer_NewFrame();
        ImGui_ImplSDL2_NewFrame();
        ImGui::NewFrame();
        result = drawDialog(state, choices, (ImTextureID)splash, firstFrame);
        firstFrame = false;
        ImGui::Render();
        SDL_SetRenderDrawColor(renderer, 9, 9, 14, 255);
        SDL_RenderClear(renderer);
        ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
        SDL_RenderPresent(renderer);
    }

    ImGui_ImplSDLRenderer_Shutdown();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    SDL_DestroyTexture(splash);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    return result;
}
