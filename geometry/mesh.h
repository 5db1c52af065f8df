// Triangle meshes built at start-up: a box and an open tube, each with
// vertex and face normals and a compiled display list.
#pragma once
#include "platform/gl_api.h"
#include "platform/gl_caps.h"

struct Mesh {
    GLuint list;          // display list drawing the mesh
    int vertexCount;
    int triangleCount;
    float* positions;     // 3 floats per vertex
    float* normals;       // unit vertex normals, 3 floats per vertex
    float* texcoords;     // s, t, 0 per vertex
    int* triangles;       // 3 vertex indices per triangle
    float* faceNormals;   // unit normal per triangle, 3 floats each
    float centre[3];      // mean of the positions
    float radius;         // largest distance of a position from the origin
};

// The record of the given heap arrays (taken over) with normals, centre and
// radius computed; no display list yet (list 0). Needs no GL.
Mesh* meshFromArrays(int* triangles, float* positions, float* texcoords, int vertexCount, int triangleCount);

// Compiles the display list with gl's multitexture entry points: indexed
// client arrays on texture units 0 and 1, or with RF_FLAT immediate-mode
// triangles carrying face normals.
void compileMesh(const GlCaps& gl, Mesh* mesh, int flags);

// meshFromArrays, then compileMesh.
Mesh* buildMesh(const GlCaps& gl, int* triangles, float* positions, float* texcoords, int vertexCount,
                int triangleCount, int flags);

// Geometry only (no GL): a box of half-size s (24 vertices, 12 triangles,
// faces y+, y-, z-, z+, x+, x-) and an open tube of radius 1 around the y
// axis with a segments and h rings ((a + 1)(h + 1) vertices, 2 a h triangles).
Mesh* boxShape(float s);
Mesh* tubeShape(int a, int h);

// The shapes above, compiled.
Mesh* makeBox(const GlCaps& gl, float s, int flags);
Mesh* makeTube(const GlCaps& gl, int a, int h, int flags);
