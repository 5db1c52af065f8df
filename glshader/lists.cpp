// Display lists, compile mode only: what the program records in them
// (primitives with their vertices, colours and texture coordinates,
// translations, attribute pushes and pops, and indexed arrays read at
// recording time) is stored and replayed by glCallList.
#include <algorithm>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

bool refusedInList(SglContext* gl, const char* name)
{
    if (!gl->compiling)
        return false;
    notImplemented(gl, std::string(name) + " in a display list");
    return true;
}

void recordListOp(SglContext* gl, ListOpCode code, GLenum value, float a, float b, float c, float d)
{
    gl->lists[gl->compiling - 1].ops.push_back(ListOp{code, value, {a, b, c, d}});
}

unsigned sglGenLists(int range)
{
    SglContext* gl = currentContext();
    if (range < 0) {
        recordError(gl, GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0)
        return 0;
    GLuint first = (GLuint)gl->lists.size() + 1;
    gl->lists.resize(gl->lists.size() + (size_t)range, DisplayList{true, {}});
    return first;
}

void sglNewList(unsigned list, unsigned mode)
{
    SglContext* gl = currentContext();
    if (list == 0) {
        recordError(gl, GL_INVALID_VALUE);
        return;
    }
    if (gl->compiling || gl->inBegin) {
        recordError(gl, GL_INVALID_OPERATION);
        return;
    }
    if (mode != GL_COMPILE) {
        notImplemented(gl, "glNewList(GL_COMPILE_AND_EXECUTE)");
        return;
    }
    if (list > gl->lists.size())
        gl->lists.resize(list, DisplayList{false, {}});
    gl->lists[list - 1] = DisplayList{true, {}};
    gl->compiling = list;
}

void sglEndList()
{
    SglContext* gl = currentContext();
    if (!gl->compiling)
        recordError(gl, GL_INVALID_OPERATION);
    gl->compiling = 0;
}

void sglCallList(unsigned list)
{
    SglContext* gl = currentContext();
    if (refusedInList(gl, "glCallList") || list == 0 || list > gl->lists.size())
        return;
    const std::vector<ListOp>& ops = gl->lists[list - 1].ops;  // nothing replayed records
    for (const ListOp& op : ops) {
        switch (op.code) {
        case LIST_BEGIN:
            beginPrimitive(gl, op.value);
            break;
        case LIST_END:
            endPrimitive(gl);
            break;
        case LIST_VERTEX:
            emitVertex(gl, op.v[0], op.v[1], op.v[2]);
            break;
        case LIST_COLOUR:
            std::copy(op.v, op.v + 4, gl->state.colour);
            break;
        case LIST_TEX_COORD:
            std::copy(op.v, op.v + 4, gl->state.texCoord[op.value]);
            break;
        case LIST_TRANSLATE:
            translateCurrent(gl, op.v[0], op.v[1], op.v[2]);
            break;
        case LIST_PUSH_ATTRIB:
            pushAttrib(gl, op.value);
            break;
        case LIST_POP_ATTRIB:
            popAttrib(gl);
            break;
        }
    }
}
