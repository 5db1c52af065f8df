// What the drawing code needs to know of the OpenGL context it draws on:
// the texture clamp mode its version allows, its texture units and the
// multitexture entry points. The context checks (gl_checks.h) fill it, and
// it is only good for the context they checked.
#pragma once
#include <GL/gl.h>

typedef void(APIENTRY* MultiTexCoord2fProc)(GLenum target, GLfloat s, GLfloat t);
typedef void(APIENTRY* ActiveTextureProc)(GLenum texture);

struct GlCaps {
    // GL_CLAMP_TO_EDGE on OpenGL 1.2 and newer, else GL_CLAMP.
    GLint clampMode = GL_CLAMP;
    // GL_MAX_TEXTURE_UNITS (at least 2 once checked): a third unit is only
    // touched where it exists.
    int textureUnits = 0;
    // The ARB multitexture entry points (gl.h declares the plain names).
    MultiTexCoord2fProc multiTexCoord2f = nullptr;
    ActiveTextureProc activeTexture = nullptr;
    ActiveTextureProc clientActiveTexture = nullptr;
};
