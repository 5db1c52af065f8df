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

// Texture units offered to the program (it uses two).
constexpr int sglUnitCount = 2;

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

// A vertex of immediate mode with the current values it took.
struct Vertex {
    float position[4];
    float colour[4];
    float texCoord[sglUnitCount][4];
};

// A command recorded in a display list.
enum ListOpCode : uint8_t {
    LIST_BEGIN,
    LIST_END,
    LIST_VERTEX,
    LIST_COLOUR,
    LIST_TEX_COORD,  // value: the unit
    LIST_TRANSLATE,
    LIST_PUSH_ATTRIB,
    LIST_POP_ATTRIB,
};

struct ListOp {
    ListOpCode code;
    GLenum value;
    float v[4];
};

struct DisplayList {
    bool reserved;
    std::vector<ListOp> ops;
};

// A linked program for one combination of texture stages and alpha test.
struct ShaderProgram {
    uint64_t key;
    GLuint program;
    GLint modelViewProjection, textureMatrix[sglUnitCount], alphaReference;
};

// The fixed-function state last sent to the ES context.
struct AppliedState {
    bool valid;
    bool blend, depthTest, cullFace, depthMask, dither;
    GLenum blendSource, blendDestination, depthFunction, cullMode, frontFace;
    bool colourMask[4];
    GLint viewport[4];
    float clearColour[4];
    float clearDepth;
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
    GLuint vertexBuffer, indexBuffer;
    std::vector<uint32_t> triangles;
    AppliedState applied;

    GLenum error;
    std::vector<std::string> reported;  // features refused, each said once
    std::string version;
};

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
void translateCurrent(SglContext* gl, float x, float y, float z);

// raster_state.cpp
void initRasterState(SglContext* gl);
// Sends the blend, depth, cull, mask and viewport state that changed.
void syncRasterState(SglContext* gl);

// attributes.cpp
void pushAttrib(SglContext* gl, GLbitfield mask);
void popAttrib(SglContext* gl);

// textures.cpp
void initTextureUnits(SglContext* gl);
TextureParameters* textureParameters(SglContext* gl, GLuint name);
// Binds name on unit (in the ES context too).
void bindUnitTexture(SglContext* gl, int unit, GLuint name);
// Gives texture name the parameters p (restoring an attribute frame).
void sendTextureParameters(SglContext* gl, int unit, GLuint name, const TextureParameters& parameters);

// vertices.cpp
void beginPrimitive(SglContext* gl, GLenum mode);
void endPrimitive(SglContext* gl);
void emitVertex(SglContext* gl, float x, float y, float z);
// Appends the triangles of count vertices of a primitive, given as indices
// (or 0, 1, 2, ... when indices is null), in the order Mesa splits them.
bool appendTriangles(GLenum mode, const uint32_t* indices, uint32_t count, std::vector<uint32_t>* triangles);

// draw.cpp
// Where a vertex attribute comes from: a float array (data non-null) or one
// value for every vertex.
struct AttributeSource {
    const void* data;
    GLint size;
    GLsizei stride;
    float constant[4];
};
constexpr int attributeCount = 2 + sglUnitCount;  // position, colour, coordinates
void initDrawing(SglContext* gl);
void releaseDrawing(SglContext* gl);
// Draws gl->triangles over vertexCount vertices with the current state.
void drawTriangles(SglContext* gl, const AttributeSource sources[attributeCount], uint32_t vertexCount);

// programs.cpp
// The program for the current texture stages and alpha test, made on first use.
const ShaderProgram* programForState(SglContext* gl);
void releasePrograms(SglContext* gl);

// lists.cpp
// Commands the program never puts in a display list are refused while one
// records (OpenGL would record them): true, with the error, in that case.
bool refusedInList(SglContext* gl, const char* name);
void recordListOp(SglContext* gl, ListOpCode code, GLenum value, float a = 0, float b = 0, float c = 0, float d = 0);
