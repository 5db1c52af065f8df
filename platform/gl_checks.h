// Checks that the OpenGL context is good enough for the show, the texture
// clamp mode derived from its version, the multitexture entry points, and
// the names of GL errors.
#pragma once
#include "platform/gl_api.h"

// Name of an OpenGL error code, "UNKNOWN GL_ERROR" for codes not in the table.
const char* glErrorName(unsigned code);

// GL_CLAMP_TO_EDGE on OpenGL 1.2 and newer, else GL_CLAMP.
extern GLint textureClampMode;

// Entry points fetched at run time (gl.h already declares the plain names).
typedef void(APIENTRY* MultiTexCoord2fProc)(GLenum target, GLfloat s, GLfloat t);
typedef void(APIENTRY* ActiveTextureProc)(GLenum texture);
extern MultiTexCoord2fProc pglMultiTexCoord2fARB;
extern ActiveTextureProc pglActiveTextureARB;
extern ActiveTextureProc pglClientActiveTextureARB;

// At least 24 colour bits, then the clamp mode from GL_VERSION.
void checkColourAndVersion();
// The two extensions, two texture units and the three multitexture entry
// points, each of which the drawing code calls unchecked.
void checkExtensions();

// True when name is a whole blank-separated name of the GL_EXTENSIONS string.
bool hasExtension(const char* name);
// The same test on a given extension string (null string or name: false).
bool hasExtensionIn(const char* extensions, const char* name);
// The clamp mode for a GL_VERSION string: GL_CLAMP_TO_EDGE from "1.2" on,
// GL_CLAMP for older or unparsable versions.
GLint clampModeForVersion(const char* version);
