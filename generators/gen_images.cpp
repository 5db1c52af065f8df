// Generator of the show's eight pictures under data/: two glossy bubble
// sprites on mid-grey, the colourful backdrop, the framing mask, the logo
// and three text layers. Usage: gen_images <output folder>.
// Everything is drawn in code; lettering comes from FreeType with the
// bold sans-serif face that fontconfig finds for "Arial:bold".
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <jpeglib.h>

namespace {

const float TAU = 6.2831853f;

// An RGB picture of floats in 0..1, first row at the top.
struct Canvas {
    int width, height;
    std::vector<float> rgb;
    Canvas(int w, int h, float r, float g, float b) : width(w), height(h), rgb((size_t)w * h * 3)
    {
        for (size_t p = 0; p < (size_t)w * h; p++) {
            rgb[3 * p] = r;
            rgb[3 * p + 1] = g;
            rgb[3 * p + 2] = b;
        }
    }
    float* at(int x, int y) { return &rgb[((size_t)y * width + x) * 3]; }
};

// A single-channel coverage picture, for lettering and its glow.
struct Mask {
    int width, height;
    std::vector<float> value;
    Mask(int w, int h) : width(w), height(h), value((size_t)w * h, 0.0f) {}
    float& at(int x, int y) { return value[(size_t)y * width + x]; }
};

float clamp01(float v)
{
    return v < 0.0f ? 0.0f : v > 1.0f ? 1.0f : v;
}

float smoothstep(float e0, float e1, float x)
{
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

// A cosine palette: a + b cos(2 pi (c t + d)) per channel.
void palette(float t, const float a[3], const float b[3], const float c[3], const float d[3], float out[3])
{
    for (int k = 0; k < 3; k++)
        out[k] = a[k] + b[k] * std::cos(TAU * (c[k] * t + d[k]));
}

void writeJpeg(const Canvas& canvas, const std::string& path, int quality)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = canvas.width;
    info.image_height = canvas.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // No chroma subsampling: the sprites' grey background and the thin
    // lettering keep their colours up to the edges.
    for (int c = 0; c < info.num_components; c++) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
    }
    info.optimize_coding = TRUE;
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row((size_t)canvas.width * 3);
    for (int y = 0; y < canvas.height; y++) {
        for (int i = 0; i < canvas.width * 3; i++) {
            float v = canvas.rgb[(size_t)y * canvas.width * 3 + i];
            row[i] = (unsigned char)std::lround(clamp01(v) * 255.0f);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    std::printf("%s: %d x %d\n", path.c_str(), canvas.width, canvas.height);
}

// ---- lettering ---------------------------------------------------------

FT_Library library;
FT_Face face;

void openFont()
{
    FcInit();
    FcPattern* pattern = FcNameParse((const FcChar8*)"Arial:bold");
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch) {
        std::fprintf(stderr, "no font for Arial:bold\n");
        std::exit(1);
    }
    if (FT_Init_FreeType(&library) || FT_New_Face(library, (const char*)file, 0, &face)) {
        std::fprintf(stderr, "cannot open font %s\n", (const char*)file);
        std::exit(1);
    }
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
}

// Lettering of one line: pixel height, horizontal stretch (to pre-compensate
// a picture that is shown wider or narrower than it is stored) and extra
// spacing between letters in pixels.
struct Style {
    int pixels;
    float stretch;
    float spacing;
};

void setStyle(const Style& style)
{
    FT_Set_Pixel_Sizes(face, 0, style.pixels);
    FT_Matrix matrix = {(FT_Fixed)(style.stretch * 65536.0f), 0, 0, 0x10000};
    FT_Set_Transform(face, &matrix, nullptr);
}

float textWidth(const std::string& text, const Style& style)
{
    setStyle(style);
    float width = 0.0f;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph) {
            FT_Vector kerning;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            width += kerning.x / 64.0f * style.stretch;
        }
        FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT);
        width += face->glyph->advance.x / 64.0f + style.spacing;
        previous = glyph;
    }
    return width - style.spacing;
}

// Adds the coverage of text to mask with its baseline starting at (x, y);
// centred on x when centre is set. Coverage wraps around the edges, so
// pictures that tile stay seamless.
void drawText(Mask& mask, const std::string& text, float x, float y, const Style& style, bool centre)
{
    if (centre)
        x -= textWidth(text, style) * 0.5f;
    setStyle(style);
    FT_UInt previous = 0;
    float penX = x;
    for (unsigned char ch : text) {
        FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph) {
            FT_Vector kerning;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kerning);
            penX += kerning.x / 64.0f * style.stretch;
        }
        FT_Load_Glyph(face, glyph, FT_LOAD_RENDER);
        FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        int left = (int)std::lround(penX) + slot->bitmap_left;
        int top = (int)std::lround(y) - slot->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; row++) {
            for (unsigned column = 0; column < bitmap.width; column++) {
                float coverage = bitmap.buffer[row * bitmap.pitch + column] / 255.0f;
                int px = ((left + (int)column) % mask.width + mask.width) % mask.width;
                int py = ((top + (int)row) % mask.height + mask.height) % mask.height;
                float& v = mask.at(px, py);
                v = std::max(v, coverage);
            }
        }
        penX += slot->advance.x / 64.0f + style.spacing;
        previous = glyph;
    }
}

// Box blur with wrap-around, passes times (three passes look Gaussian).
Mask blurred(const Mask& mask, int radius, int passes)
{
    Mask current = mask;
    Mask temporary(mask.width, mask.height);
    float scale = 1.0f / (2 * radius + 1);
    for (int pass = 0; pass < passes; pass++) {
        for (int y = 0; y < mask.height; y++)
            for (int x = 0; x < mask.width; x++) {
                float sum = 0.0f;
                for (int k = -radius; k <= radius; k++)
                    sum += current.at((x + k + mask.width) % mask.width, y);
                temporary.at(x, y) = sum * scale;
            }
        for (int y = 0; y < mask.height; y++)
            for (int x = 0; x < mask.width; x++) {
                float sum = 0.0f;
                for (int k = -radius; k <= radius; k++)
                    sum += temporary.at(x, (y + k + mask.height) % mask.height);
                current.at(x, y) = sum * scale;
            }
    }
    return current;
}

// ---- the pictures ------------------------------------------------------

// A glossy bubble on mid-grey (128): tinted, mostly see-through body whose
// colour shifts around it like a film of oil, a bright saturated rim, a
// sharp specular highlight at the upper left and a soft bounce light at
// the lower right. Grey is transparent once the show derives alpha from
// the distance to grey, so the body is kept away from it.
Canvas bubble(int size, const float body[3], const float rim[3], float hueShift)
{
    const float grey = 128.0f / 255.0f;
    Canvas canvas(size, size, grey, grey, grey);
    float centre = size * 0.5f;
    float radius = size * 0.44f;
    float light[3] = {-0.45f, -0.6f, 0.66f};
    float lightLength = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
    for (float& l : light)
        l /= lightLength;
    float halfway[3] = {light[0], light[1], light[2] + 1.0f};
    float halfwayLength = std::sqrt(halfway[0] * halfway[0] + halfway[1] * halfway[1] + halfway[2] * halfway[2]);
    for (float& h : halfway)
        h /= halfwayLength;
    const int samples = 4;  // 4 x 4 supersampling for smooth edges
    for (int y = 0; y < size; y++) {
        for (int x = 0; x < size; x++) {
            float sum[3] = {0, 0, 0};
            for (int sy = 0; sy < samples; sy++) {
                for (int sx = 0; sx < samples; sx++) {
                    float px = (x + (sx + 0.5f) / samples - centre) / radius;
                    float py = (y + (sy + 0.5f) / samples - centre) / radius;
                    float rho2 = px * px + py * py;
                    float colour[3] = {grey, grey, grey};
                    if (rho2 < 1.0f) {
                        float rho = std::sqrt(rho2);
                        float n[3] = {px, py, std::sqrt(1.0f - rho2)};
                        float fresnel = std::pow(rho, 5.0f);
                        // Oily colour bands drifting across the bubble.
                        float film = 0.5f + 0.5f * std::sin(2.3f * px - 1.7f * py + 2.5f * px * py +
                                                            3.0f * rho2 + hueShift);
                        float diffuse = std::max(0.0f, n[0] * light[0] + n[1] * light[1] + n[2] * light[2]);
                        float specular = std::pow(
                            std::max(0.0f, n[0] * halfway[0] + n[1] * halfway[1] + n[2] * halfway[2]), 90.0f);
                        float sheen = std::pow(
                            std::max(0.0f, n[0] * halfway[0] + n[1] * halfway[1] + n[2] * halfway[2]), 12.0f);
                        float bounce = std::pow(std::max(0.0f, 0.55f * n[0] + 0.6f * n[1] + 0.58f * n[2]), 8.0f);
                        for (int c = 0; c < 3; c++) {
                            float tint = mix(body[c], rim[c], film * 0.6f);
                            float inside = mix(tint * (0.55f + 0.45f * diffuse), rim[c] * 1.15f, fresnel);
                            inside += 0.35f * sheen + 1.6f * specular + 0.45f * bounce * rim[c];
                            colour[c] = inside;
                        }
                        // A thin bright outline right at the silhouette.
                        float edge = smoothstep(0.86f, 0.985f, rho) * (1.0f - smoothstep(0.985f, 1.0f, rho));
                        for (int c = 0; c < 3; c++)
                            colour[c] = mix(colour[c], 1.0f, edge * 0.7f);
                    }
                    for (int c = 0; c < 3; c++)
                        sum[c] += clamp01(colour[c]);
                }
            }
            float* out = canvas.at(x, y);
            for (int c = 0; c < 3; c++)
                out[c] = sum[c] / (samples * samples);
        }
    }
    return canvas;
}

// A rich liquid backdrop: sums of sines with whole-number frequencies (so
// it tiles seamlessly) folded through a colour palette, with soft light
// pools and fine bright filaments.
Canvas backdrop(int w, int h)
{
    Canvas canvas(w, h, 0, 0, 0);
    const float a[3] = {0.42f, 0.26f, 0.46f};
    const float b[3] = {0.40f, 0.28f, 0.40f};
    const float c[3] = {1.0f, 0.9f, 0.8f};
    const float d[3] = {0.05f, 0.22f, 0.50f};
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            float u = TAU * x / w, v = TAU * y / h;
            float field = std::sin(2 * u + 1.3f * std::sin(v + 0.4f)) + std::sin(3 * v - u + 0.7f) +
                          0.6f * std::sin(5 * u + 2 * v + 1.9f * std::sin(2 * u - v)) +
                          0.4f * std::sin(7 * u - 3 * v + 0.3f);
            float swirl = std::sin(u + 2.0f * std::cos(2 * v + u)) * 0.5f + 0.5f;
            float colour[3];
            palette(field * 0.22f + swirl * 0.35f, a, b, c, d, colour);
            float filament = std::pow(1.0f - std::fabs(std::sin(3 * u + 4 * v + 2.2f * field)), 18.0f);
            float pool = std::pow(0.5f + 0.5f * std::sin(u - 2 * v + 1.1f) * std::cos(2 * u + v), 3.0f);
            float* out = canvas.at(x, y);
            for (int k = 0; k < 3; k++)
                out[k] = colour[k] * (0.45f + 0.6f * pool) + 0.3f * filament * colour[k] + 0.15f * filament;
        }
    }
    return canvas;
}

// The mask over the 16:9 picture: white, with a soft dark vignette and a
// dark rounded frame at the very edges.
Canvas mask(int w, int h)
{
    Canvas canvas(w, h, 1, 1, 1);
    const float aspect = 16.0f / 9.0f;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            // Picture coordinates: -aspect..aspect across, -1..1 down.
            float px = ((x + 0.5f) / w * 2.0f - 1.0f) * aspect;
            float py = (y + 0.5f) / h * 2.0f - 1.0f;
            float qx = std::max(std::fabs(px) - (aspect - 0.16f), 0.0f);
            float qy = std::max(std::fabs(py) - (1.0f - 0.16f), 0.0f);
            float outside = std::sqrt(qx * qx + qy * qy);  // beyond the rounded frame
            float frame = 1.0f - smoothstep(0.08f, 0.155f, outside);
            float r2 = (px * px) / (aspect * aspect) + py * py;
            float vignette = 1.0f - 0.38f * smoothstep(0.35f, 2.0f, r2);
            float value = frame * vignette;
            float* out = canvas.at(x, y);
            out[0] = value;
            out[1] = value * 0.995f;
            out[2] = value * 0.985f;
        }
    }
    return canvas;
}

// Bright lettering with a soft glow on black, from a coverage mask.
Canvas lettering(const Mask& letters, float glowStrength, int glowRadius)
{
    Canvas canvas(letters.width, letters.height, 0, 0, 0);
    Mask glow = blurred(letters, glowRadius, 3);
    for (int y = 0; y < letters.height; y++)
        for (int x = 0; x < letters.width; x++) {
            float v = std::max(letters.value[(size_t)y * letters.width + x],
                               glowStrength * glow.value[(size_t)y * letters.width + x]);
            float* out = canvas.at(x, y);
            out[0] = out[1] = out[2] = v;
        }
    return canvas;
}

// The closing logo, stored 2:1 and shown 16:9, so the letters are drawn
// wider by the ratio of the two.
Canvas logo(int w, int h)
{
    const float stretch = (float)w / h / (16.0f / 9.0f);
    Mask letters(w, h);
    Style title = {(int)(h * 0.42f), stretch, h * 0.03f};
    drawText(letters, "VORN", w * 0.5f, h * 0.62f, title, true);
    Style line = {(int)(h * 0.06f), stretch, h * 0.02f};
    drawText(letters, "A DEMO IN LIGHT AND BUBBLES", w * 0.5f, h * 0.78f, line, true);
    for (int y = (int)(h * 0.685f); y < (int)(h * 0.69f) + 1; y++)
        for (int x = (int)(w * 0.2f); x < (int)(w * 0.8f); x++)
            letters.at(x, y) = 0.8f;
    return lettering(letters, 0.6f, h / 48);
}

// A text layer: a heading and lines in a few sizes, staggered so that the
// picture tiles without obvious rows when it scrolls. A line that would run
// past the right margin is moved left so that it stays whole.
Canvas textLayer(int w, int h, const std::vector<std::string>& lines, const char* heading)
{
    const float stretch = (float)w / h / (16.0f / 9.0f);
    Mask letters(w, h);
    Style head = {h / 9, stretch, 2.0f};
    Style big = {h / 12, stretch, 1.0f};
    Style small = {h / 17, stretch, 1.0f};
    drawText(letters, heading, w * 0.06f, h * 0.14f, head, false);
    float y = h * 0.30f;
    for (size_t i = 0; i < lines.size(); i++) {
        const Style& style = (i % 3 == 1) ? big : small;
        float x = w * (0.10f + 0.23f * (float)((i * 5) % 7) / 6.0f);
        x = std::max(w * 0.04f, std::min(x, w * 0.96f - textWidth(lines[i], style)));
        drawText(letters, lines[i], x, y, style, false);
        y += h * 0.68f / lines.size();
    }
    return lettering(letters, 0.35f, 2);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    openFont();

    const float pinkBody[3] = {0.95f, 0.22f, 0.62f}, pinkRim[3] = {1.0f, 0.72f, 0.18f};
    const float blueBody[3] = {0.10f, 0.52f, 0.98f}, blueRim[3] = {0.35f, 1.0f, 0.82f};
    writeJpeg(bubble(128, pinkBody, pinkRim, 0.0f), folder + "/bubble.jpg", 100);
    writeJpeg(bubble(128, blueBody, blueRim, 2.1f), folder + "/bubble2.jpg", 100);
    writeJpeg(backdrop(512, 256), folder + "/ttest2.jpg", 92);
    writeJpeg(mask(512, 256), folder + "/leiska.jpg", 92);
    writeJpeg(logo(1024, 512), folder + "/logo.jpg", 92);
    // The open-source projects the demo and its tools are built on.
    writeJpeg(textLayer(1024, 512, {"SDL", "mpg123", "kissfft", "libjpeg-turbo", "FreeType", "Dear ImGui"},
                        "GREETINGS"),
              folder + "/text1.jpg", 92);
    writeJpeg(textLayer(1024, 512, {"Mesa", "LAME", "Fontconfig", "Liberation Fonts", "GoogleTest", "Debian"},
                        "RESPECT TO"),
              folder + "/text2.jpg", 92);
    writeJpeg(textLayer(1024, 512,
                        {"every picture and sound here is made by code", "pictures  tools/gen_images.cpp",
                         "music  tools/gen_tune.cpp", "no photographs, no recordings", "VORN 2026",
                         "a real-time demo in OpenGL"},
                        "CREDITS"),
              folder + "/text3.jpg", 92);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    return 0;
}
