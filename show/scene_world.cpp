// The world scene. Every frame rebuilds everything from t: the backdrop is
// four warped layers of one image, screened and multiplied; the plasma
// darkens it in drifting bands (turning and rolling under the telephoto
// preset); eight metaballs give a surface whose vertices, plus 512 points
// of a wobbling sphere, are drawn as depth-sorted, depth-of-field bubbles.
// The hits of the music switch the camera between three presets and choose
// which points shake with the spectrum.
#include "show/scene_world.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "base/constants.h"
#include "base/fatal.h"
#include "geometry/isosurface.h"
#include "geometry/particle_sizes.h"
#include "geometry/particles.h"
#include "geometry/radix_sort.h"
#include "platform/gl_api.h"
#include "render/fullscreen_quad.h"
#include "render/post_passes.h"
#include "render/render_state.h"
#include "show/camera.h"
#include "show/hits.h"
#include "show/overlay.h"
#include "show/plasma.h"
#include "show/show_blobs.h"

constexpr int spherePoints = 512;

float worldBrightness(float t)
{
    if (t < 1.0f)
        return t;
    if (t < 14.0f)
        return 1.0f;
    return std::clamp(1.0f - (t - 14.0f), 0.0f, 1.0f);
}

void shakePoints(float* positions, int first, int last, float a, float b2, float t, const float levels[4])
{
    float k1 = std::clamp((levels[1] - 0.3f) * 0.4f, 0.0f, 1.0f);
    float k0 = std::clamp((levels[0] - 0.6f) * 0.4f, 0.0f, 1.0f);
    float pi = (float)PI;
    for (int i = first; i < last; i++) {
        float* p = positions + 3 * i;
        p[0] = p[0] + a * k1 * std::sin(10.0f * p[1] + 256.0f * pi * t);
        p[1] = p[1] + b2 * k0 * std::sin(10.0f * p[0] + 64.0f * pi * t);
    }
}

// The 512 sphere points after the surface vertices, radius wobbling with
// the two sine tables.
static void spherePointsAt(float t, float* positions, uint8_t* frames)
{
    float pi = (float)PI;
    float rowWave[16], columnWave[32];
    for (int j = 0; j < 32; j++)
        columnWave[j] = 0.2f * std::sin((float)j * pi / (0.25f * std::sin(4.0f * pi * t) + 2.0f) + 8.0f * pi * t);
    for (int i = 0; i < 16; i++)
        rowWave[i] = 0.1f * std::sin((float)i * pi / (0.25f * std::sin(3.0f * pi * t) + 2.0f) + 10.0f * pi * t);

    for (int i = 0; i < 16; i++) {
        float theta = ((float)i + 0.5f) * pi / 16.0f;
        for (int j = 0; j < 32; j++) {
            float phi = (float)j * pi / 16.0f;
            float r = 0.6f * (1.0f + columnWave[j] + rowWave[i]);
            float* p = positions + 3 * (32 * i + j);
            p[0] = r * std::sin(phi) * std::sin(theta);
            p[1] = r * std::cos(theta);
            p[2] = r * std::cos(phi) * std::sin(theta);
            frames[32 * i + j] = 1;
        }
    }
}

// The plasma under the telephoto preset: magnified, turning a quarter turn
// a pattern and drifting against the eye's sideways motion.
static void rotatingPlasma(View& view, const Texture* plasmaTexture, float t, const float eye[4])
{
    RenderFlags flags = RF_MUL | RF_OFFSCREEN;
    pushRenderState();
    applyRenderFlags(flags);
    bindTexture(view.display->gl, plasmaTexture, flags);
    overlay_begin(view, flags);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glTranslatef(-0.05f * eye[0], -0.05f * eye[1], 0.0f);
    glTranslatef(0.5f, 0.5f, 0.0f);
    glScalef(0.5f, 0.5f, 1.0f);
    glRotatef(-90.0f * t, 0.0f, 0.0f, 1.0f);
    glTranslatef(-0.5f, -0.5f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    fullscreenQuadFlipped(view);
    popRenderState();
}

int worldParticles(WorldStorage& world, float t, int hits, const float levels[4], float** sizes)
{
    IsoSurface& surface = world.surface;
    int count = surface.vertCount + spherePoints;
    // The frames array holds one entry per particle the sort can take.
    if (count > maxSortKeys)
        fatalError("dumbass");

    float* points = surface.verts.data();
    int first = surface.vertCount;
    *sizes = meshParticleSizes(points, first, surface.tris.data(), surface.triCount, spherePoints, 0.25f);
    world.particleFrames.resize((size_t)count);
    uint8_t* frames = world.particleFrames.data();
    std::fill(frames, frames + first, (uint8_t)0);
    spherePointsAt(t, points + 3 * first, frames + first);

    // Until the last hits all points shake, each hit switches between the
    // surface and the sphere.
    if (t > 11.66f)
        shakePoints(points, 0, count, 0.3f, 0.15f, t, levels);
    else if (hits % 2 == 1)
        shakePoints(points, 0, first, 0.22f, 0.15f, t, levels);
    else
        shakePoints(points, first, count, 0.6f, 0.2f, t, levels);
    return count;
}

void scene_world(Show& show, const FrameInputs& frame)
{
    View& view = show.view;
    const ShowAssets& assets = show.assets;
    WorldStorage& world = show.world;
    float t = frame.t;
    int hits = hitsReached(t);
    int preset = hits % cameraPresetCount;
    float b = worldBrightness(t);

    resetRenderState(view);
    glColor4f(b, b, b, b);
    static const struct {
        float dt;
        RenderFlags flags;
    } backdrop[4] = {{1.0f, RF_SCREEN}, {1.25f, RF_SCREEN}, {1.5f, RF_MUL}, {1.75f, RF_SCREEN}};
    for (const auto& layer : backdrop)
        warp_grid(view, assets.backdropTexture, 16, 9, t + layer.dt, warp_field, 1.0f, 1.0f,
                  layer.flags | RF_OFFSCREEN);

    CameraPreset presets[cameraPresetCount];
    cameraPresets(t, presets);
    const CameraPreset& camera = presets[preset];

    plasma_update(view.display->gl, assets.plasmaTexture, 0.3f, 4.0f * t);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (preset == 1)
        rotatingPlasma(view, assets.plasmaTexture, t, camera.eye);
    else
        fullscreen_texture(view, assets.plasmaTexture, 1.0f, RF_MUL | RF_OFFSCREEN);
    presetCamera(view, camera, 0.1f, 128.0f, RF_OFFSCREEN);

    Blob blobs[SHOW_BLOB_COUNT];
    showBlobs(t, blobs);
    isoBuild(world.surface, blobs, SHOW_BLOB_COUNT);
    float* sizes = nullptr;
    int count = worldParticles(world, t, hits, frame.bandLevels, &sizes);
    const ParticleSet particles = {world.surface.verts.data(), sizes, world.particleFrames.data(), count};
    const ParticleLook look = {assets.bubbleAtlas, 0.03f, 1.5f, b, RF_ALPHA};
    drawParticles(view.display->gl, world.particles, *frame.random, particles, camera.eye, camera.target, look);
    std::free(sizes);
}
