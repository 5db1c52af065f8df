// Drawing a batch of triangles on the ES context: the program for the
// current state, its uniforms (the model-view-projection product and the
// texture matrices), the vertex attributes streamed into one buffer, and
// the 32-bit indices.
#include <algorithm>
#include <cstring>

#include "glshader/context.h"

void initDrawing(SglContext* gl)
{
    glGenBuffers(1, &gl->vertexBuffer);
    glGenBuffers(1, &gl->indexBuffer);
}

void releaseDrawing(SglContext* gl)
{
    glDeleteBuffers(1, &gl->vertexBuffer);
    glDeleteBuffers(1, &gl->indexBuffer);
}

// The bytes an array source spans for count vertices.
static size_t spanBytes(const AttributeSource& source, uint32_t count)
{
    return (size_t)source.stride * (count - 1) + (size_t)source.size * sizeof(float);
}

// Streams the array sources into the vertex buffer, each byte once:
// ranges that overlap or touch are merged (immediate mode interleaves all
// attributes in one array of vertices), and the attributes point into the
// merged ranges. Sources without an array get their one value.
static void sendAttributes(SglContext* gl, const AttributeSource sources[attributeCount], uint32_t count)
{
    struct Range {
        uintptr_t begin, end;  // addresses in client memory
        size_t offset;         // in the buffer
    } ranges[attributeCount];
    int rangeCount = 0;
    for (int i = 0; i < attributeCount; i++) {
        if (!sources[i].data)
            continue;
        uintptr_t begin = (uintptr_t)sources[i].data;
        Range added = {begin, begin + spanBytes(sources[i], count), 0};
        // Absorb every range that meets the new one.
        for (int r = 0; r < rangeCount;) {
            if (ranges[r].begin <= added.end && added.begin <= ranges[r].end) {
                added.begin = std::min(added.begin, ranges[r].begin);
                added.end = std::max(added.end, ranges[r].end);
                ranges[r] = ranges[--rangeCount];
            } else {
                r++;
            }
        }
        ranges[rangeCount++] = added;
    }
    size_t total = 0;
    for (int r = 0; r < rangeCount; r++) {
        ranges[r].offset = total;
        total += ranges[r].end - ranges[r].begin;
    }
    glBindBuffer(GL_ARRAY_BUFFER, gl->vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)total, nullptr, GL_STREAM_DRAW);
    for (int r = 0; r < rangeCount; r++)
        glBufferSubData(GL_ARRAY_BUFFER, (GLintptr)ranges[r].offset, (GLsizeiptr)(ranges[r].end - ranges[r].begin),
                        (const void*)ranges[r].begin);
    for (int i = 0; i < attributeCount; i++) {
        if (!sources[i].data) {
            glDisableVertexAttribArray(i);
            glVertexAttrib4fv(i, sources[i].constant);
            continue;
        }
        uintptr_t begin = (uintptr_t)sources[i].data;
        int r = 0;
        while (!(begin >= ranges[r].begin && begin < ranges[r].end))
            r++;
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, sources[i].size, GL_FLOAT, GL_FALSE, sources[i].stride,
                              (const void*)(ranges[r].offset + (begin - ranges[r].begin)));
    }
}

void drawTriangles(SglContext* gl, const AttributeSource sources[attributeCount], uint32_t vertexCount)
{
    if (gl->triangles.empty() || vertexCount == 0)
        return;
    const ShaderProgram* program = programForState(gl);
    if (!program)
        return;
    syncRasterState(gl);
    glUseProgram(program->program);
    Mat4 mvp = multiplyMatrices(gl->projection.entries.back(), gl->modelview.entries.back());
    glUniformMatrix4fv(program->modelViewProjection, 1, GL_FALSE, mvp.m);
    for (int u = 0; u < sglUnitCount; u++)
        if (program->textureMatrix[u] >= 0)
            glUniformMatrix4fv(program->textureMatrix[u], 1, GL_FALSE, gl->texture[u].entries.back().m);
    if (program->alphaReference >= 0)
        glUniform1f(program->alphaReference, gl->state.alphaReference);

    // Coordinates of units the program does not sample are not sent.
    AttributeSource used[attributeCount];
    std::memcpy(used, sources, sizeof used);
    for (int u = 0; u < sglUnitCount; u++)
        if (program->textureMatrix[u] < 0)
            used[2 + u].data = nullptr;
    sendAttributes(gl, used, vertexCount);

    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl->indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(gl->triangles.size() * sizeof(uint32_t)), gl->triangles.data(),
                 GL_STREAM_DRAW);
    glDrawElements(GL_TRIANGLES, (GLsizei)gl->triangles.size(), GL_UNSIGNED_INT, nullptr);
}
