// What the entry points do while a display list records, each named once
// in the table below, and how a call is stored in a list and run again.
#pragma once
#include <cstdint>
#include <cstring>
#include <utility>

struct SglContext;

// The entry points OpenGL would store in a display list, as
// X(entry point, run, parameters, arguments):
// - RECORDED: stored with its arguments while a list records, run by
//   glCallList;
// - REFUSED: while a list records, GL_INVALID_ENUM, named once on standard
//   error (the program never records it).
// Otherwise the entry point sName calls run(context, arguments...), the
// backend's function that does its work. lists.cpp defines the entry points
// from the table; run is defined where its state lives.
//
// Every other entry point runs at once, also while a list records: those
// OpenGL runs at once as well (client state and arrays, queries,
// read-back, the list commands; glDrawElements stores the vertices it
// reads, vertices.cpp), and those that ignore their arguments or always
// refuse them (normals, materials, hints, stencil, coordinate generation).
#define SGL_LIST_CALLS(RECORDED, REFUSED)                                                                          \
    RECORDED(glBegin, beginPrimitive, (unsigned mode), (mode))                                                     \
    RECORDED(glEnd, endPrimitive, (), ())                                                                          \
    RECORDED(glVertex3f, emitVertex, (float x, float y, float z), (x, y, z))                                       \
    RECORDED(glColor4f, setColour, (float red, float green, float blue, float alpha), (red, green, blue, alpha))   \
    RECORDED(glTexCoord2f, texCoord2, (float s, float t), (s, t))                                                  \
    RECORDED(glMultiTexCoord2f, multiTexCoord2, (unsigned target, float s, float t), (target, s, t))               \
    RECORDED(glTranslatef, translateCurrent, (float x, float y, float z), (x, y, z))                               \
    RECORDED(glPushAttrib, pushAttrib, (unsigned mask), (mask))                                                    \
    RECORDED(glPopAttrib, popAttrib, (), ())                                                                       \
    REFUSED(glCallList, callList, (unsigned list), (list))                                                         \
    REFUSED(glEnable, enableCapability, (unsigned cap), (cap))                                                     \
    REFUSED(glDisable, disableCapability, (unsigned cap), (cap))                                                   \
    REFUSED(glMatrixMode, setMatrixMode, (unsigned mode), (mode))                                                  \
    REFUSED(glLoadIdentity, loadIdentity, (), ())                                                                  \
    REFUSED(glPushMatrix, pushMatrix, (), ())                                                                      \
    REFUSED(glPopMatrix, popMatrix, (), ())                                                                        \
    REFUSED(glScalef, scaleCurrent, (float x, float y, float z), (x, y, z))                                        \
    REFUSED(glRotatef, rotateCurrent, (float angle, float x, float y, float z), (angle, x, y, z))                  \
    REFUSED(glOrtho, multiplyOrtho,                                                                                \
            (double left, double right, double bottom, double top, double zNear, double zFar),                     \
            (left, right, bottom, top, zNear, zFar))                                                               \
    REFUSED(gluPerspective, multiplyPerspective, (double fovy, double aspect, double zNear, double zFar),          \
            (fovy, aspect, zNear, zFar))                                                                           \
    REFUSED(gluLookAt, multiplyLookAt,                                                                             \
            (double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ, double upX,    \
             double upY, double upZ),                                                                              \
            (eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ))                                          \
    REFUSED(glBlendFunc, setBlendFunction, (unsigned sfactor, unsigned dfactor), (sfactor, dfactor))               \
    REFUSED(glAlphaFunc, setAlphaFunction, (unsigned func, float ref), (func, ref))                                \
    REFUSED(glDepthFunc, setDepthFunction, (unsigned func), (func))                                                \
    REFUSED(glDepthMask, setDepthMask, (unsigned char flag), (flag))                                               \
    REFUSED(glColorMask, setColourMask,                                                                            \
            (unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha),                     \
            (red, green, blue, alpha))                                                                             \
    REFUSED(glCullFace, setCullMode, (unsigned mode), (mode))                                                      \
    REFUSED(glFrontFace, setFrontFace, (unsigned mode), (mode))                                                    \
    REFUSED(glShadeModel, setShadeModel, (unsigned mode), (mode))                                                  \
    REFUSED(glViewport, setViewport, (int x, int y, int width, int height), (x, y, width, height))                 \
    REFUSED(glClearColor, setClearColour, (float red, float green, float blue, float alpha),                       \
            (red, green, blue, alpha))                                                                             \
    REFUSED(glClearDepth, setClearDepth, (double depth), (depth))                                                  \
    REFUSED(glClear, clearBuffers, (unsigned mask), (mask))                                                        \
    REFUSED(glReadBuffer, setReadBuffer, (unsigned mode), (mode))                                                  \
    REFUSED(glActiveTexture, setActiveUnit, (unsigned texture), (texture))                                         \
    REFUSED(glBindTexture, bindTexture, (unsigned target, unsigned texture), (target, texture))                    \
    REFUSED(glTexImage2D, uploadTexture,                                                                           \
            (unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,   \
             unsigned type, const void* pixels),                                                                   \
            (target, level, internalFormat, width, height, border, format, type, pixels))                          \
    REFUSED(glTexParameteri, setTextureParameter, (unsigned target, unsigned pname, int param),                    \
            (target, pname, param))                                                                                \
    REFUSED(glCopyTexSubImage2D, copyIntoTexture,                                                                  \
            (unsigned target, int level, int xoffset, int yoffset, int x, int y, int width, int height),           \
            (target, level, xoffset, yoffset, x, y, width, height))                                                \
    REFUSED(glTexEnvi, setEnvironment, (unsigned target, unsigned pname, int param), (target, pname, param))      \
    REFUSED(glTexEnvfv, setEnvironmentColour, (unsigned target, unsigned pname, const float* params),              \
            (target, pname, params))

// ", a, b" from "(a, b)", nothing from "()": the context first, then the
// parameters or arguments of a line of the table.
#define SGL_AFTER_CONTEXT(...) __VA_OPT__(, ) __VA_ARGS__

#define SGL_DECLARE_RUN(entry, run, parameters, arguments) void run(SglContext* gl SGL_AFTER_CONTEXT parameters);
SGL_LIST_CALLS(SGL_DECLARE_RUN, SGL_DECLARE_RUN)
#undef SGL_DECLARE_RUN

// A call stored in a display list: replay runs it on the context with the
// arguments, each kept as the 32 bits of its value.
constexpr int listArgumentCount = 5;

struct ListOp {
    void (*replay)(SglContext* gl, const uint32_t* arguments);
    uint32_t arguments[listArgumentCount];
};

// Appends op to the list being recorded.
void appendListOp(SglContext* gl, const ListOp& op);

template <typename T>
uint32_t listArgument(T value)
{
    static_assert(sizeof(T) == sizeof(uint32_t), "a list stores arguments of 32 bits");
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template <typename T>
T listArgumentValue(uint32_t bits)
{
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// ListCall<run>::record(gl, arguments...) stores a call of run in the list
// being recorded; glCallList runs it with the same arguments.
template <auto run>
struct ListCall;

template <typename... P, void (*run)(SglContext*, P...)>
struct ListCall<run> {
    static_assert(sizeof...(P) <= listArgumentCount, "a list stores up to listArgumentCount arguments");

    static void replay(SglContext* gl, const uint32_t* arguments)
    {
        [&]<size_t... I>(std::index_sequence<I...>) {
            run(gl, listArgumentValue<P>(arguments[I])...);
        }(std::index_sequence_for<P...>{});
    }

    static void record(SglContext* gl, P... arguments)
    {
        appendListOp(gl, ListOp{replay, {listArgument(arguments)...}});
    }
};
