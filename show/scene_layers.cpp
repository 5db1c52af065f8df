// The layered show. The relief and the glow read the work area back onto
// the picture area; the hits flash white; the mask frames the picture; three
// pairs of faint text images scroll over it at two depths, each pair fading
// in at its own time; the logo darkens the picture in at the end.
#include "show/scene_layers.h"

#include <algorithm>

#include "platform/gl_api.h"
#include "render/covered_quad.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "render/texel_coverage.h"
#include "show/hits.h"
#include "show/overlay.h"

// The first layer of each pair shows its image at 1 x 0.75 of its size
// across the view, the second twice as large and at another speed.
const TextLayer textLayers[textLayerCount] = {
    {0, 1.0f, 0.03f, 0.0f, 0.5f, 0.0f, 0.05f, 1.0f, 0.75f},
    {0, 1.0f, 0.05f, 0.0f, 0.35f, 0.5f, -0.02f, 0.5f, 0.375f},
    {1, 2.5f, 0.05f, 0.0f, -0.4f, 0.0f, 0.03f, 1.0f, 0.75f},
    {1, 2.5f, 0.03f, 0.0f, -0.55f, 0.5f, 0.02f, 0.5f, 0.375f},
    {2, 7.5f, 0.03f, 0.0f, 0.4f, -0.5f, 0.03f, 1.0f, 0.75f},
    {2, 7.5f, 0.05f, 0.0f, -0.55f, 0.0f, 0.02f, 0.5f, 0.375f},
};

static void drawTextLayer(View& view, const Texture* texture, const TextLayer& layer, float t)
{
    pushRenderState();
    applyRenderFlags(RF_INVMUL);
    bindTexture(view.display->gl, texture, RF_INVMUL);
    overlay_begin(view, RF_INVMUL);
    float sx = layer.sx0 + layer.sxt * t, sy = layer.sy0 + layer.syt * t;
    scrollTextureMatrix(sx, sy, layer.kx, layer.ky, 0.0f);
    float k = fadeRamp(t, layer.start) * layer.peak;
    glColor4f(k, k, k, k);
    // Black texels darken nothing: only the parts with writing are drawn.
    fullscreenQuadOverCoverage(view, 0, texture, RF_INVMUL, 0.0f, 1.0f, 1.0f, 0.0f,
                               scrolledSpan(sx, sy, layer.kx, layer.ky), COVER_COLOUR);
    popRenderState();
}

void scene_layers(Show& show, float t)
{
    static const float tint[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    View& view = show.view;
    const ShowAssets& assets = show.assets;
    post_relief(view, assets.screenTexture, 8.0f, RF_OFFSCREEN);
    blur_chain_build(view, assets.blurChain, 1, 1.0f, tint);
    blur_chain_compose(view, assets.blurChain, 0.15f, 0);
    hit_flash(view, t, 1.0f);
    fullscreen_texture(view, assets.maskTexture, 1.0f, RF_MUL);
    text_layers(show, t);
}

void text_layers(Show& show, float t)
{
    for (const TextLayer& layer : textLayers)
        if (t > layer.start)
            drawTextLayer(show.view, show.assets.textTextures[layer.texture], layer, t);
    // The logo darkens the picture where it is bright, fully from t = 14.
    if (t > 13.5f)
        fullscreen_texture(show.view, show.assets.logoTexture, std::clamp(2.0f * (t - 13.5f), 0.0f, 1.0f),
                           RF_INVMUL);
}
