// The outline font: display lists of filled, extruded glyphs of the bold
// "Arial" face (as fontconfig resolves it), scaled so the em square is one
// unit, with their metrics.
#pragma once
#include <vector>

#include "platform/gl_api.h"

// Metrics of one outline glyph, in em units.
struct GlyphMetricsFloat {
    float blackBoxX;     // width of the smallest box around the glyph
    float blackBoxY;     // height of that box
    float glyphOriginX;  // upper-left corner of the box, relative to the
    float glyphOriginY;  //   glyph's origin on the base line
    float cellIncX;      // advance to the next glyph's origin
    float cellIncY;
};

// Compiles count glyphs from code first into lists listBase + 0.. : the
// front face at z = 0 facing +z, the back face at z = -extrusion facing -z
// and the side walls between them; each list ends with a translation by the
// glyph's advance. Codes 128..159 are Windows-1252 characters. Returns
// false when the face cannot be found or read (the lists stay empty).
bool buildOutlineFont(const char* fontPattern, int first, int count, GLuint listBase, float extrusion,
                      GlyphMetricsFloat* metrics);

// The file (null-terminated) and face index fontconfig chooses for a
// pattern such as "Arial:bold"; false when it knows no font at all. On
// Windows: Arial from the system's fonts folder, else the Liberation Sans
// shipped beside the program.
bool findFontFile(const char* pattern, std::vector<char>* path, int* faceIndex);

// The Unicode character of a Windows-1252 code.
unsigned windows1252ToUnicode(unsigned char code);
