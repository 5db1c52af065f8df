// Vertices: immediate mode (glBegin ... glEnd with the current colour and
// texture coordinates), the client arrays, glDrawElements with 32-bit
// indices, and the split of quads, polygons, fans and strips into the
// triangles ES draws; both kinds of vertices reach the draw as struct
// Vertex, the one layout the vertex buffer holds.
#include <algorithm>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

// Quads and polygons are split as Mesa splits them, so that colours and
// coordinates interpolate the same way in both backends: a polygon as a fan
// around its first vertex, a quad of immediate mode along its first
// diagonal, a quad of glDrawElements along its second.
bool appendTriangles(GLenum mode, const uint32_t* indices, uint32_t count, std::vector<uint32_t>* triangles)
{
    auto at = [indices](uint32_t i) { return indices ? indices[i] : i; };
    auto add = [&](uint32_t a, uint32_t b, uint32_t c) {
        triangles->push_back(at(a));
        triangles->push_back(at(b));
        triangles->push_back(at(c));
    };
    switch (mode) {
    case GL_TRIANGLES:
        for (uint32_t i = 0; i + 2 < count; i += 3)
            add(i, i + 1, i + 2);
        return true;
    case GL_TRIANGLE_STRIP:
        for (uint32_t i = 0; i + 2 < count; i++) {
            if (i % 2 == 0)
                add(i, i + 1, i + 2);
            else
                add(i + 1, i, i + 2);
        }
        return true;
    case GL_TRIANGLE_FAN:
        for (uint32_t i = 1; i + 1 < count; i++)
            add(0, i, i + 1);
        return true;
    case GL_QUADS:
        for (uint32_t i = 0; i + 3 < count; i += 4) {
            if (indices) {
                add(i, i + 1, i + 3);
                add(i + 1, i + 2, i + 3);
            } else {
                add(i, i + 1, i + 2);
                add(i, i + 2, i + 3);
            }
        }
        return true;
    case GL_POLYGON:
        for (uint32_t i = 1; i + 1 < count; i++)
            add(i, i + 1, 0);
        return true;
    default:
        return false;
    }
}

void beginPrimitive(SglContext* gl, GLenum mode)
{
    if (gl->inBegin) {
        recordError(gl, GL_INVALID_OPERATION);
        return;
    }
    gl->inBegin = true;
    gl->primitive = mode;
    gl->vertices.clear();
}

void emitVertex(SglContext* gl, float x, float y, float z)
{
    if (!gl->inBegin)
        return;
    Vertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = 1.0f;
    std::copy(gl->state.colour, gl->state.colour + 4, v.colour);
    for (int u = 0; u < sglUnitCount; u++)
        std::copy(gl->state.texCoord[u], gl->state.texCoord[u] + 4, v.texCoord[u]);
    gl->vertices.push_back(v);
}

void endPrimitive(SglContext* gl)
{
    if (!gl->inBegin) {
        recordError(gl, GL_INVALID_OPERATION);
        return;
    }
    gl->inBegin = false;
    gl->triangles.clear();
    if (!appendTriangles(gl->primitive, nullptr, (uint32_t)gl->vertices.size(), &gl->triangles)) {
        notImplemented(gl, "glBegin(" + std::to_string(gl->primitive) + ")");
        return;
    }
    // Each triangle gets vertices of its own: a primitive of immediate mode
    // is small, and unindexed it needs no index upload.
    std::vector<Vertex>& expanded = gl->drawVertices;
    expanded.resize(gl->triangles.size());
    for (size_t i = 0; i < gl->triangles.size(); i++)
        expanded[i] = gl->vertices[gl->triangles[i]];
    drawTriangles(gl, expanded.data(), (uint32_t)expanded.size(), nullptr, 0);
}

void sglVertex2f(float x, float y)
{
    sglVertex3f(x, y, 0.0f);
}

void sglVertex3fv(const float* v)
{
    sglVertex3f(v[0], v[1], v[2]);
}

void sglVertex3d(double x, double y, double z)
{
    sglVertex3f((float)x, (float)y, (float)z);
}

void sglVertex3dv(const double* v)
{
    sglVertex3f((float)v[0], (float)v[1], (float)v[2]);
}

void setColour(SglContext* gl, float red, float green, float blue, float alpha)
{
    float* colour = gl->state.colour;
    colour[0] = red;
    colour[1] = green;
    colour[2] = blue;
    colour[3] = alpha;
}

void setTexCoord(SglContext* gl, int unit, float s, float t, float r, float q)
{
    float* texCoord = gl->state.texCoord[unit];
    texCoord[0] = s;
    texCoord[1] = t;
    texCoord[2] = r;
    texCoord[3] = q;
}

void texCoord2(SglContext* gl, float s, float t)
{
    setTexCoord(gl, 0, s, t, 0.0f, 1.0f);
}

void multiTexCoord2(SglContext* gl, unsigned target, float s, float t)
{
    if (target < GL_TEXTURE0 || target >= GL_TEXTURE0 + sglUnitCount)
        recordError(gl, GL_INVALID_ENUM);
    else
        setTexCoord(gl, (int)(target - GL_TEXTURE0), s, t, 0.0f, 1.0f);
}

// Normals matter only to lighting, which is left out.
void sglNormal3d(double, double, double) {}

void sglNormal3fv(const float*) {}

void sglNormalPointer(unsigned, int, const void*) {}

void sglEnableClientState(unsigned cap)
{
    SglContext* gl = currentContext();
    ClientState& c = gl->client;
    if (cap == GL_VERTEX_ARRAY)
        c.vertex.enabled = true;
    else if (cap == GL_COLOR_ARRAY)
        c.colour.enabled = true;
    else if (cap == GL_TEXTURE_COORD_ARRAY)
        c.texCoord[c.clientUnit].enabled = true;
    else if (cap == GL_NORMAL_ARRAY)
        c.normalEnabled = true;
    else
        notImplemented(gl, "glEnableClientState(" + std::to_string(cap) + ")");
}

static void setPointer(SglContext* gl, ClientArray* array, int size, unsigned type, int stride, const void* pointer,
                       const char* name)
{
    if (type != GL_FLOAT) {
        notImplemented(gl, std::string(name) + " of other than floats");
        return;
    }
    if (size < 1 || size > 4 || stride < 0) {
        recordError(gl, GL_INVALID_VALUE);
        return;
    }
    array->size = size;
    array->stride = stride;
    array->pointer = (const float*)pointer;
}

void sglVertexPointer(int size, unsigned type, int stride, const void* pointer)
{
    SglContext* gl = currentContext();
    setPointer(gl, &gl->client.vertex, size, type, stride, pointer, "glVertexPointer");
}

void sglColorPointer(int size, unsigned type, int stride, const void* pointer)
{
    SglContext* gl = currentContext();
    setPointer(gl, &gl->client.colour, size, type, stride, pointer, "glColorPointer");
}

void sglTexCoordPointer(int size, unsigned type, int stride, const void* pointer)
{
    SglContext* gl = currentContext();
    setPointer(gl, &gl->client.texCoord[gl->client.clientUnit], size, type, stride, pointer, "glTexCoordPointer");
}

static const float* element(const ClientArray& array, uint32_t index)
{
    GLsizei stride = array.stride ? array.stride : array.size * (GLsizei)sizeof(float);
    return (const float*)((const char*)array.pointer + (size_t)stride * index);
}

// In a display list the arrays are read now and stored as the calls of
// immediate mode that give the same vertices.
static void recordElements(SglContext* gl, GLenum mode, const uint32_t* indices, int count)
{
    const ClientState& c = gl->client;
    ListCall<beginPrimitive>::record(gl, mode);
    for (int i = 0; i < count; i++) {
        float v[4] = {0, 0, 0, 1};
        if (c.colour.enabled) {
            std::copy(element(c.colour, indices[i]), element(c.colour, indices[i]) + c.colour.size, v);
            ListCall<setColour>::record(gl, v[0], v[1], v[2], v[3]);
        }
        for (int u = 0; u < sglUnitCount; u++) {
            if (!c.texCoord[u].enabled)
                continue;
            float t[4] = {0, 0, 0, 1};
            std::copy(element(c.texCoord[u], indices[i]), element(c.texCoord[u], indices[i]) + c.texCoord[u].size, t);
            ListCall<setTexCoord>::record(gl, u, t[0], t[1], t[2], t[3]);
        }
        float p[4] = {0, 0, 0, 1};
        std::copy(element(c.vertex, indices[i]), element(c.vertex, indices[i]) + c.vertex.size, p);
        ListCall<emitVertex>::record(gl, p[0], p[1], p[2]);
    }
    ListCall<endPrimitive>::record(gl);
}

// Element index of an array into dst (components it lacks as OpenGL
// fills them: 0, 0, 1 for the last), or the current value when the array is
// off.
static void fetch(const ClientArray& array, uint32_t index, const float* current, float dst[4])
{
    if (!array.enabled) {
        std::copy(current, current + 4, dst);
        return;
    }
    const float defaults[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    std::copy(defaults, defaults + 4, dst);
    const float* e = element(array, index);
    std::copy(e, e + array.size, dst);
}

void sglDrawElements(unsigned mode, int count, unsigned type, const void* indices)
{
    SglContext* gl = currentContext();
    if (type != GL_UNSIGNED_INT) {
        notImplemented(gl, "glDrawElements with other than 32-bit indices");
        return;
    }
    if (count < 0) {
        recordError(gl, GL_INVALID_VALUE);
        return;
    }
    const ClientState& c = gl->client;
    const uint32_t* index = (const uint32_t*)indices;
    if (!c.vertex.enabled || count == 0)
        return;
    if (gl->compiling) {
        recordElements(gl, mode, index, count);
        return;
    }
    gl->triangles.clear();
    if (!appendTriangles(mode, index, (uint32_t)count, &gl->triangles)) {
        notImplemented(gl, "glDrawElements(" + std::to_string(mode) + ")");
        return;
    }
    if (gl->triangles.empty())
        return;
    // The arrays' elements from the lowest index used to the highest, in
    // the one vertex layout.
    uint32_t lowest = *std::min_element(gl->triangles.begin(), gl->triangles.end());
    uint32_t highest = *std::max_element(gl->triangles.begin(), gl->triangles.end());
    std::vector<Vertex>& vertices = gl->drawVertices;
    vertices.resize(highest - lowest + 1);
    for (uint32_t i = lowest; i <= highest; i++) {
        Vertex& v = vertices[i - lowest];
        fetch(c.vertex, i, nullptr, v.position);
        fetch(c.colour, i, gl->state.colour, v.colour);
        for (int u = 0; u < sglUnitCount; u++)
            fetch(c.texCoord[u], i, gl->state.texCoord[u], v.texCoord[u]);
    }
    for (uint32_t& i : gl->triangles)
        i -= lowest;
    drawTriangles(gl, vertices.data(), (uint32_t)vertices.size(), gl->triangles.data(),
                  (uint32_t)gl->triangles.size());
}
