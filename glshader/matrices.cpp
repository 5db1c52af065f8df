// Matrix stacks (model-view, projection, one texture matrix per unit) and
// the transforms the program applies to them, with the GLU projections. The
// arithmetic follows Mesa's fixed-function path and libGLU step by step, so
// both backends place vertices on the same floats.
#include <cmath>

#include "glshader/context.h"
#include "glshader/shader_gl.h"

Mat4 identityMatrix()
{
    Mat4 identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    return identity;
}

// a x b, each element summed in the order a(i,0) b(0,j) + ... + a(i,3) b(3,j).
Mat4 multiplyMatrices(const Mat4& a, const Mat4& b)
{
    Mat4 product;
    for (int i = 0; i < 4; i++) {
        float a0 = a.m[i], a1 = a.m[4 + i], a2 = a.m[8 + i], a3 = a.m[12 + i];
        for (int j = 0; j < 4; j++)
            product.m[4 * j + i] = a0 * b.m[4 * j] + a1 * b.m[4 * j + 1] + a2 * b.m[4 * j + 2] + a3 * b.m[4 * j + 3];
    }
    return product;
}

static void initStack(MatrixStack* stack, size_t capacity)
{
    stack->entries.assign(1, identityMatrix());
    stack->entries.reserve(capacity);
    stack->capacity = capacity;
}

void initMatrices(SglContext* gl)
{
    initStack(&gl->modelview, 32);
    initStack(&gl->projection, 32);
    for (MatrixStack& stack : gl->texture)
        initStack(&stack, 10);
    gl->state.matrixMode = GL_MODELVIEW;
}

MatrixStack* currentStack(SglContext* gl)
{
    if (gl->state.matrixMode == GL_PROJECTION)
        return &gl->projection;
    if (gl->state.matrixMode == GL_TEXTURE)
        return &gl->texture[gl->state.activeUnit];
    return &gl->modelview;
}

void multiplyCurrent(SglContext* gl, const Mat4& m)
{
    Mat4& top = currentStack(gl)->entries.back();
    top = multiplyMatrices(top, m);
}

// In place, as a product with a translation would give it.
void translateCurrent(SglContext* gl, float x, float y, float z)
{
    float* m = currentStack(gl)->entries.back().m;
    for (int row = 0; row < 4; row++)
        m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void setMatrixMode(SglContext* gl, unsigned mode)
{
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        recordError(gl, GL_INVALID_ENUM);
        return;
    }
    gl->state.matrixMode = mode;
}

void loadIdentity(SglContext* gl)
{
    currentStack(gl)->entries.back() = identityMatrix();
}

void pushMatrix(SglContext* gl)
{
    MatrixStack* stack = currentStack(gl);
    if (stack->entries.size() >= stack->capacity)
        recordError(gl, GL_STACK_OVERFLOW);
    else
        stack->entries.push_back(stack->entries.back());
}

void popMatrix(SglContext* gl)
{
    MatrixStack* stack = currentStack(gl);
    if (stack->entries.size() <= 1)
        recordError(gl, GL_STACK_UNDERFLOW);
    else
        stack->entries.pop_back();
}

void scaleCurrent(SglContext* gl, float x, float y, float z)
{
    float* m = currentStack(gl)->entries.back().m;
    for (int row = 0; row < 4; row++) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
}

// Rotations about the z axis, the only ones the program makes.
void rotateCurrent(SglContext* gl, float angle, float x, float y, float z)
{
    if (x != 0.0f || y != 0.0f || z == 0.0f) {
        notImplemented(gl, "glRotatef about another axis than z");
        return;
    }
    float s = sinf((float)(angle * M_PI / 180.0));
    float c = cosf((float)(angle * M_PI / 180.0));
    Mat4 m = identityMatrix();
    m.m[0] = c;
    m.m[5] = c;
    m.m[4] = z < 0.0f ? s : -s;  // row 0, column 1
    m.m[1] = z < 0.0f ? -s : s;  // row 1, column 0
    multiplyCurrent(gl, m);
}

static void ortho(SglContext* gl, float left, float right, float bottom, float top, float zNear, float zFar)
{
    Mat4 m = identityMatrix();
    m.m[0] = 2.0f / (right - left);
    m.m[12] = -(right + left) / (right - left);
    m.m[5] = 2.0f / (top - bottom);
    m.m[13] = -(top + bottom) / (top - bottom);
    m.m[10] = -2.0f / (zFar - zNear);
    m.m[14] = -(zFar + zNear) / (zFar - zNear);
    multiplyCurrent(gl, m);
}

void multiplyOrtho(SglContext* gl, double left, double right, double bottom, double top, double zNear, double zFar)
{
    if (left == right || bottom == top || zNear == zFar)
        recordError(gl, GL_INVALID_VALUE);
    else
        ortho(gl, (float)left, (float)right, (float)bottom, (float)top, (float)zNear, (float)zFar);
}

void sgluOrtho2D(double left, double right, double bottom, double top)
{
    sglOrtho(left, right, bottom, top, -1.0, 1.0);
}

// In double precision, rounded to float as glMultMatrixd does.
void multiplyPerspective(SglContext* gl, double fovy, double aspect, double zNear, double zFar)
{
    double radians = fovy / 2 * 3.14159265358979323846 / 180;
    double deltaZ = zFar - zNear;
    double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    double cotangent = std::cos(radians) / sine;
    Mat4 m = identityMatrix();
    m.m[0] = (float)(cotangent / aspect);
    m.m[5] = (float)cotangent;
    m.m[10] = (float)(-(zFar + zNear) / deltaZ);
    m.m[11] = -1.0f;
    m.m[14] = (float)(-2 * zNear * zFar / deltaZ);
    m.m[15] = 0.0f;
    multiplyCurrent(gl, m);
}

static void normalise(float v[3])
{
    float r = (float)std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f)
        return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

static void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// In single precision, then the eye translation rounded to float.
void multiplyLookAt(SglContext* gl, double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                    double centerZ, double upX, double upY, double upZ)
{
    float forward[3] = {(float)(centerX - eyeX), (float)(centerY - eyeY), (float)(centerZ - eyeZ)};
    float up[3] = {(float)upX, (float)upY, (float)upZ};
    float side[3];
    normalise(forward);
    cross(forward, up, side);
    normalise(side);
    cross(side, forward, up);
    Mat4 m = identityMatrix();
    for (int i = 0; i < 3; i++) {
        m.m[4 * i] = side[i];
        m.m[4 * i + 1] = up[i];
        m.m[4 * i + 2] = -forward[i];
    }
    multiplyCurrent(gl, m);
    translateCurrent(gl, (float)-eyeX, (float)-eyeY, (float)-eyeZ);
}
