// Display lists, compile mode only: the list commands, and the entry points
// of list_calls.h, which store the calls the program records (primitives
// with their vertices, colours and texture coordinates, translations,
// attribute pushes and pops), refuse those it never records, and run
// either at once when no list records. glCallList replays what was stored.
#include <string>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

void appendListOp(SglContext* gl, const ListOp& op)
{
    gl->lists[gl->compiling - 1].ops.push_back(op);
}

namespace {

template <auto run, typename... A>
void recordOrRun(SglContext* gl, A... arguments)
{
    if (gl->compiling)
        ListCall<run>::record(gl, arguments...);
    else
        run(gl, arguments...);
}

template <auto run, typename... A>
void refuseOrRun(SglContext* gl, const char* name, A... arguments)
{
    if (gl->compiling)
        notImplemented(gl, std::string(name) + " in a display list");
    else
        run(gl, arguments...);
}

}  // namespace

#define SGL_RECORDED_ENTRY(entry, run, parameters, arguments)                                                      \
    void s##entry parameters                                                                                       \
    {                                                                                                              \
        recordOrRun<run>(currentContext() SGL_AFTER_CONTEXT arguments);                                            \
    }
#define SGL_REFUSED_ENTRY(entry, run, parameters, arguments)                                                       \
    void s##entry parameters                                                                                       \
    {                                                                                                              \
        refuseOrRun<run>(currentContext(), #entry SGL_AFTER_CONTEXT arguments);                                    \
    }
SGL_LIST_CALLS(SGL_RECORDED_ENTRY, SGL_REFUSED_ENTRY)
#undef SGL_RECORDED_ENTRY
#undef SGL_REFUSED_ENTRY

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

void callList(SglContext* gl, unsigned list)
{
    if (list == 0 || list > gl->lists.size())
        return;
    // What runs here records nothing: the entry points are not called.
    for (const ListOp& op : gl->lists[list - 1].ops)
        op.replay(gl, op.arguments);
}
