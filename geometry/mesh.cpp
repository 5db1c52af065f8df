// Mesh build: normals, centre and radius of a triangle mesh, its display
// list, and the box and tube generators.
#include "geometry/mesh.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "base/constants.h"
#include "platform/gl_api.h"
#include "platform/gl_caps.h"
#include "render/render_flags.h"

#ifndef GL_TEXTURE0_ARB
#define GL_TEXTURE0_ARB 0x84C0
#define GL_TEXTURE1_ARB 0x84C1
#endif

static void normalise(float* v)
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

Mesh* meshFromArrays(int* triangles, float* positions, float* texcoords, int vertexCount, int triangleCount)
{
    Mesh* mesh = new Mesh;
    mesh->list = 0;
    mesh->vertexCount = vertexCount;
    mesh->triangleCount = triangleCount;
    mesh->positions = positions;
    mesh->texcoords = texcoords;
    mesh->triangles = triangles;
    mesh->normals = (float*)std::calloc((size_t)vertexCount * 3, sizeof(float));
    mesh->faceNormals = (float*)std::malloc(sizeof(float) * 3 * triangleCount);

    for (int t = 0; t < triangleCount; t++) {
        const float* p0 = positions + 3 * triangles[3 * t];
        const float* p1 = positions + 3 * triangles[3 * t + 1];
        const float* p2 = positions + 3 * triangles[3 * t + 2];
        float u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float* n = mesh->faceNormals + 3 * t;
        n[0] = u[1] * v[2] - u[2] * v[1];
        n[1] = u[2] * v[0] - u[0] * v[2];
        n[2] = u[0] * v[1] - u[1] * v[0];
        normalise(n);
        for (int corner = 0; corner < 3; corner++) {
            float* vertexNormal = mesh->normals + 3 * triangles[3 * t + corner];
            vertexNormal[0] += n[0];
            vertexNormal[1] += n[1];
            vertexNormal[2] += n[2];
        }
    }

    float sum[3] = {0, 0, 0};
    float radius = 0.0f;
    for (int i = 0; i < vertexCount; i++) {
        normalise(mesh->normals + 3 * i);
        const float* p = positions + 3 * i;
        sum[0] += p[0];
        sum[1] += p[1];
        sum[2] += p[2];
        float distance = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        if (distance > radius)
            radius = distance;
    }
    for (int c = 0; c < 3; c++)
        mesh->centre[c] = vertexCount > 0 ? sum[c] / (float)vertexCount : 0.0f;
    mesh->radius = radius;
    return mesh;
}

void compileMesh(const GlCaps& gl, Mesh* mesh, int flags)
{
    mesh->list = glGenLists(1);
    glNewList(mesh->list, GL_COMPILE);
    if (!(flags & RF_FLAT)) {
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, mesh->positions);
        glNormalPointer(GL_FLOAT, 0, mesh->normals);
        for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
            gl.clientActiveTexture(unit);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(3, GL_FLOAT, 0, mesh->texcoords);
        }
        gl.clientActiveTexture(GL_TEXTURE0_ARB);
        glDrawElements(GL_TRIANGLES, 3 * mesh->triangleCount, GL_UNSIGNED_INT, mesh->triangles);
        glPopAttrib();
        glPopClientAttrib();
    } else {
        glBegin(GL_TRIANGLES);
        for (int t = 0; t < mesh->triangleCount; t++) {
            glNormal3fv(mesh->faceNormals + 3 * t);
            for (int corner = 0; corner < 3; corner++) {
                int v = mesh->triangles[3 * t + corner];
                float s = mesh->texcoords[3 * v], tc = mesh->texcoords[3 * v + 1];
                gl.multiTexCoord2f(GL_TEXTURE0_ARB, s, tc);
                gl.multiTexCoord2f(GL_TEXTURE1_ARB, s, tc);
                glVertex3fv(mesh->positions + 3 * v);
            }
        }
        glEnd();
    }
    glEndList();
}

Mesh* buildMesh(const GlCaps& gl, int* triangles, float* positions, float* texcoords, int vertexCount,
                int triangleCount, int flags)
{
    Mesh* mesh = meshFromArrays(triangles, positions, texcoords, vertexCount, triangleCount);
    compileMesh(gl, mesh, flags);
    return mesh;
}

// Box faces as (centre direction, s direction, t direction); s x t points
// outward, so the corners (0,0), (1,0), (1,1), (0,1) run counter-clockwise
// seen from outside.
static const float boxFaces[6][3][3] = {
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},   // y = +s
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},   // y = -s
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},  // z = -s
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},    // z = +s
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},   // x = +s
    {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},   // x = -s
};

static void boxArrays(float s, int** triangles, float** positions, float** texcoords)
{
    static const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    *positions = (float*)std::malloc(sizeof(float) * 24 * 3);
    *texcoords = (float*)std::malloc(sizeof(float) * 24 * 3);
    *triangles = (int*)std::malloc(sizeof(int) * 12 * 3);
    for (int f = 0; f < 6; f++) {
        const float* n = boxFaces[f][0];
        const float* u = boxFaces[f][1];
        const float* v = boxFaces[f][2];
        for (int c = 0; c < 4; c++) {
            float a = corners[c][0] * 2.0f - 1.0f, b = corners[c][1] * 2.0f - 1.0f;
            float* p = *positions + 3 * (4 * f + c);
            for (int k = 0; k < 3; k++)
                p[k] = (n[k] + a * u[k] + b * v[k]) * s;
            float* tc = *texcoords + 3 * (4 * f + c);
            tc[0] = corners[c][0];
            tc[1] = corners[c][1];
            tc[2] = 0.0f;
        }
        int* t = *triangles + 6 * f;
        int base = 4 * f;
        t[0] = base, t[1] = base + 1, t[2] = base + 2;
        t[3] = base, t[4] = base + 2, t[5] = base + 3;
    }
}

static void tubeArrays(int a, int h, int** triangles, float** positions, float** texcoords)
{
    int vertexCount = (a + 1) * (h + 1);
    *positions = (float*)std::malloc(sizeof(float) * 3 * vertexCount);
    *texcoords = (float*)std::malloc(sizeof(float) * 3 * vertexCount);
    *triangles = (int*)std::malloc(sizeof(int) * 6 * a * h);
    for (int r = 0; r <= h; r++) {
        for (int i = 0; i <= a; i++) {
            int v = r * (a + 1) + i;
            float theta = (float)(2.0 * i * PI / a);
            float* p = *positions + 3 * v;
            p[0] = std::sin(theta);
            p[1] = (float)h * 0.5f - (float)r;
            p[2] = std::cos(theta);
            float* tc = *texcoords + 3 * v;
            tc[0] = (float)i / (float)a;
            tc[1] = (float)r / (float)h;
            tc[2] = 0.0f;
        }
    }
    int* t = *triangles;
    for (int r = 0; r < h; r++) {
        for (int i = 0; i < a; i++) {
            int A = r * (a + 1) + i;
            int B = A + a + 1;
            t[0] = A, t[1] = B, t[2] = B + 1;
            t[3] = A + 1, t[4] = A, t[5] = B + 1;
            t += 6;
        }
    }
}

Mesh* boxShape(float s)
{
    int* triangles;
    float *positions, *texcoords;
    boxArrays(s, &triangles, &positions, &texcoords);
    return meshFromArrays(triangles, positions, texcoords, 24, 12);
}

Mesh* tubeShape(int a, int h)
{
    int* triangles;
    float *positions, *texcoords;
    tubeArrays(a, h, &triangles, &positions, &texcoords);
    return meshFromArrays(triangles, positions, texcoords, (a + 1) * (h + 1), 2 * a * h);
}

Mesh* makeBox(const GlCaps& gl, float s, int flags)
{
    int* triangles;
    float *positions, *texcoords;
    boxArrays(s, &triangles, &positions, &texcoords);
    return buildMesh(gl, triangles, positions, texcoords, 24, 12, flags);
}

Mesh* makeTube(const GlCaps& gl, int a, int h, int flags)
{
    int* triangles;
    float *positions, *texcoords;
    tubeArrays(a, h, &triangles, &positions, &texcoords);
    return buildMesh(gl, triangles, positions, texcoords, (a + 1) * (h + 1), 2 * a * h, flags);
}
