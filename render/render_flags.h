// The render flag word: one 32-bit value that selects texture filtering and
// coordinate generation, blending, depth, culling, shading, stencil and the
// off-screen viewport. Each function reads only its own bits of it.
#pragma once
#include <cstdint>

typedef uint32_t RenderFlags;

// Texture bits, read by applyTextureFlags.
constexpr RenderFlags RF_NEAREST = 0x1;
constexpr RenderFlags RF_CLAMP = 0x2;
constexpr RenderFlags RF_SPHEREMAP = 0x4;
constexpr RenderFlags RF_EYELINEAR = 0x8;
constexpr RenderFlags RF_PLANAR_YZ = 0x10;
constexpr RenderFlags RF_NOMIPMAP = 0x20;
constexpr RenderFlags RF_PLANAR_XZ = 0x80000;
constexpr RenderFlags RF_PLANAR_XY = 0x100000;
constexpr RenderFlags RF_PLANAR_DIAG = 0x400000;
constexpr RenderFlags RF_TRILINEAR = 0x4000000;
constexpr RenderFlags RF_REFLECT = 0x8000000;
constexpr RenderFlags RF_TEXTURE_MASK = 0xc58003f;

// State bits, read by applyRenderFlags.
constexpr RenderFlags RF_NOCULL = 0x40;
constexpr RenderFlags RF_CULLFRONT = 0x80;
constexpr RenderFlags RF_NODEPTH = 0x100;
constexpr RenderFlags RF_NOZWRITE = 0x200;
constexpr RenderFlags RF_ADD = 0x400;
constexpr RenderFlags RF_INVMUL = 0x800;
constexpr RenderFlags RF_MUL = 0x1000;
constexpr RenderFlags RF_ALPHA = 0x2000;
constexpr RenderFlags RF_FLAT = 0x8000;
constexpr RenderFlags RF_SCREEN = 0x40000;
constexpr RenderFlags RF_STENCIL = 0x200000;
constexpr RenderFlags RF_STATE_MASK = 0x24bfc0;

// View bit: the 512 x 256 off-screen work area instead of the picture area.
constexpr RenderFlags RF_OFFSCREEN = 0x4000;

// Creation bits kept in a texture record.
constexpr RenderFlags RF_INVERT = 0x10000000;
constexpr RenderFlags RF_CREATE_MASK = 0x18000020;
