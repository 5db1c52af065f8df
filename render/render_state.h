// Render-state helpers every effect draws through: flag application, state
// save and restore, texture binding, the frame reset and the 2D set-up.
#pragma once
#include "render/render_flags.h"
#include "render/view.h"

struct Texture;

void pushRenderState();
void popRenderState();
void applyRenderFlags(RenderFlags flags);
// Parameters and coordinate generation of the texture bound on the active
// unit; RF_CLAMP wraps with gl's clamp mode.
void applyTextureFlags(const GlCaps& gl, RenderFlags flags);
// Binds a texture on unit 0 with its defaults and texture-matrix scale, the
// other units gl has (up to the third) switched off.
void bindTexture(const GlCaps& gl, const Texture* texture, RenderFlags flags);
// Binds a texture on units 0 and 1, cross-faded by vertex alpha.
void bindTextureLerp(const GlCaps& gl, const Texture* texture, RenderFlags flags);
// The show's default state, then a clear to black; the view's projection
// fields back to their defaults.
void resetRenderState(View& view);
// The same without the clear (and so without its viewport and clear
// values), for a pass that draws opaque over every pixel it needs and
// reads none it does not draw: the framebuffer is left as it was.
void resetRenderStateWithoutClear(View& view);
// True when the area of flags (the picture area, or the work area with
// RF_OFFSCREEN) is the whole window: no letterbox bars to keep black.
bool areaCoversWindow(const View& view, RenderFlags flags);
void clearFrame(const View& view);
// Texture-coordinate generation off for s, t, r and q on the active unit.
void textureGenerationOff();
// Identity texture and projection matrices; leaves the projection matrix
// current for the caller's projection.
void resetTextureAndProjection();
// The model-view matrix current and the identity.
void resetModelView();
// The off-screen work area: the lower-left corner of the framebuffer that the
// world scene draws into and the post passes copy back.
constexpr int offscreenWidth = 512;
constexpr int offscreenHeight = 256;
// Viewport of the picture area (full width, 16:9 height centred vertically,
// the letterbox bars outside) or, with RF_OFFSCREEN, of the work area.
void setViewport(const View& view, RenderFlags flags);
// That viewport as x, y, width, height in window pixels.
void viewportRect(const View& view, RenderFlags flags, int rect[4]);
// 2D projection -1..1 on the picture area or, with RF_OFFSCREEN, the work
// area, over the view's depth range (0.1 .. 10 when not chosen yet).
void setOrtho(View& view, RenderFlags flags);
