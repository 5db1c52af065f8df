// Outline glyphs from FreeType, tessellated by GLU into display lists.
#include "platform/outline_font.h"

#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <cstdio>
#include <string>
#elif !defined(__EMSCRIPTEN__)
#include <fontconfig/fontconfig.h>
#endif
#ifndef GLAPIENTRY
#define GLAPIENTRY APIENTRY  // the tessellator's callback convention (MinGW's gl.h)
#endif
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

unsigned windows1252ToUnicode(unsigned char code)
{
    // 0x80..0x9F; the five unassigned codes keep their own value.
    static const unsigned short high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    if (code >= 0x80 && code <= 0x9F)
        return high[code - 0x80];
    return code;
}

#ifdef _WIN32
// Windows has no fontconfig. The pattern's family is Arial, regular or
// ":bold": the system's own from its fonts folder, else Liberation Sans of
// the same metrics from fonts\ in the working folder (the program's own,
// which ships it).
bool findFontFile(const char* pattern, std::vector<char>* path, int* faceIndex)
{
    bool bold = std::strstr(pattern, ":bold") != nullptr;
    char windowsFolder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windowsFolder, MAX_PATH);
    std::string candidates[2] = {
        std::string(windowsFolder, length < MAX_PATH ? length : 0) + (bold ? "\\Fonts\\arialbd.ttf" : "\\Fonts\\arial.ttf"),
        bold ? "fonts\\LiberationSans-Bold.ttf" : "fonts\\LiberationSans-Regular.ttf",
    };
    for (const std::string& file : candidates) {
        FILE* probe = std::fopen(file.c_str(), "rb");
        if (!probe)
            continue;
        std::fclose(probe);
        path->assign(file.c_str(), file.c_str() + file.size() + 1);
        *faceIndex = 0;
        return true;
    }
    return false;
}
#elif defined(__EMSCRIPTEN__)
// A web page has no fonts to look up: its data holds Liberation Sans
// (Arial's metrics), regular and bold, at /fonts.
bool findFontFile(const char* pattern, std::vector<char>* path, int* faceIndex)
{
    static const char bold[] = "/fonts/LiberationSans-Bold.ttf";
    static const char regular[] = "/fonts/LiberationSans-Regular.ttf";
    const char* file = std::strstr(pattern, ":bold") ? bold : regular;
    path->assign(file, file + std::strlen(file) + 1);
    *faceIndex = 0;
    return true;
}
#else
bool findFontFile(const char* pattern, std::vector<char>* path, int* faceIndex)
{
    FcPattern* query = FcNameParse((const FcChar8*)pattern);
    if (!query)
        return false;
    FcConfigSubstitute(nullptr, query, FcMatchPattern);
    FcDefaultSubstitute(query);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, query, &result);
    FcPatternDestroy(query);
    bool found = false;
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        size_t length = std::strlen((const char*)file);
        path->assign((const char*)file, (const char*)file + length + 1);
        if (FcPatternGetInteger(match, FC_INDEX, 0, faceIndex) != FcResultMatch)
            *faceIndex = 0;
        found = true;
    }
    if (match)
        FcPatternDestroy(match);
    return found;
}
#endif

// A glyph outline flattened into closed polygons, in em units.
struct Contour {
    std::vector<GLdouble> points;  // x, y, 0 per point
};

struct Flattener {
    std::vector<Contour> contours;
    double scale;  // em units per font unit
    double lastX, lastY;
};

static void addPoint(Flattener* f, double x, double y)
{
    Contour& c = f->contours.back();
    size_t n = c.points.size();
    // Repeated points would give degenerate side walls.
    if (n >= 3 && c.points[n - 3] == x * f->scale && c.points[n - 2] == y * f->scale)
        return;
    c.points.push_back(x * f->scale);
    c.points.push_back(y * f->scale);
    c.points.push_back(0.0);
    f->lastX = x;
    f->lastY = y;
}

// Curves are cut into straight pieces about 1/128 em long, at least two.
static int curveSteps(const Flattener* f, double length)
{
    int steps = (int)(length * f->scale * 128.0);
    return steps < 2 ? 2 : steps > 32 ? 32 : steps;
}

static int moveTo(const FT_Vector* to, void* user)
{
    Flattener* f = (Flattener*)user;
    f->contours.emplace_back();
    addPoint(f, to->x, to->y);
    return 0;
}

static int lineTo(const FT_Vector* to, void* user)
{
    addPoint((Flattener*)user, to->x, to->y);
    return 0;
}

static int conicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    Flattener* f = (Flattener*)user;
    double x0 = f->lastX, y0 = f->lastY;
    double length = std::hypot(control->x - x0, control->y - y0) + std::hypot(to->x - control->x, to->y - control->y);
    int steps = curveSteps(f, length);
    for (int i = 1; i <= steps; i++) {
        double t = (double)i / steps, u = 1.0 - t;
        addPoint(f, u * u * x0 + 2 * u * t * control->x + t * t * to->x,
                 u * u * y0 + 2 * u * t * control->y + t * t * to->y);
    }
    return 0;
}

static int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user)
{
    Flattener* f = (Flattener*)user;
    double x0 = f->lastX, y0 = f->lastY;
    double length = std::hypot(c1->x - x0, c1->y - y0) + std::hypot(c2->x - c1->x, c2->y - c1->y) +
                    std::hypot(to->x - c2->x, to->y - c2->y);
    int steps = curveSteps(f, length);
    for (int i = 1; i <= steps; i++) {
        double t = (double)i / steps, u = 1.0 - t;
        addPoint(f, u * u * u * x0 + 3 * u * u * t * c1->x + 3 * u * t * t * c2->x + t * t * t * to->x,
                 u * u * u * y0 + 3 * u * u * t * c1->y + 3 * u * t * t * c2->y + t * t * t * to->y);
    }
    return 0;
}

// Vertices the tessellator makes where contours cross; they must live until
// the polygon is finished.
struct CombinedVertex {
    GLdouble xyz[3];
};
static std::deque<CombinedVertex> combinedVertices;

static void GLAPIENTRY tessBegin(GLenum mode) { glBegin(mode); }
static void GLAPIENTRY tessEnd() { glEnd(); }
static void GLAPIENTRY tessVertex(void* vertex) { glVertex3dv((const GLdouble*)vertex); }
static void GLAPIENTRY tessCombine(GLdouble coords[3], void*[4], GLfloat[4], void** out)
{
    combinedVertices.emplace_back();
    GLdouble* v = combinedVertices.back().xyz;
    v[0] = coords[0];
    v[1] = coords[1];
    v[2] = coords[2];
    *out = v;
}

// One filled face of the glyph at depth z, facing +z or -z.
static void drawFace(GLUtesselator* tess, std::vector<Contour>& contours, double z, bool front)
{
    for (Contour& c : contours)
        for (size_t i = 2; i < c.points.size(); i += 3)
            c.points[i] = z;
    double nz = front ? 1.0 : -1.0;
    glNormal3d(0.0, 0.0, nz);
    gluTessNormal(tess, 0.0, 0.0, nz);
    gluTessBeginPolygon(tess, nullptr);
    for (Contour& c : contours) {
        gluTessBeginContour(tess);
        for (size_t i = 0; i < c.points.size(); i += 3)
            gluTessVertex(tess, &c.points[i], &c.points[i]);
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    combinedVertices.clear();
}

// The walls between the faces. outwardSign turns the left normal of each
// edge outwards (the filled side lies right of TrueType contours).
static void drawSides(const std::vector<Contour>& contours, double depth, double outwardSign)
{
    glBegin(GL_QUADS);
    for (const Contour& c : contours) {
        size_t n = c.points.size() / 3;
        if (n < 2)
            continue;
        for (size_t i = 0; i < n; i++) {
            const GLdouble* a = &c.points[i * 3];
            const GLdouble* b = &c.points[((i + 1) % n) * 3];
            double dx = b[0] - a[0], dy = b[1] - a[1];
            double length = std::hypot(dx, dy);
            if (length == 0.0)
                continue;
            glNormal3d(-dy / length * outwardSign, dx / length * outwardSign, 0.0);
            glVertex3d(a[0], a[1], 0.0);
            glVertex3d(a[0], a[1], -depth);
            glVertex3d(b[0], b[1], -depth);
            glVertex3d(b[0], b[1], 0.0);
        }
    }
    glEnd();
}

bool buildOutlineFont(const char* fontPattern, int first, int count, GLuint listBase, float extrusion,
                      GlyphMetricsFloat* metrics)
{
    std::vector<char> path;
    int faceIndex = 0;
    if (!findFontFile(fontPattern, &path, &faceIndex))
        return false;
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    FT_Face face;
    if (FT_New_Face(library, path.data(), faceIndex, &face) != 0) {
        FT_Done_FreeType(library);
        return false;
    }

    GLUtesselator* tess = gluNewTess();
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessCallback(tess, GLU_TESS_BEGIN, (void(GLAPIENTRY*)())tessBegin);
    gluTessCallback(tess, GLU_TESS_END, (void(GLAPIENTRY*)())tessEnd);
    gluTessCallback(tess, GLU_TESS_VERTEX, (void(GLAPIENTRY*)())tessVertex);
    gluTessCallback(tess, GLU_TESS_COMBINE, (void(GLAPIENTRY*)())tessCombine);

    FT_Outline_Funcs funcs = {moveTo, lineTo, conicTo, cubicTo, 0, 0};
    double scale = 1.0 / face->units_per_EM;
    for (int i = 0; i < count; i++) {
        unsigned code = (unsigned)(first + i);
        FT_UInt glyph = FT_Get_Char_Index(face, windows1252ToUnicode((unsigned char)code));
        GlyphMetricsFloat m = {};
        Flattener flat;
        flat.scale = scale;
        flat.lastX = flat.lastY = 0.0;
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) == 0 &&
            face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Outline* outline = &face->glyph->outline;
            FT_Outline_Decompose(outline, &funcs, &flat);
            FT_BBox box;
            FT_Outline_Get_CBox(outline, &box);
            if (outline->n_points > 0) {
                m.blackBoxX = (float)((box.xMax - box.xMin) * scale);
                m.blackBoxY = (float)((box.yMax - box.yMin) * scale);
                m.glyphOriginX = (float)(box.xMin * scale);
                m.glyphOriginY = (float)(box.yMax * scale);
            }
            m.cellIncX = (float)(face->glyph->advance.x * scale);
            m.cellIncY = (float)(face->glyph->advance.y * scale);
        }
        double outwardSign = 1.0;
        if (FT_Outline_Get_Orientation(&face->glyph->outline) == FT_ORIENTATION_POSTSCRIPT)
            outwardSign = -1.0;
        // A closed contour repeats its first point at the end.
        for (Contour& c : flat.contours) {
            size_t n = c.points.size();
            if (n >= 6 && c.points[0] == c.points[n - 3] && c.points[1] == c.points[n - 2])
                c.points.resize(n - 3);
        }

        glNewList(listBase + i, GL_COMPILE);
        if (!flat.contours.empty()) {
            drawFace(tess, flat.contours, 0.0, true);
            drawFace(tess, flat.contours, -extrusion, false);
            drawSides(flat.contours, extrusion, outwardSign);
        }
        glTranslatef(m.cellIncX, m.cellIncY, 0.0f);
        glEndList();
        if (metrics)
            metrics[i] = m;
    }

    gluDeleteTess(tess);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return true;
}
