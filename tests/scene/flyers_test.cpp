#include "scene/flyers.h"

#include "random_draws.h"
#include "support/gl_feedback.h"
#include "scene/vegetation.h"
#include "support/gl_test_context.h"
#include "support/gl_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

namespace {

// The swarm as start-up leaves it: grass and palms have drawn first.
struct StartedSwarm {
    std::unique_ptr<FlyerSwarm> swarm = std::make_unique<FlyerSwarm>();
    RandomSource random;

    StartedSwarm()
    {
        const auto map = std::make_unique<HeightMap>();
        const auto grass = std::make_unique<GrassField>();
        const auto palms = std::make_unique<PalmGrove>();
        grass->scatter(*map, random);
        palms->scatter(*map, random);
        for (Flyer& flyer : swarm->flyers)
            flyer.init(random);
    }
};

void expectPoint(const float* p, float x, float y, float z, const char* what)
{
    EXPECT_FLOAT_EQ(p[0], x) << what;
    EXPECT_FLOAT_EQ(p[1], y) << what;
    EXPECT_FLOAT_EQ(p[2], z) << what;
}

TEST(FlyerInit, TheSwarmContinuesTheDrawsOfTheVegetation)
{
    const StartedSwarm s;
    const Flyer& first = s.swarm->flyers[0];
    EXPECT_FLOAT_EQ(first.flapPhase, 153);
    expectPoint(first.spawnPoint, 260, 0, 564, "spawn point");
    expectPoint(first.legStart, 260, 0, 564, "leg start");
    expectPoint(first.position, 260, 0, 564, "position");
    expectPoint(first.legTarget, 262, 7, 564, "first target");
    EXPECT_EQ(first.progress, 0);
    EXPECT_EQ(first.visible, 0);
    EXPECT_EQ(s.swarm->frameDelta, 0);
    expectPoint(s.swarm->flyers[1].spawnPoint, 594, 0, 915, "flyer 1");
    EXPECT_EQ(s.random.state, afterDraws(6000).state) << "start-up makes exactly 6000 draws";

    for (const Flyer& flyer : s.swarm->flyers) {
        // The first leg is a hop of 0 to 9 along each axis.
        for (int axis = 0; axis < 3; ++axis) {
            const float hop = flyer.legTarget[axis] - flyer.spawnPoint[axis];
            ASSERT_GE(hop, 0);
            ASSERT_LE(hop, 9);
            ASSERT_EQ(hop, std::floor(hop));
        }
        ASSERT_EQ(flyer.flapPhase, std::floor(flyer.flapPhase));
        ASSERT_LT(flyer.flapPhase, 360);
    }
}

TEST(FlyerAdvance, AllLegsEndTogetherAndDrawTheirTargetsInArrayOrder)
{
    StartedSwarm s;
    setFlyersFrameDelta(*s.swarm, 25); // a whole leg and more in one frame
    advanceFlyers(*s.swarm, s.random);
    const Flyer& first = s.swarm->flyers[0];
    expectPoint(first.position, 260, 0, 564, "drawn at the old progress 0");
    expectPoint(first.legStart, 262, 7, 564, "the old target");
    expectPoint(first.legTarget, 917, 0, 575, "the new target");
    EXPECT_EQ(s.random.state, afterDraws(6500).state);
    for (const Flyer& flyer : s.swarm->flyers) {
        ASSERT_EQ(flyer.progress, 0) << "nothing beyond the end is carried";
        ASSERT_EQ(flyer.legTarget[1], 0);
    }

    // The next frame starts from the old target.
    setFlyersFrameDelta(*s.swarm, 0);
    advanceFlyers(*s.swarm, s.random);
    expectPoint(first.position, 262, 7, 564, "next frame");
    EXPECT_EQ(s.random.state, afterDraws(6500).state) << "no leg ended";
}

Flyer flyerOnLeg(float progress)
{
    Flyer flyer = {};
    const float start[3] = {100, 0, 200};
    const float target[3] = {200, 10, 100};
    std::copy(start, start + 3, flyer.legStart);
    std::copy(target, target + 3, flyer.legTarget);
    flyer.progress = progress;
    return flyer;
}

TEST(FlyerAdvance, TheFrameThatEndsALegIsDrawnAtTheOldProgress)
{
    RandomSource random;
    Flyer flyer = flyerOnLeg(0.99f);
    flyer.advance(random, 1);
    EXPECT_NEAR(flyer.position[0], 199, 1e-4);
    EXPECT_NEAR(flyer.position[1], 9.9, 1e-4);
    EXPECT_NEAR(flyer.position[2], 101, 1e-4);
    EXPECT_EQ(flyer.progress, 0);
    expectPoint(flyer.legStart, 200, 10, 100, "the next leg starts at the old target");
    EXPECT_EQ(random.state, afterDraws(2).state);

    flyer.advance(random, 1);
    expectPoint(flyer.position, 200, 10, 100, "next frame");
    EXPECT_FLOAT_EQ(flyer.progress, 0.05f);
}

TEST(FlyerAdvance, ProgressMovesAtOneTwentiethPerSecondAndEndsOnlyPastOne)
{
    struct Case {
        float progress, frameDelta, progressAfter;
        int draws;
    };
    const Case cases[] = {
        {0, 0, 0, 0},     // the first frame's delta is 0: nothing moves
        {0, 10, 0.5f, 0}, // half a leg in ten seconds
        {1, 0, 1, 0},     // exactly 1 is not past the end
        {0.5f, 25, 0, 2}, // far past the end: the excess is dropped
    };
    for (const Case& c : cases) {
        RandomSource random;
        Flyer flyer = flyerOnLeg(c.progress);
        flyer.advance(random, c.frameDelta);
        EXPECT_FLOAT_EQ(flyer.progress, c.progressAfter) << c.progress << " + " << c.frameDelta;
        EXPECT_EQ(random.state, afterDraws(c.draws).state) << c.progress << " + " << c.frameDelta;
    }
}

class FlyerGround : public ::testing::Test {
protected:
    void fill(uint8_t height) { std::fill(std::begin(map->heights), std::end(map->heights), height); }
    std::unique_ptr<HeightMap> map = std::make_unique<HeightMap>();
};

TEST_F(FlyerGround, AFlyerKeeps15AboveGroundHigherThanItsLeg)
{
    struct Case {
        uint8_t ground;
        float y, yAfter;
    };
    const Case cases[] = {
        {200, 0, 215},         {200, 199.5f, 215}, {200, 200, 200}, // level with the ground is not below it
        {200, 200.5f, 200.5f}, {0, 0, 0},          {0, 9, 9},
    };
    for (const Case& c : cases) {
        fill(c.ground);
        Flyer flyer = {};
        flyer.position[0] = 300.7f;
        flyer.position[1] = c.y;
        flyer.position[2] = 400.2f;
        flyer.keepAboveGround(*map);
        EXPECT_FLOAT_EQ(flyer.position[1], c.yAfter) << "ground " << int{c.ground} << ", y " << c.y;
    }
}

TEST_F(FlyerGround, TheHeightIsReadAtTheTruncatedPositionAndWraps)
{
    // Only grid point (8, 5) and (1023, 6) are raised.
    map->heights[5 * kHeightMapSide + 8] = 100;
    map->heights[6 * kHeightMapSide + 1023] = 50;
    struct Case {
        float x, z, yAfter;
    };
    const Case cases[] = {
        {1032, 5, 115},                                          // a first-leg target 9 beyond the grid
        {8.99f, 5.99f, 115},                                     // truncated, not rounded
        {9, 5, 0},           {1023.5f, 6.5f, 65}, {-0.5f, 6, 0}, // truncation toward zero reads column 0
    };
    for (const Case& c : cases) {
        Flyer flyer = {};
        flyer.position[0] = c.x;
        flyer.position[2] = c.z;
        flyer.keepAboveGround(*map);
        EXPECT_FLOAT_EQ(flyer.position[1], c.yAfter) << c.x << ", " << c.z;
    }
}

TEST(FlyerWings, EightCornersWithTheTipsLifted)
{
    Flyer flyer = {};
    RandomSource random;
    flyer.init(random);
    flyer.position[0] = 10;
    flyer.position[1] = 20;
    flyer.position[2] = 30;
    WingVertex quads[kWingVertexCount];
    flyerWingQuads(flyer, 0.5f, quads);
    const WingVertex expected[kWingVertexCount] = {
        {0, 1, 9, 20.5f, 29}, {0, 0, 9, 20.5f, 30}, {1, 0, 10, 20, 30},     {1, 1, 10, 20, 29},
        {0, -1, 10, 20, 30},  {0, 0, 10, 20, 29},   {-1, 0, 11, 20.5f, 29}, {-1, -1, 11, 20.5f, 30},
    };
    for (int i = 0; i < kWingVertexCount; ++i) {
        EXPECT_EQ(quads[i].s, expected[i].s) << "vertex " << i + 1;
        EXPECT_EQ(quads[i].t, expected[i].t) << "vertex " << i + 1;
        EXPECT_FLOAT_EQ(quads[i].x, expected[i].x) << "vertex " << i + 1;
        EXPECT_FLOAT_EQ(quads[i].y, expected[i].y) << "vertex " << i + 1;
        EXPECT_FLOAT_EQ(quads[i].z, expected[i].z) << "vertex " << i + 1;
    }

    // Lowered tips fall below the body line by the same amount.
    flyerWingQuads(flyer, -1, quads);
    EXPECT_FLOAT_EQ(quads[0].y, 19);
    EXPECT_FLOAT_EQ(quads[2].y, 20);
}

// Drawing, read back through feedback in an orthographic volume of world units.
class FlyerDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        useCubeView(200);
        glGenTextures(2, textures);
        glBindTexture(GL_TEXTURE_2D, textures[0]);
        glColor3f(1, 1, 1);
        RandomSource random;
        flyer.init(random);
        flyer.position[0] = 100;
        flyer.position[1] = 50;
        flyer.position[2] = -20;
        flyer.flapPhase = static_cast<float>(M_PI / 2); // tips fully up
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override
    {
        glDeleteTextures(2, textures);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_CULL_FACE);
    }

    Flyer flyer = {};
    GLuint textures[2] = {};
};

TEST_F(FlyerDraw, AVisibleFlyerSendsTwoQuadsAndRestoresItsState)
{
    flyer.visible = 1;
    glEnable(GL_CULL_FACE);
    const std::vector<FeedbackRecord> sent = captureFeedback([&] {
        flyer.draw(textures[1]);
        flyer.beatWings(0.5f);
    });
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Each quad comes back as a polygon (or two triangles): gather the corners.
    std::vector<FeedbackVertex> corners;
    for (const FeedbackRecord& r : sent) {
        ASSERT_EQ(r.token, static_cast<GLenum>(GL_POLYGON_TOKEN));
        corners.insert(corners.end(), r.vertices.begin(), r.vertices.end());
    }
    ASSERT_GE(corners.size(), 8u);
    float highest = -1e9f;
    float lowest = 1e9f;
    for (const FeedbackVertex& v : corners) {
        const float y = (v.y / 300 - 1) * 200;
        highest = std::max(highest, y);
        lowest = std::min(lowest, y);
        EXPECT_GE((v.x / 400 - 1) * 200, 99 - 1e-3);
        EXPECT_LE((v.x / 400 - 1) * 200, 101 + 1e-3);
    }
    EXPECT_NEAR(highest, 51, 1e-3) << "the tips are lifted by sin(pi / 2)";
    EXPECT_NEAR(lowest, 50, 1e-3) << "the body line stays at the position";

    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint value = 0;
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &value);
    EXPECT_EQ(value, GL_GREATER);
    GLfloat reference = 0;
    glGetFloatv(GL_ALPHA_TEST_REF, &reference);
    EXPECT_NEAR(reference, 0.1f, 1e-6);
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(static_cast<GLuint>(value), textures[1]);
    EXPECT_FLOAT_EQ(flyer.flapPhase, static_cast<float>(M_PI / 2) + 0.5f * 10.1f);
}

TEST_F(FlyerDraw, AFlyerNotMarkedExactlyOneIssuesNothingAndDoesNotFlap)
{
    // It still moves: advance does not look at the flag.
    flyer.legTarget[0] = flyer.legStart[0] + 100;
    flyer.progress = 0.5f;
    RandomSource random;
    flyer.advance(random, 0.5f);
    EXPECT_FLOAT_EQ(flyer.position[0], flyer.legStart[0] + 50);

    for (int visible : {0, 2, 255}) {
        flyer.visible = static_cast<uint8_t>(visible);
        glDisable(GL_CULL_FACE); // a draw would leave culling on
        const float phase = flyer.flapPhase;
        const std::vector<FeedbackRecord> sent = captureFeedback([&] {
            flyer.draw(textures[1]);
            flyer.beatWings(0.5f);
        });
        EXPECT_TRUE(sent.empty()) << visible;
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << visible;
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), textures[0]) << visible;
        EXPECT_EQ(flyer.flapPhase, phase) << visible;
    }
}

} // namespace
