#include "scene/flyers.h"

#include "assets/data_files.h"
#include "assets/tga_image.h"

#include <cmath>
#include <cstring>

namespace {

// Wing corners about the flyer, the same for every flyer. The body line runs
// from w3 to w2; one wing spans x -1 .. 0, the other 0 .. 1:
//
//   z = -1   w0 ---- w2 ---- w5
//             | wing  |  wing |
//   z =  0   w1 ---- w3 ---- w4
//           x=-1    x=0     x=1
constexpr float kWingCorners[6][3] = {
    {-1, 0, -1}, {-1, 0, 0}, {0, 0, -1}, {0, 0, 0}, {1, 0, 0}, {1, 0, -1},
};

// Drawing order of the two quads: texture coordinate, corner, and whether
// the wing beat lifts it. The integer coordinates rely on the texture's
// repeat wrap: the second wing's -1 .. 0 shows the picture mirrored about the
// body, so on both wings s = 0 lies at the tip and s = 1 at the body.
struct WingCorner {
    int s, t;
    int corner;
    bool lifted;
};
constexpr WingCorner kWingOrder[kWingVertexCount] = {
    {0, 1, 0, true},   {0, 0, 1, true},  {1, 0, 3, false}, {1, 1, 2, false},
    {0, -1, 3, false}, {0, 0, 2, false}, {-1, 0, 5, true}, {-1, -1, 4, true},
};

float spawnCoordinate(RandomSource& random) { return static_cast<float>(random.draw() % kHeightMapSide); }

} // namespace

void Flyer::init(RandomSource& random)
{
    std::memcpy(wingVertices, kWingCorners, sizeof wingVertices);
    flapPhase = static_cast<float>(random.draw() % 360); // whole radians
    spawnPoint[0] = spawnCoordinate(random);
    spawnPoint[1] = 0;
    spawnPoint[2] = spawnCoordinate(random);
    std::memcpy(legStart, spawnPoint, sizeof legStart);
    // The first leg is a short hop of 0 to 9 units along each axis.
    legTarget[0] = spawnPoint[0] + static_cast<float>(random.draw() % 10);
    legTarget[1] = static_cast<float>(random.draw() % 10);
    legTarget[2] = spawnPoint[2] + static_cast<float>(random.draw() % 10);
    progress = 0;
    std::memcpy(position, legStart, sizeof position);
}

void Flyer::advance(RandomSource& random, float frameDelta)
{
    for (int axis = 0; axis < 3; ++axis)
        position[axis] = legStart[axis] + (legTarget[axis] - legStart[axis]) * progress;
    progress += frameDelta * kLegProgressPerSecond;
    if (progress > 1) {
        // What lies beyond 1 is dropped: the next leg starts from its start.
        std::memcpy(legStart, legTarget, sizeof legStart);
        legTarget[0] = spawnCoordinate(random);
        legTarget[1] = 0;
        legTarget[2] = spawnCoordinate(random);
        progress = 0;
    }
}

void Flyer::keepAboveGround(const GroundLookup& lookup)
{
    const float ground = lookup.heightAt(position[0], position[2]);
    if (ground > position[1])
        position[1] = ground + static_cast<float>(kFlyerClearance);
}

void flyerWingQuads(const Flyer& flyer, float lift, WingVertex (&quads)[kWingVertexCount])
{
    for (int i = 0; i < kWingVertexCount; ++i) {
        const WingCorner& c = kWingOrder[i];
        const float* w = flyer.wingVertices[c.corner];
        quads[i] = {c.s, c.t, flyer.position[0] + w[0], flyer.position[1] + w[1] + (c.lifted ? lift : 0.0f),
                    flyer.position[2] + w[2]};
    }
}

void Flyer::draw(GLuint texture) const
{
    if (visible != 1)
        return;

    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);
    glBindTexture(GL_TEXTURE_2D, texture);

    WingVertex quads[kWingVertexCount];
    flyerWingQuads(*this, std::sin(flapPhase), quads);
    glBegin(GL_QUADS);
    for (const WingVertex& v : quads) {
        glTexCoord2i(v.s, v.t);
        glVertex3f(v.x, v.y, v.z);
    }
    glEnd();

    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
}

void Flyer::beatWings(float frameDelta)
{
    if (visible == 1)
        flapPhase += frameDelta * kFlapRadiansPerSecond;
}

LoadOutcome initFlyers(FlyerSwarm& swarm, RandomSource& random, LoadDecision decide)
{
    const DataFile sprite = DataFile::FlyerSprite;
    if (decide(sprite, createTgaTexture(&swarm.flyerTexture, dataFileName(sprite), 0)) == LoadOutcome::EndProcess)
        return LoadOutcome::EndProcess;
    for (Flyer& flyer : swarm.flyers)
        flyer.init(random);
    return LoadOutcome::Continue;
}

void markVisibleFlyers(FlyerSwarm& swarm, const FrustumPlanes& frustum)
{
    for (Flyer& flyer : swarm.flyers) {
        const float* p = flyer.position;
        flyer.visible = frustum.containsSphere(p[0], p[1], p[2], kFlyerVisibilityRadius) ? 1 : 0;
    }
}

void advanceFlyers(FlyerSwarm& swarm, RandomSource& random)
{
    for (Flyer& flyer : swarm.flyers)
        flyer.advance(random, swarm.frameDelta);
}

void keepFlyersAboveGround(FlyerSwarm& swarm, const GroundLookup& lookup)
{
    for (Flyer& flyer : swarm.flyers)
        flyer.keepAboveGround(lookup);
}

void drawFlyers(const FlyerSwarm& swarm)
{
    for (const Flyer& flyer : swarm.flyers)
        flyer.draw(swarm.flyerTexture);
}

void beatFlyerWings(FlyerSwarm& swarm)
{
    for (Flyer& flyer : swarm.flyers)
        flyer.beatWings(swarm.frameDelta);
}

void setFlyersFrameDelta(FlyerSwarm& swarm, float frameDelta) { swarm.frameDelta = frameDelta; }
