// The table of OpenGL and GLU entry points the program draws with: one
// pointer per function it calls, filled either with the system's libGL and
// libGLU (the fixed-function backend) or with the shader backend of
// glshader/. Product code includes platform/gl_api.h, whose macros route every
// call through this table; only the files that fill it include this one
// alone.
#pragma once
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glext.h>  // Windows' gl.h stops at OpenGL 1.1

// X(result, name, parameters) for each glName the program calls (and
// glCallList, which replays the display lists it records); the shader
// backend's function is sglName.
#define GL_API_FUNCTIONS(X)                                                                                    \
    X(void, AlphaFunc, (GLenum func, GLclampf ref))                                                            \
    X(void, Begin, (GLenum mode))                                                                              \
    X(void, BindTexture, (GLenum target, GLuint texture))                                                      \
    X(void, BlendFunc, (GLenum sfactor, GLenum dfactor))                                                       \
    X(void, CallList, (GLuint list))                                                                           \
    X(void, Clear, (GLbitfield mask))                                                                          \
    X(void, ClearColor, (GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha))                         \
    X(void, ClearDepth, (GLclampd depth))                                                                      \
    X(void, Color4f, (GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha))                                \
    X(void, ColorMask, (GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha))                      \
    X(void, ColorPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer))                    \
    X(void, CopyTexSubImage2D,                                                                                 \
      (GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y, GLsizei width, GLsizei height)) \
    X(void, CullFace, (GLenum mode))                                                                           \
    X(void, DepthFunc, (GLenum func))                                                                          \
    X(void, DepthMask, (GLboolean flag))                                                                       \
    X(void, Disable, (GLenum cap))                                                                             \
    X(void, DrawElements, (GLenum mode, GLsizei count, GLenum type, const GLvoid* indices))                    \
    X(void, Enable, (GLenum cap))                                                                              \
    X(void, EnableClientState, (GLenum cap))                                                                   \
    X(void, End, (void))                                                                                       \
    X(void, EndList, (void))                                                                                   \
    X(void, Finish, (void))                                                                                    \
    X(void, FrontFace, (GLenum mode))                                                                          \
    X(GLuint, GenLists, (GLsizei range))                                                                       \
    X(void, GenTextures, (GLsizei n, GLuint* textures))                                                        \
    X(GLenum, GetError, (void))                                                                                \
    X(void, GetFloatv, (GLenum pname, GLfloat* params))                                                        \
    X(void, GetIntegerv, (GLenum pname, GLint* params))                                                        \
    X(const GLubyte*, GetString, (GLenum name))                                                                \
    X(void, Hint, (GLenum target, GLenum mode))                                                                \
    X(void, LoadIdentity, (void))                                                                              \
    X(void, Materialf, (GLenum face, GLenum pname, GLfloat param))                                             \
    X(void, Materialfv, (GLenum face, GLenum pname, const GLfloat* params))                                    \
    X(void, MatrixMode, (GLenum mode))                                                                         \
    X(void, NewList, (GLuint list, GLenum mode))                                                               \
    X(void, Normal3d, (GLdouble nx, GLdouble ny, GLdouble nz))                                                 \
    X(void, Normal3fv, (const GLfloat* v))                                                                     \
    X(void, NormalPointer, (GLenum type, GLsizei stride, const GLvoid* pointer))                               \
    X(void, Ortho, (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)) \
    X(void, PixelStorei, (GLenum pname, GLint param))                                                          \
    X(void, PopAttrib, (void))                                                                                 \
    X(void, PopClientAttrib, (void))                                                                           \
    X(void, PopMatrix, (void))                                                                                 \
    X(void, PushAttrib, (GLbitfield mask))                                                                     \
    X(void, PushClientAttrib, (GLbitfield mask))                                                               \
    X(void, PushMatrix, (void))                                                                                \
    X(void, ReadBuffer, (GLenum mode))                                                                         \
    X(void, ReadPixels, (GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels)) \
    X(void, Rotatef, (GLfloat angle, GLfloat x, GLfloat y, GLfloat z))                                         \
    X(void, Scalef, (GLfloat x, GLfloat y, GLfloat z))                                                         \
    X(void, ShadeModel, (GLenum mode))                                                                         \
    X(void, StencilFunc, (GLenum func, GLint ref, GLuint mask))                                                \
    X(void, StencilOp, (GLenum fail, GLenum zfail, GLenum zpass))                                              \
    X(void, TexCoord2f, (GLfloat s, GLfloat t))                                                                \
    X(void, TexCoordPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer))                 \
    X(void, TexEnvfv, (GLenum target, GLenum pname, const GLfloat* params))                                    \
    X(void, TexEnvi, (GLenum target, GLenum pname, GLint param))                                               \
    X(void, TexGenfv, (GLenum coord, GLenum pname, const GLfloat* params))                                     \
    X(void, TexGeni, (GLenum coord, GLenum pname, GLint param))                                                \
    X(void, TexImage2D, (GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,      \
                         GLint border, GLenum format, GLenum type, const GLvoid* pixels))                      \
    X(void, TexParameteri, (GLenum target, GLenum pname, GLint param))                                         \
    X(void, Translatef, (GLfloat x, GLfloat y, GLfloat z))                                                     \
    X(void, Vertex2f, (GLfloat x, GLfloat y))                                                                  \
    X(void, Vertex3d, (GLdouble x, GLdouble y, GLdouble z))                                                    \
    X(void, Vertex3dv, (const GLdouble* v))                                                                    \
    X(void, Vertex3f, (GLfloat x, GLfloat y, GLfloat z))                                                       \
    X(void, Vertex3fv, (const GLfloat* v))                                                                     \
    X(void, VertexPointer, (GLint size, GLenum type, GLsizei stride, const GLvoid* pointer))                   \
    X(void, Viewport, (GLint x, GLint y, GLsizei width, GLsizei height))

// The same for gluName; the shader backend's function is sgluName. The
// tessellator is not in the table: it only computes, and calls back into
// glBegin, glVertex and glEnd through the table.
#define GLU_API_FUNCTIONS(X)                                                                                   \
    X(void, LookAt, (GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,          \
                     GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ))                              \
    X(void, Ortho2D, (GLdouble left, GLdouble right, GLdouble bottom, GLdouble top))                           \
    X(void, Perspective, (GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar))

struct GlApi {
#define GL_API_MEMBER(result, name, parameters) result(APIENTRY* name) parameters;
    GL_API_FUNCTIONS(GL_API_MEMBER)
    GLU_API_FUNCTIONS(GL_API_MEMBER)
#undef GL_API_MEMBER
    // Looks up an extension entry point of the current context
    // (glActiveTextureARB, glClientActiveTextureARB, glMultiTexCoord2fARB).
    void* (*ProcAddress)(const char* name);
};

enum GlBackend {
    GL_BACKEND_FIXED,   // the system's fixed-function OpenGL, compatibility context
    GL_BACKEND_SHADER,  // glshader/ over an OpenGL ES 3.0 context
};

// The table every call goes through; the fixed-function one until
// useGlBackend chooses otherwise.
extern GlApi glApi;

// Fills glApi for the backend, before the window and context are made.
// False when the backend is not in this build.
bool useGlBackend(GlBackend backend);
GlBackend currentGlBackend();
// "fixed" or "shader" to the backend; false for any other text.
bool glBackendFromName(const char* name, GlBackend* backend);
// Called by the platform once the backend's context is current (the shader
// backend sets up its ES objects there) and before it is released. False
// when the backend cannot start on this context.
bool startGlBackend();
void stopGlBackend();
