#pragma once
// The swarm: 250 winged sprites that fly straight legs between random points,
// keep above the ground and beat their wings while in view. All share one
// sprite texture. Positions are world units, y up.

#include "scene/random_source.h"
#include "terrain/height_map.h"

#include <GL/gl.h>

#include <cstdint>

constexpr int kFlyerCount = 250;

struct Flyer {
    uint8_t visible;        // 1 when inside the view volume at this frame's test
    float flapPhase;        // radians; wing tips are lifted by sin(flapPhase)
    float frameDelta;       // seconds, handed in at the end of the previous frame
    float progress;         // along the current leg, 0 .. just over 1
    float wingVertices[6][3];
    float legStart[3];
    float position[3];
    float legTarget[3];
    float spawnPoint[3];
};

struct FlyerSwarm {
    Flyer flyers[kFlyerCount] = {};
    GLuint flyerTexture = 0;
};

void initFlyers(FlyerSwarm& swarm, RandomSource& random);
void advanceFlyers(FlyerSwarm& swarm, RandomSource& random);
void keepFlyersAboveGround(FlyerSwarm& swarm, const HeightMap& map);
void drawFlyers(FlyerSwarm& swarm);
void setFlyersFrameDelta(FlyerSwarm& swarm, float frameDelta);
