#pragma once
// The grass field (1000 tufts) and the palm grove (500 palms of three kinds),
// scattered once at start-up from the random source onto the ground (the
// height map's cells, or a fine ground's surface at each plant's point) and
// drawn as copies of display-listed meshes: tufts within 300 units of the eye,
// palms within 600 (strictly nearer), and only those that the frame marked
// visible. Copies are neither rotated nor scaled. Positions are world units.
// On an imported place the plants that cannot stand where they fell (sea,
// cliffs, above the tree line) are marked once and never drawn; the draws and
// the positions stay as scattered.

#include "assets/data_files.h"
#include "assets/mesh_model.h"
#include "scene/plant_ground.h"
#include "scene/random_source.h"
#include "terrain/ground_lookup.h"
#include "view/frustum.h"

#include <GL/gl.h>

#include <cstdint>

constexpr int kGrassTuftCount = 1000;
constexpr int kPalmCount = 500;
constexpr int kPalmKindCount = 3;
constexpr float kGrassDrawDistance = 300;
constexpr float kPalmDrawDistance = 600;
constexpr float kGrassSink = 1;   // a tuft's origin sits this far below the ground
constexpr float kPalmSink = 2.5f; // and a palm's this far
constexpr float kGrassVisibilityRadius = 10;
constexpr float kPalmVisibilityRadius = 29;
constexpr float kPalmCrownHeight = 50; // a palm's second sphere sits this far above its base

struct GrassTuft {
    float x, y, z;            // world units; y is the height of the tuft's origin
    bool visible;             // rewritten by the frame
    bool cannotStand = false; // set once after start-up on an imported place; never drawn then
};

struct GrassField {
    GrassTuft tufts[kGrassTuftCount] = {};
    MeshModel mesh = {}; // "grass2.vxm"
    GLuint list = 0;

    // Start-up: scatter, then load the mesh, hand its report to decide and
    // compile its list. Stops with EndProcess where decide says so.
    LoadOutcome init(const GroundLookup& lookup, RandomSource& random, LoadDecision decide);
    // Three draws per tuft (x, z, one discarded); false visibility.
    void scatter(const GroundLookup& lookup, RandomSource& random);
    // After start-up, on an imported place: marks each tuft that cannot stand.
    void markWhereUnfit(const PlantGround& ground, const GroundLookup& lookup);
    // Per frame, before the draw: each tuft inside the view volume or not.
    void markVisible(const FrustumPlanes& frustum);
    void draw(float cameraX, float cameraY, float cameraZ) const;
};

struct PalmInstance {
    float x, y, z;
    bool visible;
    bool cannotStand = false; // as a tuft's
};

struct PalmGrove {
    PalmInstance palms[kPalmCount] = {};
    int32_t kinds[kPalmCount] = {};        // 0, 1 or 2 per palm
    MeshModel meshes[kPalmKindCount] = {}; // "palmect.vxm", "palme2ct.vxm", "palme3ct.vxm"
    GLuint lists[kPalmKindCount] = {};

    // Start-up: scatter, then the three meshes and their lists; stops like GrassField::init.
    LoadOutcome init(const GroundLookup& lookup, RandomSource& random, LoadDecision decide);
    // Three draws per palm (x, z, kind); false visibility.
    void scatter(const GroundLookup& lookup, RandomSource& random);
    // After start-up, on an imported place: marks each palm that cannot stand.
    void markWhereUnfit(const PlantGround& ground, const GroundLookup& lookup);
    // Per frame, before the draw: a palm is seen when its base or its crown is.
    void markVisible(const FrustumPlanes& frustum);
    void draw(float cameraX, float cameraY, float cameraZ) const;
};
