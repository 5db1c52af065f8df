// Texture binding: per-texture parameters and coordinate generation from the
// flag word, the plain single-unit bind and the two-unit cross-fade bind.
#include "platform/gl_api.h"
#include "platform/gl_caps.h"
#include "render/render_state.h"
#include "render/texture_record.h"

static const GLfloat planeX[4] = {1, 0, 0, 0};
static const GLfloat planeY[4] = {0, 1, 0, 0};
static const GLfloat planeZ[4] = {0, 0, 1, 0};
static const GLfloat planeXZ[4] = {1, 0, 1, 0};
static const GLfloat planeYZ[4] = {0, 1, 1, 0};
static const GLfloat white[4] = {1, 1, 1, 1};

static void generateST(GLint mode)
{
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, mode);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, mode);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    glDisable(GL_TEXTURE_GEN_R);
    glDisable(GL_TEXTURE_GEN_Q);
}

static void generatePlanar(const GLfloat* sPlane, const GLfloat* tPlane)
{
    glTexGenfv(GL_S, GL_OBJECT_PLANE, sPlane);
    glTexGenfv(GL_T, GL_OBJECT_PLANE, tPlane);
    generateST(GL_OBJECT_LINEAR);
}

void applyTextureFlags(const GlCaps& gl, RenderFlags flags)
{
    RenderFlags f = flags & RF_TEXTURE_MASK;

    GLint minFilter, magFilter;
    if (f & RF_NEAREST) {
        minFilter = f & RF_NOMIPMAP ? GL_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
        magFilter = GL_NEAREST;
    } else {
        minFilter = f & RF_NOMIPMAP ? GL_LINEAR : f & RF_TRILINEAR ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
        magFilter = GL_LINEAR;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);

    GLint wrap = f & RF_CLAMP ? gl.clampMode : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);

    if (f & RF_SPHEREMAP) {
        generateST(GL_SPHERE_MAP);
    } else if (f & RF_PLANAR_YZ) {
        generatePlanar(planeY, planeZ);
    } else if (f & RF_PLANAR_XZ) {
        generatePlanar(planeX, planeZ);
    } else if (f & RF_PLANAR_XY) {
        generatePlanar(planeX, planeY);
    } else if (f & RF_PLANAR_DIAG) {
        generatePlanar(planeYZ, planeXZ);
    } else if (f & RF_EYELINEAR) {
        generateST(GL_EYE_LINEAR);
    } else if (f & RF_REFLECT) {
        generateST(GL_SPHERE_MAP);
    } else {
        textureGenerationOff();
    }
}

static void loadTextureMatrix(float s, float t, float r)
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(s, t, r);
    glMatrixMode(GL_MODELVIEW);
}

// Enables 2D texturing on the active unit with the texture and its flags.
static void bindOnActiveUnit(const GlCaps& gl, const Texture* texture, RenderFlags flags)
{
    glDisable(GL_TEXTURE_1D);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture->name);
    applyTextureFlags(gl, flags | texture->flags);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, white);
}

void bindTexture(const GlCaps& gl, const Texture* texture, RenderFlags flags)
{
    // Unit 2 only where it exists, so a two-unit context raises no error.
    if (gl.textureUnits >= 3) {
        gl.activeTexture(GL_TEXTURE2);
        glDisable(GL_TEXTURE_2D);
    }
    gl.activeTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    gl.activeTexture(GL_TEXTURE0);
    bindOnActiveUnit(gl, texture, flags);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    loadTextureMatrix(texture->scaleS, texture->scaleT, texture->scaleR);
}

// One texture-environment setting of a combiner stage.
struct CombinerSetting {
    GLenum name;
    GLint value;
};

// Unit 0 of the cross-fade: texture colour x vertex colour, texture alpha.
static const CombinerSetting modulateByVertex[] = {
    {GL_COMBINE_RGB_ARB, GL_MODULATE},           {GL_SOURCE0_RGB_ARB, GL_TEXTURE},
    {GL_OPERAND0_RGB_ARB, GL_SRC_COLOR},         {GL_SOURCE1_RGB_ARB, GL_PRIMARY_COLOR_ARB},
    {GL_OPERAND1_RGB_ARB, GL_SRC_COLOR},         {GL_COMBINE_ALPHA_ARB, GL_REPLACE},
    {GL_SOURCE0_ALPHA_ARB, GL_TEXTURE},          {GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA},
    {GL_SOURCE1_ALPHA_ARB, GL_PRIMARY_COLOR_ARB}, {GL_OPERAND1_ALPHA_ARB, GL_SRC_ALPHA},
};

// Unit 1: previous x a + texture x (1 - a), a = vertex alpha.
static const CombinerSetting interpolateByVertexAlpha[] = {
    {GL_COMBINE_RGB_ARB, GL_INTERPOLATE_ARB},     {GL_COMBINE_ALPHA_ARB, GL_INTERPOLATE_ARB},
    {GL_SOURCE0_RGB_ARB, GL_PREVIOUS_ARB},        {GL_OPERAND0_RGB_ARB, GL_SRC_COLOR},
    {GL_SOURCE1_RGB_ARB, GL_TEXTURE},             {GL_OPERAND1_RGB_ARB, GL_SRC_COLOR},
    {GL_SOURCE2_RGB_ARB, GL_PRIMARY_COLOR_ARB},   {GL_OPERAND2_RGB_ARB, GL_SRC_ALPHA},
    {GL_SOURCE0_ALPHA_ARB, GL_PREVIOUS_ARB},      {GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA},
    {GL_SOURCE1_ALPHA_ARB, GL_TEXTURE},           {GL_OPERAND1_ALPHA_ARB, GL_SRC_ALPHA},
    {GL_SOURCE2_ALPHA_ARB, GL_PRIMARY_COLOR_ARB}, {GL_OPERAND2_ALPHA_ARB, GL_SRC_ALPHA},
};

// Binds the texture on the active unit as a combiner stage with these
// settings, in their order, and an identity texture matrix.
template <int count>
static void bindCombinerStage(const GlCaps& gl, const Texture* texture, RenderFlags flags,
                              const CombinerSetting (&settings)[count])
{
    bindOnActiveUnit(gl, texture, flags);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    for (const CombinerSetting& setting : settings)
        glTexEnvi(GL_TEXTURE_ENV, setting.name, setting.value);
    loadTextureMatrix(1, 1, 1);
}

void bindTextureLerp(const GlCaps& gl, const Texture* texture, RenderFlags flags)
{
    gl.activeTexture(GL_TEXTURE0);
    bindCombinerStage(gl, texture, flags, modulateByVertex);
    gl.activeTexture(GL_TEXTURE1);
    bindCombinerStage(gl, texture, flags, interpolateByVertexAlpha);
    gl.activeTexture(GL_TEXTURE0);
}
