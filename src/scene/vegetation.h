#pragma once
// The grass field (1000 tufts) and the palm grove (500 palms of three kinds),
// scattered once at start-up from the random source onto the height map and
// drawn as copies of display-listed meshes: tufts within 300 units of the eye,
// palms within 600, and only those that the frame marked visible.

#include "assets/mesh_model.h"
#include "scene/random_source.h"
#include "terrain/height_map.h"

#include <GL/gl.h>

constexpr int kGrassTuftCount = 1000;
constexpr int kPalmCount = 500;
constexpr int kPalmKindCount = 3;

struct GrassTuft {
    float x, y, z;  // world units; y is the height of the tuft's origin
    bool visible;   // rewritten by the frame
};

struct GrassField {
    GrassTuft tufts[kGrassTuftCount] = {};
    MeshModel mesh = {};
    GLuint list = 0;

    void init(const HeightMap& map, RandomSource& random);
    void draw(float cameraX, float cameraY, float cameraZ) const;
};

struct PalmInstance {
    float x, y, z;
    bool visible;
};

struct PalmGrove {
    PalmInstance palms[kPalmCount] = {};
    int32_t kinds[kPalmCount] = {}; // 0, 1 or 2 per palm
    MeshModel meshes[kPalmKindCount] = {};
    GLuint lists[kPalmKindCount] = {};

    void init(const HeightMap& map, RandomSource& random);
    void draw(float cameraX, float cameraY, float cameraZ) const;
};
