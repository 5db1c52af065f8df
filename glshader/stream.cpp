// The buffers every draw streams through: vertices (struct Vertex, the one
// layout of every draw) and 32-bit indices, each one buffer written with
// glBufferSubData at advancing offsets and orphaned only when a write does
// not fit (what is cheap in WebGL 2, which has no glMapBufferRange); and the
// vertex array whose attributes read the vertex buffer from its start, so
// that a draw names its first vertex instead of moving the pointers.
#include <cstddef>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

static void initStream(StreamBuffer* stream, GLenum target, size_t capacity)
{
    stream->target = target;
    stream->capacity = capacity;
    stream->used = 0;
    glGenBuffers(1, &stream->buffer);
}

void initStreams(SglContext* gl)
{
    glGenVertexArrays(1, &gl->vertexArray);
    initStream(&gl->vertexStream, GL_ARRAY_BUFFER, sglVertexStreamBytes);
    initStream(&gl->indexStream, GL_ELEMENT_ARRAY_BUFFER, sglVertexStreamBytes / 4);
    bindVertexArray(gl);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)gl->vertexStream.capacity, nullptr, GL_STREAM_DRAW);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)gl->indexStream.capacity, nullptr, GL_STREAM_DRAW);
}

void releaseStreams(SglContext* gl)
{
    glDeleteVertexArrays(1, &gl->vertexArray);
    glDeleteBuffers(1, &gl->vertexStream.buffer);
    glDeleteBuffers(1, &gl->indexStream.buffer);
}

// The attributes of the generated shaders (position, colour, one set of
// coordinates per unit) over the vertex buffer; the index buffer is the
// vertex array's. Done again after the state is forgotten, in case other
// code changed the vertex array while it was bound.
void bindVertexArray(SglContext* gl)
{
    if (gl->es.vertexArray)
        return;
    glBindVertexArray(gl->vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, gl->vertexStream.buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gl->indexStream.buffer);
    const size_t offsets[attributeCount] = {offsetof(Vertex, position), offsetof(Vertex, colour),
                                            offsetof(Vertex, texCoord[0]), offsetof(Vertex, texCoord[1])};
    for (int i = 0; i < attributeCount; i++) {
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), (const void*)offsets[i]);
    }
    gl->es.vertexArray = true;
}

size_t streamWrite(StreamBuffer* stream, const void* data, size_t bytes)
{
    if (stream->used + bytes > stream->capacity) {
        while (stream->capacity < bytes)
            stream->capacity *= 2;
        glBufferData(stream->target, (GLsizeiptr)stream->capacity, nullptr, GL_STREAM_DRAW);
        stream->used = 0;
    }
    size_t offset = stream->used;
    glBufferSubData(stream->target, (GLintptr)offset, (GLsizeiptr)bytes, data);
    stream->used += bytes;
    return offset;
}
