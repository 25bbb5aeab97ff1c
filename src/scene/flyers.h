#pragma once
// The swarm: 250 winged sprites that fly straight legs between random points,
// keep above the ground and beat their wings while in view. All share one
// sprite texture. Positions are world units, y up; phases radians; deltas
// seconds. Every leg lasts 20 seconds of frame delta whatever its length.

#include "assets/data_files.h"
#include "scene/random_source.h"
#include "terrain/ground_lookup.h"
#include "view/frustum.h"

#include <GL/gl.h>

#include <cstdint>

constexpr int kFlyerCount = 250;
constexpr float kLegProgressPerSecond = 0.05f;
constexpr float kFlapRadiansPerSecond = 10.1f;
constexpr int kFlyerClearance = 15; // height above ground that rises above the leg
constexpr int kWingVertexCount = 8; // two quads, one per wing
constexpr float kFlyerVisibilityRadius = 5;

// One corner of a wing quad: integer texture coordinate, world position.
struct WingVertex {
    int s, t;
    float x, y, z;
};

struct Flyer {
    uint8_t visible;          // 1 when inside the view volume at this frame's test
    float flapPhase;          // radians; wing tips are lifted by sin(flapPhase)
    float progress;           // along the current leg, 0 .. just over 1
    float wingVertices[6][3]; // wing corners relative to position
    float legStart[3];
    float position[3];
    float legTarget[3];
    float spawnPoint[3];

    // Six draws: phase, spawn x and z, then the first leg's short hop.
    void init(RandomSource& random);
    // Moves along the leg by frameDelta seconds; at its end draws the next
    // target (two draws).
    void advance(RandomSource& random, float frameDelta);
    // Below the ground under it (the height map's cell, or the highest a fine
    // ground rises near it), it climbs to kFlyerClearance above that.
    void keepAboveGround(const GroundLookup& lookup);
    // Nothing at all unless visible is exactly 1; then the wings.
    void draw(GLuint texture) const;
    // The wing beat grows without wrapping, and only while the flyer is seen
    // (visible exactly 1), so it stands still where draw drew nothing.
    void beatWings(float frameDelta);
};

// The eight corners of a flyer's two wing quads, in drawing order, with the
// wing tips lifted by lift.
void flyerWingQuads(const Flyer& flyer, float lift, WingVertex (&quads)[kWingVertexCount]);

struct FlyerSwarm {
    Flyer flyers[kFlyerCount] = {};
    GLuint flyerTexture = 0;
    float frameDelta = 0; // seconds, handed in at the end of the previous frame; this frame moves with it
};

// Start-up: the sprite texture ("busch2.tga"), whose report goes to decide,
// then every flyer in order. Stops with EndProcess, before any flyer, where
// decide says so.
LoadOutcome initFlyers(FlyerSwarm& swarm, RandomSource& random, LoadDecision decide);

// Per frame, in this order, each over the whole swarm in array order. The
// visibility test sees where the previous frame left the flyers.
void markVisibleFlyers(FlyerSwarm& swarm, const FrustumPlanes& frustum);
void advanceFlyers(FlyerSwarm& swarm, RandomSource& random);
void keepFlyersAboveGround(FlyerSwarm& swarm, const GroundLookup& lookup);
void drawFlyers(const FlyerSwarm& swarm);
void beatFlyerWings(FlyerSwarm& swarm);
void setFlyersFrameDelta(FlyerSwarm& swarm, float frameDelta);
