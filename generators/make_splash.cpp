// Draws the set-up dialog's splash picture, the lettered "VORN" logo on
// black, and writes it as a C++ source holding 320 x 160 RGB bytes (and,
// when asked, as a PPM file to look at). Run by the build.
//
//   make_splash <output.cpp> [preview.ppm]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/bitmap_font.h"

static const int W = 320, H = 160;

struct Point {
    float x, y;
};

// Even-odd test of a point against a closed polygon.
static bool insidePolygon(const Point* p, int n, float x, float y)
{
    bool inside = false;
    for (int i = 0, j = n - 1; i < n; j = i++) {
        if ((p[i].y > y) != (p[j].y > y) && x < (p[j].x - p[i].x) * (y - p[i].y) / (p[j].y - p[i].y) + p[i].x)
            inside = !inside;
    }
    return inside;
}

static bool insideRect(float x, float y, float x0, float y0, float x1, float y1)
{
    return x >= x0 && x < x1 && y >= y0 && y < y1;
}

static bool insideRoundRect(float x, float y, float x0, float y0, float x1, float y1, float r)
{
    if (!insideRect(x, y, x0, y0, x1, y1))
        return false;
    float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

// The letters on a 56 x 64 grid, y down, strokes 12 units thick.
static const float LW = 56, LH = 64, S = 12;

static bool letterV(float x, float y)
{
    const Point v[] = {{0, 0}, {S + 1, 0}, {LW / 2, LH - 18}, {LW - S - 1, 0}, {LW, 0}, {LW / 2 + 7, LH}, {LW / 2 - 7, LH}};
    return insidePolygon(v, 7, x, y);
}

static bool letterO(float x, float y)
{
    return insideRoundRect(x, y, 0, 0, LW, LH, 18) && !insideRoundRect(x, y, S, S, LW - S, LH - S, 7);
}

static bool letterR(float x, float y)
{
    if (insideRect(x, y, 0, 0, S, LH))
        return true;
    if (insideRoundRect(x, y, 0, 0, LW - 2, 40, 16) && !insideRoundRect(x, y, S, S, LW - 2 - S, 40 - S, 5))
        return true;
    const Point leg[] = {{22, 34}, {36, 34}, {LW, LH}, {LW - 15, LH}};
    return insidePolygon(leg, 4, x, y);
}

static bool letterN(float x, float y)
{
    const Point diagonal[] = {{0, 0}, {S + 3, 0}, {LW, LH}, {LW - S - 3, LH}};
    return insideRect(x, y, 0, 0, S, LH) || insideRect(x, y, LW - S, 0, LW, LH) || insidePolygon(diagonal, 4, x, y);
}

static const float logoLeft = 26, logoTop = 30, letterGap = 16;

// Whether a picture point lies on the logo; two thin cuts run through the
// lower half of every letter.
static bool onLogo(float px, float py)
{
    float y = py - logoTop;
    if (y < 0 || y >= LH)
        return false;
    if ((y >= 41 && y < 43) || (y >= 50 && y < 53))
        return false;
    bool (*letters[4])(float, float) = {letterV, letterO, letterR, letterN};
    for (int i = 0; i < 4; i++) {
        float x = px - logoLeft - i * (LW + letterGap);
        if (x >= 0 && x < LW && letters[i](x, y))
            return true;
    }
    return false;
}

struct Colour {
    float r, g, b;
};

static Colour mix(Colour a, Colour b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Chrome: a bright sky above the horizon line, a dark violet ground below.
static Colour logoColour(float py)
{
    float y = (py - logoTop) / LH;
    const float horizon = 0.56f;
    if (y < horizon)
        return mix({0.97f, 1.0f, 1.0f}, {0.22f, 0.74f, 0.95f}, std::pow(y / horizon, 1.4f));
    float t = (y - horizon) / (1 - horizon);
    return mix({0.93f, 0.36f, 0.85f}, {0.30f, 0.12f, 0.55f}, t);
}

// Separable box blur, repeated for a soft falloff.
static void blur(std::vector<float>& image, int radius, int passes)
{
    std::vector<float> tmp(image.size());
    for (int pass = 0; pass < passes; pass++) {
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                float sum = 0;
                for (int k = -radius; k <= radius; k++)
                    sum += image[y * W + std::clamp(x + k, 0, W - 1)];
                tmp[y * W + x] = sum / (2 * radius + 1);
            }
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                float sum = 0;
                for (int k = -radius; k <= radius; k++)
                    sum += tmp[std::clamp(y + k, 0, H - 1) * W + x];
                image[y * W + x] = sum / (2 * radius + 1);
            }
    }
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_splash <output.cpp> [preview.ppm]\n");
        return 1;
    }
    // Coverage of the logo, 4 x 4 samples per pixel.
    std::vector<float> coverage(W * H, 0.0f);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            int hits = 0;
            for (int sy = 0; sy < 4; sy++)
                for (int sx = 0; sx < 4; sx++)
                    hits += onLogo(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
            coverage[y * W + x] = hits / 16.0f;
        }
    std::vector<float> glow = coverage;
    blur(glow, 4, 3);

    std::vector<Colour> picture(W * H, Colour{0, 0, 0});
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            float g = glow[y * W + x] * 0.85f;
            Colour c = {0.35f * g, 0.16f * g, 0.75f * g};
            picture[y * W + x] = mix(c, logoColour(y + 0.5f), coverage[y * W + x]);
        }

    // A faint mirror image of the logo's lower part under it.
    const int mirrorTop = (int)(logoTop + LH) + 2;
    for (int y = mirrorTop; y < mirrorTop + 18 && y < H; y++) {
        int source = (int)(logoTop + LH) - 1 - (y - mirrorTop);
        float fade = 0.22f * (1.0f - (y - mirrorTop) / 18.0f);
        for (int x = 0; x < W; x++) {
            float a = coverage[source * W + x] * fade;
            picture[y * W + x] = mix(picture[y * W + x], logoColour(source + 0.5f), a);
        }
    }

    // A thin rule under the logo, fading out at both ends.
    const float ruleY = 125, ruleLeft = logoLeft, ruleRight = W - logoLeft;
    for (int x = (int)ruleLeft; x < (int)ruleRight; x++) {
        float t = (x - ruleLeft) / (ruleRight - ruleLeft);
        float a = std::sin(t * 3.14159265f);
        Colour c = mix({0.22f, 0.74f, 0.95f}, {0.93f, 0.36f, 0.85f}, t);
        picture[(int)ruleY * W + x] = mix(picture[(int)ruleY * W + x], c, a * 0.8f);
    }

    // A line of text in the program's own pixel font, twice its size.
    const char* caption = "REALTIME AUDIOVISUAL DEMO";
    int length = 0;
    while (caption[length])
        length++;
    const int scale = 2, advance = 4 * scale + 1;
    int textLeft = (W - length * advance + scale) / 2, textTop = 133;
    for (int i = 0; i < length; i++) {
        uint32_t word = packedFontTable[(unsigned char)caption[i]];
        for (int r = 0; r < 8; r++)
            for (int k = 0; k < 4; k++) {
                if (!((word >> (31 - 4 * r - k)) & 1))
                    continue;
                for (int dy = 0; dy < scale; dy++)
                    for (int dx = 0; dx < scale; dx++) {
                        int x = textLeft + i * advance + k * scale + dx, y = textTop + r * scale + dy;
                        if (x >= 0 && x < W && y >= 0 && y < H)
                            picture[y * W + x] = {0.55f, 0.60f, 0.72f};
                    }
            }
    }

    std::vector<uint8_t> rgb(W * H * 3);
    for (int i = 0; i < W * H; i++) {
        const Colour& c = picture[i];
        rgb[i * 3 + 0] = (uint8_t)std::lround(std::clamp(c.r, 0.0f, 1.0f) * 255);
        rgb[i * 3 + 1] = (uint8_t)std::lround(std::clamp(c.g, 0.0f, 1.0f) * 255);
        rgb[i * 3 + 2] = (uint8_t)std::lround(std::clamp(c.b, 0.0f, 1.0f) * 255);
    }

    FILE* out = std::fopen(argv[1], "w");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Generated by generators/make_splash.cpp: the set-up dialog's splash picture.\n");
    std::fprintf(out, "#include \"app/splash_image.h\"\n\n");
    std::fprintf(out, "const int splashWidth = %d;\nconst int splashHeight = %d;\n", W, H);
    std::fprintf(out, "const unsigned char splashPixels[%d] = {\n", W * H * 3);
    for (size_t i = 0; i < rgb.size(); i++)
        std::fprintf(out, "%d,%s", rgb[i], i % 24 == 23 ? "\n" : "");
    std::fprintf(out, "};\n");
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    if (argc > 2) {
        FILE* ppm = std::fopen(argv[2], "wb");
        if (!ppm) {
            std::perror(argv[2]);
            return 1;
        }
        std::fprintf(ppm, "P6\n%d %d\n255\n", W, H);
        std::fwrite(rgb.data(), 1, rgb.size(), ppm);
        std::fclose(ppm);
    }
    return 0;
}
