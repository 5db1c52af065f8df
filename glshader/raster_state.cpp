// Capabilities, blending, alpha and depth tests, culling, masks, viewport
// and clears: kept in the backend's state (so the attribute stack can
// restore them) and sent to the ES context when something is drawn or
// cleared. Capabilities the program only ever switches off are accepted off
// and refused on.
#include "glshader/context.h"
#include "glshader/shader_gl.h"

void initRasterState(SglContext* gl)
{
    ServerState& s = gl->state;
    for (int i = 0; i < 4; i++) {
        s.colour[i] = 1.0f;
        s.colourMask[i] = true;
    }
    for (float* texCoord : s.texCoord)
        texCoord[3] = 1.0f;
    s.dither = true;
    s.blendSource = GL_ONE;
    s.blendDestination = GL_ZERO;
    s.alphaFunction = GL_ALWAYS;
    s.depthFunction = GL_LESS;
    s.depthMask = true;
    s.clearDepth = 1.0f;
    s.cullMode = GL_BACK;
    s.frontFace = GL_CCW;
    s.shadeModel = GL_SMOOTH;
    glGetIntegerv(GL_VIEWPORT, s.viewport);
}

template <typename T>
static bool changed(T* applied, T wanted, bool valid)
{
    if (valid && *applied == wanted)
        return false;
    *applied = wanted;
    return true;
}

static void setCapability(GLenum cap, bool on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

void syncRasterState(SglContext* gl)
{
    const ServerState& s = gl->state;
    EsState& a = gl->es;
    bool v = a.valid;
    if (changed(&a.blend, s.blend, v))
        setCapability(GL_BLEND, s.blend);
    bool blendFunction = changed(&a.blendSource, s.blendSource, v);
    blendFunction |= changed(&a.blendDestination, s.blendDestination, v);
    if (blendFunction)
        glBlendFunc(s.blendSource, s.blendDestination);
    if (changed(&a.dither, s.dither, v))
        setCapability(GL_DITHER, s.dither);
    if (changed(&a.depthTest, s.depthTest, v))
        setCapability(GL_DEPTH_TEST, s.depthTest);
    if (changed(&a.depthFunction, s.depthFunction, v))
        glDepthFunc(s.depthFunction);
    if (changed(&a.depthMask, s.depthMask, v))
        glDepthMask(s.depthMask ? GL_TRUE : GL_FALSE);
    if (changed(&a.cullFace, s.cullFace, v))
        setCapability(GL_CULL_FACE, s.cullFace);
    if (changed(&a.cullMode, s.cullMode, v))
        glCullFace(s.cullMode);
    if (changed(&a.frontFace, s.frontFace, v))
        glFrontFace(s.frontFace);
    bool mask = false, viewport = false;
    for (int i = 0; i < 4; i++) {
        mask |= changed(&a.colourMask[i], s.colourMask[i], v);
        viewport |= changed(&a.viewport[i], s.viewport[i], v);
    }
    if (mask)
        glColorMask(s.colourMask[0], s.colourMask[1], s.colourMask[2], s.colourMask[3]);
    if (viewport)
        glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    a.valid = true;
}

// The capabilities the program switches on somewhere, and those it only
// switches off (lighting, fog, texture generation and the like: left out).
static bool* capabilityFlag(SglContext* gl, GLenum cap)
{
    ServerState& s = gl->state;
    switch (cap) {
    case GL_BLEND:
        return &s.blend;
    case GL_ALPHA_TEST:
        return &s.alphaTest;
    case GL_DEPTH_TEST:
        return &s.depthTest;
    case GL_CULL_FACE:
        return &s.cullFace;
    case GL_DITHER:
        return &s.dither;
    case GL_TEXTURE_2D:
        return &s.units[s.activeUnit].enabled;
    default:
        return nullptr;
    }
}

static bool acceptedOffOnly(GLenum cap)
{
    switch (cap) {
    case GL_LIGHTING:
    case GL_FOG:
    case GL_TEXTURE_1D:
    case GL_TEXTURE_GEN_S:
    case GL_TEXTURE_GEN_T:
    case GL_TEXTURE_GEN_R:
    case GL_TEXTURE_GEN_Q:
    case GL_AUTO_NORMAL:
    case GL_COLOR_MATERIAL:
    case GL_POINT_SMOOTH:
    case GL_LINE_SMOOTH:
    case GL_LINE_STIPPLE:
    case GL_SCISSOR_TEST:
    case GL_STENCIL_TEST:
    case GL_INDEX_LOGIC_OP:
        return true;
    default:
        return cap >= GL_CLIP_PLANE0 && cap <= GL_CLIP_PLANE5;
    }
}

static void switchCapability(SglContext* gl, GLenum cap, bool on)
{
    if (bool* flag = capabilityFlag(gl, cap)) {
        *flag = on;
        return;
    }
    // Polygon smoothing (on after every reset) has no effect on Mesa's
    // rasteriser either; normalising matters only to lighting.
    if (cap == GL_POLYGON_SMOOTH || cap == GL_NORMALIZE)
        return;
    if (!on && acceptedOffOnly(cap))
        return;
    notImplemented(gl, std::string(on ? "glEnable" : "glDisable") + "(" + std::to_string(cap) + ")");
}

void enableCapability(SglContext* gl, unsigned cap)
{
    switchCapability(gl, cap, true);
}

void disableCapability(SglContext* gl, unsigned cap)
{
    switchCapability(gl, cap, false);
}

void setBlendFunction(SglContext* gl, unsigned sfactor, unsigned dfactor)
{
    gl->state.blendSource = sfactor;
    gl->state.blendDestination = dfactor;
}

void setAlphaFunction(SglContext* gl, unsigned func, float ref)
{
    if (func < GL_NEVER || func > GL_ALWAYS) {
        recordError(gl, GL_INVALID_ENUM);
        return;
    }
    gl->state.alphaFunction = func;
    gl->state.alphaReference = ref < 0.0f ? 0.0f : ref > 1.0f ? 1.0f : ref;
}

void setDepthFunction(SglContext* gl, unsigned func)
{
    gl->state.depthFunction = func;
}

void setDepthMask(SglContext* gl, unsigned char flag)
{
    gl->state.depthMask = flag != 0;
}

void setColourMask(SglContext* gl, unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha)
{
    bool* mask = gl->state.colourMask;
    mask[0] = red != 0;
    mask[1] = green != 0;
    mask[2] = blue != 0;
    mask[3] = alpha != 0;
}

void setCullMode(SglContext* gl, unsigned mode)
{
    gl->state.cullMode = mode;
}

void setFrontFace(SglContext* gl, unsigned mode)
{
    gl->state.frontFace = mode;
}

void setShadeModel(SglContext* gl, unsigned mode)
{
    if (mode == GL_SMOOTH)
        gl->state.shadeModel = mode;
    else
        notImplemented(gl, "glShadeModel(GL_FLAT)");
}

void setViewport(SglContext* gl, int x, int y, int width, int height)
{
    if (width < 0 || height < 0) {
        recordError(gl, GL_INVALID_VALUE);
        return;
    }
    GLint* viewport = gl->state.viewport;
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = width;
    viewport[3] = height;
}

void setClearColour(SglContext* gl, float red, float green, float blue, float alpha)
{
    float* colour = gl->state.clearColour;
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = alpha;
}

void setClearDepth(SglContext* gl, double depth)
{
    gl->state.clearDepth = (float)(depth < 0.0 ? 0.0 : depth > 1.0 ? 1.0 : depth);
}

void clearBuffers(SglContext* gl, unsigned mask)
{
    if (mask & ~(unsigned)(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)) {
        notImplemented(gl, "glClear of other buffers than colour and depth");
        return;
    }
    syncRasterState(gl);
    const ServerState& s = gl->state;
    EsState& a = gl->es;
    bool colour = false;
    for (int i = 0; i < 4; i++)
        colour |= changed(&a.clearColour[i], s.clearColour[i], a.clearValid);
    if (colour)
        glClearColor(s.clearColour[0], s.clearColour[1], s.clearColour[2], s.clearColour[3]);
    if (changed(&a.clearDepth, s.clearDepth, a.clearValid))
        glClearDepthf(s.clearDepth);
    a.clearValid = true;
    glClear(mask);
}

// Hints change nothing in ES (perspective correction is always on); the
// material is read only by lighting, which is left out.
void sglHint(unsigned target, unsigned)
{
    SglContext* gl = currentContext();
    if (target != GL_PERSPECTIVE_CORRECTION_HINT)
        notImplemented(gl, "glHint(" + std::to_string(target) + ")");
}

void sglMaterialf(unsigned, unsigned, float) {}

void sglMaterialfv(unsigned, unsigned, const float*) {}

void sglStencilFunc(unsigned, int, unsigned)
{
    notImplemented(currentContext(), "the stencil test");
}

void sglStencilOp(unsigned, unsigned, unsigned)
{
    notImplemented(currentContext(), "the stencil test");
}
