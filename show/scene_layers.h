// The layered show: drawn second every frame, it turns the world scene's
// work area into the final picture.
#pragma once
#include "show/show.h"

// Relief and glow from the work area onto the picture area, the white
// flashes of the hits, the mask, the scrolling text pairs and the closing
// logo, all at show time t.
void scene_layers(Show& show, float t);

// The scrolling text layers that have begun by t, then the logo after 13.5.
void text_layers(Show& show, float t);

// One scrolling text layer: a texture darkening the picture by its own
// brightness (peak x the fade from start), scaled by (kx, ky) about its
// centre and moved by (sx, sy) = (sx0 + sxt t, sy0 + syt t).
struct TextLayer {
    int texture;  // index into textTextures
    float start, peak;
    float sx0, sxt, sy0, syt;
    float kx, ky;
};
constexpr int textLayerCount = 6;
extern const TextLayer textLayers[textLayerCount];
