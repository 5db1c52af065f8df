// Checks that the OpenGL context is good enough for the show, which fill
// in what the drawing needs to know of it (GlCaps), and the names of GL
// errors.
#pragma once
#include "platform/gl_api.h"
#include "platform/gl_caps.h"

// Name of an OpenGL error code, "UNKNOWN GL_ERROR" for codes not in the table.
const char* glErrorName(unsigned code);

// At least 24 colour bits, then gl's clamp mode from GL_VERSION.
void checkColourAndVersion(GlCaps* gl);
// The two extensions and at least two texture units, then gl's unit count
// and its three multitexture entry points, each of which the drawing code
// calls unchecked.
void checkExtensions(GlCaps* gl);

// True when name is a whole blank-separated name of the GL_EXTENSIONS string.
bool hasExtension(const char* name);
// The same test on a given extension string (null string or name: false).
bool hasExtensionIn(const char* extensions, const char* name);
// The clamp mode for a GL_VERSION string: GL_CLAMP_TO_EDGE from "1.2" on,
// GL_CLAMP for older or unparsable versions.
GLint clampModeForVersion(const char* version);
