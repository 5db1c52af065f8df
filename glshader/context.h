// The backend's context: the OpenGL 1.x state the program uses (current
// values, enables, matrices, texture units and their environments, the
// attribute stacks, client arrays, display lists) and the OpenGL ES objects
// that draw it. Internal to glshader/: only these files include ES headers.
#pragma once
#include <GLES3/gl3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "glshader/legacy_enums.h"
#include "glshader/list_calls.h"
#include "glshader/shader_key.h"

// Column-major 4 x 4 matrix, as OpenGL stores it.
struct Mat4 {
    float m[16];
};

struct MatrixStack {
    std::vector<Mat4> entries;  // back() is the current matrix
    size_t capacity;            // the depth OpenGL 1.x implementations offer
};

// One combiner stage: a function of up to three arguments, for colour and
// for alpha.
struct Combiner {
    GLenum rgbFunction, alphaFunction;
    GLenum rgbSource[3], rgbOperand[3];
    GLenum alphaSource[3], alphaOperand[3];
};

struct TextureUnit {
    bool enabled;    // GL_TEXTURE_2D
    GLuint binding;  // the bound 2D texture
    GLenum envMode;  // GL_MODULATE or GL_COMBINE
    Combiner combiner;
    float envColour[4];
};

// The server-side state, one struct so that an attribute frame is a copy.
// Comments name the attribute group of each field.
struct ServerState {
    float colour[4];                     // current
    float texCoord[sglUnitCount][4];     // current
    bool blend, alphaTest;               // enable and colour buffer
    bool depthTest, cullFace;            // enable (and depth buffer, polygon)
    bool dither;                         // enable and colour buffer
    GLenum blendSource, blendDestination;  // colour buffer
    GLenum alphaFunction;                // colour buffer
    float alphaReference;                // colour buffer
    bool colourMask[4];                  // colour buffer
    float clearColour[4];                // colour buffer
    GLenum depthFunction;                // depth buffer
    bool depthMask;                      // depth buffer
    float clearDepth;                    // depth buffer
    GLenum cullMode, frontFace;          // polygon
    GLint viewport[4];                   // viewport
    GLenum shadeModel;                   // lighting
    int activeUnit;                      // texture
    TextureUnit units[sglUnitCount];     // texture (enables also in enable)
    GLenum matrixMode;                   // transform
    GLenum readBuffer;                   // pixel mode
};

// Sampling parameters of one texture object.
struct TextureParameters {
    GLint minFilter, magFilter, wrapS, wrapT;
};

struct AttribFrame {
    GLbitfield mask;
    ServerState state;
    TextureParameters bound[sglUnitCount];  // of the textures bound at the push
};

struct ClientArray {
    bool enabled;
    GLint size;      // components per element
    GLsizei stride;  // bytes; 0 means tightly packed
    const float* pointer;
};

struct ClientState {
    ClientArray vertex, colour, texCoord[sglUnitCount];
    bool normalEnabled;  // accepted and ignored: nothing is lit
    int clientUnit;
    GLint packAlignment;
};

struct ClientFrame {
    GLbitfield mask;
    ClientState state;
};

// A vertex of immediate mode with the current values it took; also the
// one layout in which every draw streams its vertices.
struct Vertex {
    float position[4];
    float colour[4];
    float texCoord[sglUnitCount][4];
};

// A display list: the calls recorded in it (list_calls.h), in order.
struct DisplayList {
    bool reserved;
    std::vector<ListOp> ops;
};

// A linked program for one combination of texture stages and alpha test,
// with the uniform values last sent to it (uniforms are the program's own
// state: only the backend sets them).
struct ShaderProgram {
    ShaderKey key;
    GLuint program;
    GLint modelViewProjection, textureMatrix[sglUnitCount], alphaReference;
    bool sent;  // the values below are the program's
    Mat4 sentModelViewProjection, sentTextureMatrix[sglUnitCount];
    float sentAlphaReference;
};

// What the ES context holds, as far as the backend knows, so that a call
// that would set a value already there is left out. Unknown values
// (esUnknown, -1, 0 or valid false) are sent before they are relied on;
// sglForgetState makes everything unknown.
constexpr GLuint esUnknown = 0xffffffffu;

struct EsTexture {
    bool known;  // parameters holds the ES texture's parameters
    TextureParameters parameters;
};

struct EsState {
    bool valid;  // the raster state below is the ES context's
    bool blend, depthTest, cullFace, depthMask, dither;
    GLenum blendSource, blendDestination, depthFunction, cullMode, frontFace;
    bool colourMask[4];
    GLint viewport[4];
    bool clearValid;  // the clear values below are the ES context's
    float clearColour[4];
    float clearDepth;
    GLuint program;
    int activeUnit;
    GLuint binding[sglUnitCount];
    std::vector<EsTexture> textures;  // by texture name
    GLenum readBuffer;
    GLint packAlignment, unpackAlignment;
    bool vertexArray;  // the backend's vertex array and buffers are bound and set up
};

// A buffer written at advancing offsets; when the next write does not fit,
// its storage is replaced (orphaned: draws already made keep the old one)
// and writing starts again at its beginning.
struct StreamBuffer {
    GLenum target;
    GLuint buffer;
    size_t capacity;  // bytes
    size_t used;      // bytes written since the storage was last replaced
};

struct SglContext {
    ServerState state;
    MatrixStack modelview, projection, texture[sglUnitCount];
    std::vector<AttribFrame> attribStack;
    ClientState client;
    std::vector<ClientFrame> clientStack;
    std::vector<TextureParameters> textures;  // by texture name

    bool inBegin;
    GLenum primitive;
    std::vector<Vertex> vertices;

    std::vector<DisplayList> lists;  // list n is lists[n - 1]
    GLuint compiling;                // the list being recorded, 0 for none

    std::vector<ShaderProgram> programs;
    GLuint vertexArray;
    StreamBuffer vertexStream, indexStream;
    std::vector<uint32_t> triangles;   // of the primitive being drawn
    std::vector<Vertex> drawVertices;  // scratch of drawing
    std::vector<uint32_t> drawIndices;
    EsState es;

    GLenum error;
    std::vector<std::string> reported;  // features refused, each said once
    std::string version;
};

// The functions that do the work of the entry points of list_calls.h are
// declared there.

// context.cpp
SglContext* currentContext();
void recordError(SglContext* gl, GLenum error);
// A call the backend leaves out: records GL_INVALID_ENUM (which the
// program's per-frame check makes fatal) and names it on standard error once.
void notImplemented(SglContext* gl, const std::string& what);

// matrices.cpp
Mat4 identityMatrix();
Mat4 multiplyMatrices(const Mat4& a, const Mat4& b);
void initMatrices(SglContext* gl);
MatrixStack* currentStack(SglContext* gl);
// Multiplies the current matrix of the current mode by m (on the right).
void multiplyCurrent(SglContext* gl, const Mat4& m);

// raster_state.cpp
void initRasterState(SglContext* gl);
// Sends the blend, depth, cull, mask and viewport state that changed.
void syncRasterState(SglContext* gl);

// textures.cpp
void initTextureUnits(SglContext* gl);
// The backend's parameters of texture name (made on first use).
TextureParameters* textureParameters(SglContext* gl, GLuint name);

// es_state.cpp: the ES calls that set a value, left out when it is there.
void forgetEsState(SglContext* gl);
void esUseProgram(SglContext* gl, GLuint program);
void esActiveUnit(SglContext* gl, int unit);
void esBindTexture(SglContext* gl, int unit, GLuint name);
// Makes texture name the one of the ES context's active unit, for uploads
// and copies, choosing a unit that already holds it when there is one.
void esSelectTexture(SglContext* gl, GLuint name);
// Texture names just made by glGenTextures: their parameters are the defaults.
void esTexturesMade(SglContext* gl, int count, const GLuint* names, const TextureParameters& defaults);
// The unit's texture, with the backend's parameters, bound on the ES unit.
void esSyncUnit(SglContext* gl, int unit);
void esReadBuffer(SglContext* gl, GLenum mode);
// GL_PACK_ALIGNMENT or GL_UNPACK_ALIGNMENT.
void esPixelStore(SglContext* gl, GLenum pname, GLint value);

// stream.cpp
void initStreams(SglContext* gl);
void releaseStreams(SglContext* gl);
// Binds (and sets up, after the state was forgotten) the vertex array, the
// vertex buffer and the index buffer.
void bindVertexArray(SglContext* gl);
// Writes bytes at the stream's next offset, replacing its storage first
// when they do not fit; the offset written at. The stream's buffer must be
// bound (bindVertexArray).
size_t streamWrite(StreamBuffer* stream, const void* data, size_t bytes);

// vertices.cpp
// The current texture coordinates of a unit.
void setTexCoord(SglContext* gl, int unit, float s, float t, float r, float q);
// Appends the triangles of count vertices of a primitive, given as indices
// (or 0, 1, 2, ... when indices is null), in the order Mesa splits them.
bool appendTriangles(GLenum mode, const uint32_t* indices, uint32_t count, std::vector<uint32_t>* triangles);

// draw.cpp
constexpr int attributeCount = 2 + sglUnitCount;  // position, colour, coordinates
void initDrawing(SglContext* gl);
void releaseDrawing(SglContext* gl);
// Draws triangles with the current state: indexCount indices into
// vertices, three a triangle, or when indices is null the vertices taken
// three at a time.
void drawTriangles(SglContext* gl, const Vertex* vertices, uint32_t vertexCount, const uint32_t* indices,
                   uint32_t indexCount);

// programs.cpp
// The program for the current texture stages and alpha test, made on first use.
ShaderProgram* programForState(SglContext* gl);
void releasePrograms(SglContext* gl);
