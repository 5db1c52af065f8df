// The grid warp: a texture drawn through an nx x ny grid of quads whose
// texture coordinates come from a field function of time and position, and
// the wobbling field the world scene's backdrop uses.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "base/fatal.h"
#include "platform/gl_api.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "render/texture_record.h"

void warp_grid(const View& view, const Texture* texture, int nx, int ny, float time, WarpField field, float p5,
               float p6, RenderFlags flags)
{
    size_t points = (size_t)(nx + 1) * (size_t)(ny + 1);
    float* vertices = (float*)std::malloc(points * 3 * sizeof(float));
    float* coords = (float*)std::malloc(points * 3 * sizeof(float));
    uint32_t* indices = (uint32_t*)std::malloc((size_t)nx * (size_t)ny * 4 * sizeof(uint32_t));
    if (!vertices || !coords || !indices)
        fatalError("Out of memory.");

    pushRenderState();
    const float aux[3] = {0.0f, 0.0f, 0.0f};
    float z = view.viewNear + 0.001f;
    for (int j = 0; j <= ny; j++) {
        for (int i = 0; i <= nx; i++) {
            float* v = vertices + 3 * ((size_t)j * (nx + 1) + i);
            v[0] = (float)i / (float)nx;
            v[1] = (float)j / (float)ny;
            v[2] = z;
            field(time, v, aux, p5, p6, coords + 3 * ((size_t)j * (nx + 1) + i));
        }
    }
    uint32_t* index = indices;
    for (int j = 0; j < ny; j++) {
        for (int i = 0; i < nx; i++) {
            *index++ = (uint32_t)(j * (nx + 1) + i);
            *index++ = (uint32_t)(j * (nx + 1) + i + 1);
            *index++ = (uint32_t)((j + 1) * (nx + 1) + i + 1);
            *index++ = (uint32_t)((j + 1) * (nx + 1) + i);
        }
    }

    setViewport(view, flags);
    resetTextureAndProjection();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);
    resetModelView();

    applyRenderFlags(flags);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    const GlCaps& gl = view.display->gl;
    bindTexture(gl, texture, flags);
    textureGenerationOff();

    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    gl.clientActiveTexture(GL_TEXTURE0_ARB);
    gl.activeTexture(GL_TEXTURE0_ARB);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(3, GL_FLOAT, 0, coords);
    glDrawElements(GL_QUADS, nx * ny * 4, GL_UNSIGNED_INT, indices);
    glPopClientAttrib();

    popRenderState();
    std::free(vertices);
    std::free(coords);
    std::free(indices);
}

void warp_field(float time, const float vertex[3], const float aux[3], float p5, float p6, float out[3])
{
    (void)aux;
    (void)p5;
    double t = time;
    double x = vertex[0];
    double y = vertex[1];
    out[0] = (float)(0.8 * x + 0.1 + 0.04 * p6 * std::sin(2.0 * std::sin(4.1982 * t - 8.182 * x) + 8.172 * y + 3.929 * t));
    out[1] = (float)(0.8 * y + 0.1 + 0.04 * p6 * std::sin(9.071 * x + 5.381 * t + 3.0 * std::sin(3.8129 * t - 5.812 * y)));
    out[2] = vertex[2];
}
