// The shader backend: the OpenGL 1.x and GLU subset the program uses,
// implemented over OpenGL ES 3.0 (WebGL 2) with generated shaders. These
// are its entry points, with the types of the OpenGL 1.x functions they
// stand for spelled as plain C types, so that this header needs neither the
// desktop nor the ES headers. Calls outside the subset record
// GL_INVALID_ENUM and name themselves once on standard error.
//
// The subset:
// - primitives: triangles, strips, fans, quads and polygons, split into
//   triangles as Mesa splits them; immediate mode (glBegin ... glEnd with
//   colour and texture coordinates of two units) and float client arrays
//   drawn with glDrawElements and 32-bit indices;
// - matrices: model-view, projection and one texture matrix per unit, with
//   their stacks; translation, scaling, rotation about z, glOrtho, and
//   gluPerspective, gluLookAt and gluOrtho2D computed as Mesa and libGLU
//   compute them; the model-view matrix read back;
// - two texture units with 2D textures of RGBA bytes stored as RGBA8 or
//   RGB8 at any level (the program filters its own mipmaps), every filter,
//   repeat and clamp to edge, copies from the framebuffer; environments
//   MODULATE and COMBINE with REPLACE, MODULATE and INTERPOLATE of the
//   texture, the primary colour and the previous stage;
// - alpha test, blending, depth test and mask, culling, colour mask,
//   dithering, viewport, clears of colour and depth;
// - glPushAttrib and glPopAttrib for every group that holds state kept
//   here (the bound textures' parameters included), glPushClientAttrib;
// - display lists recorded in GL_COMPILE mode (primitives, translations,
//   attribute pushes and pops, indexed arrays read while recording);
// - the queries, read-back and entry points by name that the program uses.
// Left out, because the program never needs them: lighting and materials
// (accepted and ignored: lighting is never on), fog, texture-coordinate
// generation, 1D textures, stencil, scissor, clip planes, logic ops, line
// and point modes (all accepted only when switched off), flat shading,
// GL_CLAMP (asked for only below OpenGL 1.2; this backend reports 1.3),
// other texture formats and environments, gluBuild2DMipmaps, more than two
// units. Polygon smoothing is accepted and, as on Mesa, has no effect.
#pragma once

// Makes the backend's context for the current OpenGL ES 3 context; false
// (with the reason on standard error) when that context is not ES 3.
bool sglCreateContext();
void sglDestroyContext();
void* sglProcAddress(const char* name);

// The backend leaves out every ES call that would set a value the ES
// context already holds, which it knows because it is the only one to set
// them. Code that calls OpenGL ES itself on the same context (the web
// page's dialog, drawn by ImGui's renderer, and anything that makes,
// binds or deletes GL objects around the backend) must call this after it
// is done and before the backend draws again: the backend then sends every
// value again as it needs it.
void sglForgetState();

// Vertices are streamed through one buffer of this many bytes (64 bytes a
// vertex), indices through one of a quarter of it; a draw that does not fit
// in what is left starts a buffer again, one that is larger enlarges it.
constexpr unsigned long sglVertexStreamBytes = 4ul << 20;

void sglAlphaFunc(unsigned func, float ref);
void sglBegin(unsigned mode);
void sglBindTexture(unsigned target, unsigned texture);
void sglBlendFunc(unsigned sfactor, unsigned dfactor);
void sglCallList(unsigned list);
void sglClear(unsigned mask);
void sglClearColor(float red, float green, float blue, float alpha);
void sglClearDepth(double depth);
void sglColor4f(float red, float green, float blue, float alpha);
void sglColorMask(unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha);
void sglColorPointer(int size, unsigned type, int stride, const void* pointer);
void sglCopyTexSubImage2D(unsigned target, int level, int xoffset, int yoffset, int x, int y, int width, int height);
void sglCullFace(unsigned mode);
void sglDepthFunc(unsigned func);
void sglDepthMask(unsigned char flag);
void sglDisable(unsigned cap);
void sglDrawElements(unsigned mode, int count, unsigned type, const void* indices);
void sglEnable(unsigned cap);
void sglEnableClientState(unsigned cap);
void sglEnd();
void sglEndList();
void sglFinish();
void sglFrontFace(unsigned mode);
unsigned sglGenLists(int range);
void sglGenTextures(int n, unsigned* textures);
unsigned sglGetError();
void sglGetFloatv(unsigned pname, float* params);
void sglGetIntegerv(unsigned pname, int* params);
const unsigned char* sglGetString(unsigned name);
void sglHint(unsigned target, unsigned mode);
void sglLoadIdentity();
void sglMaterialf(unsigned face, unsigned pname, float param);
void sglMaterialfv(unsigned face, unsigned pname, const float* params);
void sglMatrixMode(unsigned mode);
void sglMultiTexCoord2f(unsigned target, float s, float t);
void sglNewList(unsigned list, unsigned mode);
void sglNormal3d(double nx, double ny, double nz);
void sglNormal3fv(const float* v);
void sglNormalPointer(unsigned type, int stride, const void* pointer);
void sglOrtho(double left, double right, double bottom, double top, double zNear, double zFar);
void sglPixelStorei(unsigned pname, int param);
void sglPopAttrib();
void sglPopClientAttrib();
void sglPopMatrix();
void sglPushAttrib(unsigned mask);
void sglPushClientAttrib(unsigned mask);
void sglPushMatrix();
void sglReadBuffer(unsigned mode);
void sglReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
void sglRotatef(float angle, float x, float y, float z);
void sglScalef(float x, float y, float z);
void sglShadeModel(unsigned mode);
void sglStencilFunc(unsigned func, int ref, unsigned mask);
void sglStencilOp(unsigned fail, unsigned zfail, unsigned zpass);
void sglTexCoord2f(float s, float t);
void sglTexCoordPointer(int size, unsigned type, int stride, const void* pointer);
void sglTexEnvfv(unsigned target, unsigned pname, const float* params);
void sglTexEnvi(unsigned target, unsigned pname, int param);
void sglTexGenfv(unsigned coord, unsigned pname, const float* params);
void sglTexGeni(unsigned coord, unsigned pname, int param);
void sglTexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border, unsigned format,
                   unsigned type, const void* pixels);
void sglTexParameteri(unsigned target, unsigned pname, int param);
void sglTranslatef(float x, float y, float z);
void sglVertex2f(float x, float y);
void sglVertex3d(double x, double y, double z);
void sglVertex3dv(const double* v);
void sglVertex3f(float x, float y, float z);
void sglVertex3fv(const float* v);
void sglVertexPointer(int size, unsigned type, int stride, const void* pointer);
void sglViewport(int x, int y, int width, int height);

// The three multitexture entry points the program looks up by name.
void sglActiveTexture(unsigned texture);
void sglClientActiveTexture(unsigned texture);

void sgluLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ, double upX,
                double upY, double upZ);
void sgluOrtho2D(double left, double right, double bottom, double top);
void sgluPerspective(double fovy, double aspect, double zNear, double zFar);
