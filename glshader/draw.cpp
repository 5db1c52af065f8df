// Drawing a batch of triangles on the ES context: the program for the
// current state, its uniforms (the model-view-projection product, the
// texture matrices, the alpha reference) sent when they differ from what
// the program holds, the textures of the units it samples, and the
// vertices streamed in the one layout; indices only when vertices are
// shared, otherwise the triangles are the vertices taken three at a time.
#include <cstring>

#include "glshader/context.h"

void initDrawing(SglContext* gl)
{
    initStreams(gl);
}

void releaseDrawing(SglContext* gl)
{
    releaseStreams(gl);
}

static bool sameMatrix(const Mat4& a, const Mat4& b)
{
    return std::memcmp(a.m, b.m, sizeof a.m) == 0;
}

static void sendUniforms(SglContext* gl, ShaderProgram* program)
{
    bool sent = program->sent;
    Mat4 mvp = multiplyMatrices(gl->projection.entries.back(), gl->modelview.entries.back());
    if (!sent || !sameMatrix(mvp, program->sentModelViewProjection)) {
        glUniformMatrix4fv(program->modelViewProjection, 1, GL_FALSE, mvp.m);
        program->sentModelViewProjection = mvp;
    }
    for (int u = 0; u < sglUnitCount; u++) {
        const Mat4& texture = gl->texture[u].entries.back();
        if (program->textureMatrix[u] >= 0 && (!sent || !sameMatrix(texture, program->sentTextureMatrix[u]))) {
            glUniformMatrix4fv(program->textureMatrix[u], 1, GL_FALSE, texture.m);
            program->sentTextureMatrix[u] = texture;
        }
    }
    float reference = gl->state.alphaReference;
    if (program->alphaReference >= 0 && (!sent || program->sentAlphaReference != reference)) {
        glUniform1f(program->alphaReference, reference);
        program->sentAlphaReference = reference;
    }
    program->sent = true;
}

void drawTriangles(SglContext* gl, const Vertex* vertices, uint32_t vertexCount, const uint32_t* indices,
                   uint32_t indexCount)
{
    uint32_t count = indices ? indexCount : vertexCount;
    if (count < 3)
        return;
    ShaderProgram* program = programForState(gl);
    if (!program)
        return;
    syncRasterState(gl);
    for (int u = 0; u < sglUnitCount; u++)
        if (program->textureMatrix[u] >= 0)
            esSyncUnit(gl, u);
    esUseProgram(gl, program->program);
    sendUniforms(gl, program);

    bindVertexArray(gl);
    size_t offset = streamWrite(&gl->vertexStream, vertices, vertexCount * sizeof(Vertex));
    uint32_t first = (uint32_t)(offset / sizeof(Vertex));
    if (!indices) {
        glDrawArrays(GL_TRIANGLES, (GLint)first, (GLsizei)count);
        return;
    }
    // ES 3.0 has no base vertex: the indices are moved to where the
    // vertices landed.
    std::vector<uint32_t>& moved = gl->drawIndices;
    moved.resize(count);
    for (uint32_t i = 0; i < count; i++)
        moved[i] = indices[i] + first;
    size_t indexOffset = streamWrite(&gl->indexStream, moved.data(), count * sizeof(uint32_t));
    glDrawElements(GL_TRIANGLES, (GLsizei)count, GL_UNSIGNED_INT, (const void*)indexOffset);
}
