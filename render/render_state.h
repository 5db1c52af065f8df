// Render-state helpers every effect draws through: flag application, state
// save and restore, texture binding, the frame reset and the 2D set-up.
#pragma once
#include "render/render_flags.h"

struct Texture;

// Depth range of the current projection; both 0 means "not chosen yet".
extern float viewNear;
extern float viewFar;
// Camera globals shared with the perspective camera set-up.
extern float cameraUp[3];
extern float projectionShift[2];

void pushRenderState();
void popRenderState();
void applyRenderFlags(RenderFlags flags);
// Parameters and coordinate generation of the texture bound on the active unit.
void applyTextureFlags(RenderFlags flags);
// Binds a texture on unit 0 with its defaults and texture-matrix scale.
void bindTexture(const Texture* texture, RenderFlags flags);
// Binds a texture on units 0 and 1, cross-faded by vertex alpha.
void bindTextureLerp(const Texture* texture, RenderFlags flags);
// The show's default state, then a clear to black.
void resetRenderState();
void clearFrame();
// The off-screen work area: the lower-left corner of the framebuffer that the
// world scene draws into and the post passes copy back.
constexpr int offscreenWidth = 512;
constexpr int offscreenHeight = 256;
// Viewport of the picture area (full width, 16:9 height centred vertically,
// the letterbox bars outside) or, with RF_OFFSCREEN, of the work area.
void setViewport(RenderFlags flags);
// 2D projection -1..1 on the picture area or, with RF_OFFSCREEN, the work area.
void setOrtho(RenderFlags flags);
