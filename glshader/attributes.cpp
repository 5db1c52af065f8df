// The attribute stacks: glPushAttrib saves the whole server state and the
// sampling parameters of the bound textures, and glPopAttrib puts back the
// fields of the groups that were asked for; the client stack does the same
// for the vertex arrays and the pixel store.
#include <algorithm>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

constexpr size_t attribStackDepth = 16;

void pushAttrib(SglContext* gl, GLbitfield mask)
{
    if (gl->attribStack.size() >= attribStackDepth) {
        recordError(gl, GL_STACK_OVERFLOW);
        return;
    }
    AttribFrame frame;
    frame.mask = mask;
    frame.state = gl->state;
    for (int u = 0; u < sglUnitCount; u++)
        frame.bound[u] = *textureParameters(gl, gl->state.units[u].binding);
    gl->attribStack.push_back(frame);
}

// The texture group: active unit, bindings, enables, environments, and the
// parameters of the textures that were bound when it was saved.
static void restoreTextures(SglContext* gl, const AttribFrame& frame)
{
    ServerState& s = gl->state;
    s.activeUnit = frame.state.activeUnit;
    for (int u = 0; u < sglUnitCount; u++) {
        s.units[u] = frame.state.units[u];
        *textureParameters(gl, s.units[u].binding) = frame.bound[u];
    }
}

void popAttrib(SglContext* gl)
{
    if (gl->attribStack.empty()) {
        recordError(gl, GL_STACK_UNDERFLOW);
        return;
    }
    AttribFrame frame = gl->attribStack.back();
    gl->attribStack.pop_back();
    const ServerState& saved = frame.state;
    ServerState& s = gl->state;
    GLbitfield mask = frame.mask;

    if (mask & GL_CURRENT_BIT) {
        std::copy(saved.colour, saved.colour + 4, s.colour);
        for (int u = 0; u < sglUnitCount; u++)
            std::copy(saved.texCoord[u], saved.texCoord[u] + 4, s.texCoord[u]);
    }
    if (mask & (GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT)) {
        s.blend = saved.blend;
        s.alphaTest = saved.alphaTest;
        s.dither = saved.dither;
    }
    if (mask & (GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT))
        s.depthTest = saved.depthTest;
    if (mask & (GL_ENABLE_BIT | GL_POLYGON_BIT))
        s.cullFace = saved.cullFace;
    if (mask & GL_ENABLE_BIT)
        for (int u = 0; u < sglUnitCount; u++)
            s.units[u].enabled = saved.units[u].enabled;
    if (mask & GL_COLOR_BUFFER_BIT) {
        s.blendSource = saved.blendSource;
        s.blendDestination = saved.blendDestination;
        s.alphaFunction = saved.alphaFunction;
        s.alphaReference = saved.alphaReference;
        std::copy(saved.colourMask, saved.colourMask + 4, s.colourMask);
        std::copy(saved.clearColour, saved.clearColour + 4, s.clearColour);
    }
    if (mask & GL_DEPTH_BUFFER_BIT) {
        s.depthFunction = saved.depthFunction;
        s.depthMask = saved.depthMask;
        s.clearDepth = saved.clearDepth;
    }
    if (mask & GL_POLYGON_BIT) {
        s.cullMode = saved.cullMode;
        s.frontFace = saved.frontFace;
    }
    if (mask & GL_VIEWPORT_BIT)
        std::copy(saved.viewport, saved.viewport + 4, s.viewport);
    if (mask & GL_LIGHTING_BIT)
        s.shadeModel = saved.shadeModel;
    if (mask & GL_TEXTURE_BIT)
        restoreTextures(gl, frame);
    if (mask & GL_TRANSFORM_BIT)
        s.matrixMode = saved.matrixMode;
    if (mask & GL_PIXEL_MODE_BIT)
        s.readBuffer = saved.readBuffer;
}

void sglPushClientAttrib(unsigned mask)
{
    SglContext* gl = currentContext();
    if (gl->clientStack.size() >= attribStackDepth)
        recordError(gl, GL_STACK_OVERFLOW);
    else
        gl->clientStack.push_back(ClientFrame{mask, gl->client});
}

void sglPopClientAttrib()
{
    SglContext* gl = currentContext();
    if (gl->clientStack.empty()) {
        recordError(gl, GL_STACK_UNDERFLOW);
        return;
    }
    ClientFrame frame = gl->clientStack.back();
    gl->clientStack.pop_back();
    ClientState& c = gl->client;
    if (frame.mask & GL_CLIENT_VERTEX_ARRAY_BIT) {
        c.vertex = frame.state.vertex;
        c.colour = frame.state.colour;
        for (int u = 0; u < sglUnitCount; u++)
            c.texCoord[u] = frame.state.texCoord[u];
        c.normalEnabled = frame.state.normalEnabled;
        c.clientUnit = frame.state.clientUnit;
    }
    if (frame.mask & GL_CLIENT_PIXEL_STORE_BIT)
        c.packAlignment = frame.state.packAlignment;
}
