#include "scene/vegetation.h"

#include "app/frame.h"
#include "random_draws.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"
#include "support/gl_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A steep, irregular ground, so that a position read from the wrong grid
// point gives another height.
std::unique_ptr<HeightMap> slopedMap()
{
    auto map = std::make_unique<HeightMap>();
    for (int z = 0; z < kHeightMapSide; ++z) {
        for (int x = 0; x < kHeightMapSide; ++x)
            map->heights[z * kHeightMapSide + x] = static_cast<uint8_t>((x * 7 + z * 13) % 256);
    }
    return map;
}

struct Scattered {
    std::unique_ptr<GrassField> grass = std::make_unique<GrassField>();
    std::unique_ptr<PalmGrove> palms = std::make_unique<PalmGrove>();
    RandomSource random;
};

Scattered scatterBoth(const HeightMap& map)
{
    Scattered s;
    s.grass->scatter(map, s.random);
    s.palms->scatter(map, s.random);
    return s;
}

TEST(Scatter, TheFirstTuftsAndPalmsStandWhereTheRandomSourcePutsThem)
{
    const auto map = std::make_unique<HeightMap>();
    const Scattered s = scatterBoth(*map);
    EXPECT_NEAR(s.grass->tufts[0].x, 4.1, 1e-4);
    EXPECT_NEAR(s.grass->tufts[0].z, 822.7, 1e-4);
    EXPECT_NEAR(s.grass->tufts[1].x, 602.0, 1e-4);
    EXPECT_NEAR(s.grass->tufts[1].z, 892.9, 1e-4);

    EXPECT_NEAR(s.palms->palms[0].x, 238.0, 1e-4);
    EXPECT_NEAR(s.palms->palms[0].z, 220.8, 1e-4);
    EXPECT_EQ(s.palms->kinds[0], 0);
    EXPECT_NEAR(s.palms->palms[1].x, 168.2, 1e-4);
    EXPECT_NEAR(s.palms->palms[1].z, 178.6, 1e-4);
    EXPECT_EQ(s.palms->kinds[1], 2);

    int kinds[kPalmKindCount] = {};
    for (int kind : s.palms->kinds) {
        ASSERT_GE(kind, 0);
        ASSERT_LT(kind, kPalmKindCount);
        ++kinds[kind];
    }
    EXPECT_EQ(kinds[0], 177);
    EXPECT_EQ(kinds[1], 170);
    EXPECT_EQ(kinds[2], 153);
}

TEST(Scatter, GrassTakesDrawsOneTo3000AndPalms3001To4500)
{
    const auto map = std::make_unique<HeightMap>();
    const auto grass = std::make_unique<GrassField>();
    RandomSource random;
    grass->scatter(*map, random);
    EXPECT_EQ(random.state, afterDraws(3000).state);
    const auto palms = std::make_unique<PalmGrove>();
    palms->scatter(*map, random);
    EXPECT_EQ(random.state, afterDraws(4500).state);
}

TEST(Scatter, CopiesStandBelowTheHeightAtTheirTruncatedCoordinates)
{
    const auto map = slopedMap();
    const Scattered s = scatterBoth(*map);
    auto height = [&](float x, float z) {
        return static_cast<float>(map->heights[static_cast<int>(z) * kHeightMapSide + static_cast<int>(x)]);
    };
    // 4.1 and 822.7 read grid point (4, 822): truncation, not rounding.
    EXPECT_FLOAT_EQ(s.grass->tufts[0].y, static_cast<float>((4 * 7 + 822 * 13) % 256) - 1);
    for (const GrassTuft& tuft : s.grass->tufts) {
        ASSERT_FLOAT_EQ(tuft.y, height(tuft.x, tuft.z) - 1) << tuft.x << ", " << tuft.z;
        ASSERT_FALSE(tuft.visible);
    }
    for (const PalmInstance& palm : s.palms->palms) {
        ASSERT_FLOAT_EQ(palm.y, height(palm.x, palm.z) - 2.5f) << palm.x << ", " << palm.z;
        ASSERT_FALSE(palm.visible);
    }
}

TEST(Scatter, EveryRunPlacesEveryCopyIdentically)
{
    const auto map = slopedMap();
    const Scattered first = scatterBoth(*map);
    const Scattered second = scatterBoth(*map);
    EXPECT_EQ(std::memcmp(first.grass->tufts, second.grass->tufts, sizeof first.grass->tufts), 0);
    EXPECT_EQ(std::memcmp(first.palms->palms, second.palms->palms, sizeof first.palms->palms), 0);
    EXPECT_EQ(std::memcmp(first.palms->kinds, second.palms->kinds, sizeof first.palms->kinds), 0);
}

// A fine ground's surface, a slope of one height unit a world unit along x:
// read at a plant's own point, never at its cell's corner.
float fineSlope(void*, float x, float) { return x - 100; }

TEST(Scatter, OnAFineGroundCopiesStandBelowItsSurfaceAtTheirOwnPoint)
{
    const auto map = slopedMap();
    const Scattered onMap = scatterBoth(*map);
    Scattered s;
    const GroundLookup fine(fineSlope, nullptr);
    s.grass->scatter(fine, s.random);
    s.palms->scatter(fine, s.random);
    EXPECT_EQ(s.random.state, onMap.random.state) << "the draws stay as they were";
    for (int i = 0; i < kGrassTuftCount; ++i) {
        const GrassTuft& tuft = s.grass->tufts[i];
        ASSERT_EQ(tuft.x, onMap.grass->tufts[i].x);
        ASSERT_FLOAT_EQ(tuft.y, tuft.x - 100 - 1) << tuft.x;
    }
    for (int i = 0; i < kPalmCount; ++i) {
        const PalmInstance& palm = s.palms->palms[i];
        ASSERT_EQ(s.palms->kinds[i], onMap.palms->kinds[i]);
        ASSERT_FLOAT_EQ(palm.y, palm.x - 100 - 2.5f) << palm.x;
    }
}

TEST(PlantGround, OnAFineGroundTheRulesReadItsSurfaceAtThePlantsPoint)
{
    // 2 m a height unit, 4 m below the sea at height 0, 10 m a world unit
    // (a slope of 0.2), the tree line at 300 m: the shore at x = 102, the
    // tree line at x = 252.
    const PlantGround ground{-4, 2, 10, 10, 300, 300};
    const GroundLookup fine(fineSlope, nullptr);
    const struct {
        float x;
        bool stands;
    } cases[] = {
        {101.9f, false}, {102, false}, {102.1f, true}, // the cell at 102 would hold it in the sea
        {251.9f, true},  {252.1f, false},               // the tree line
    };
    for (const auto& c : cases)
        EXPECT_EQ(plantStands(ground, fine, c.x, 500.5f), c.stands) << c.x;
}

// An imported place on the equator, 10 m a world unit: sea to x = 300 (4 m
// below), the shore at sea level to x = 310, land rising gently to a cliff
// at x = 600..640 (8 m up a unit; a palm holds 6.2 m), a plateau at 350 m
// behind it, and a tree line from 300 m at the north edge to 400 m at the
// south edge, which it passes at z = 512.
TEST(PlantGround, NoDrawnPlantStandsInTheSeaOnTheCliffOrAboveTheTreeLine)
{
    const auto map = std::make_unique<HeightMap>();
    for (int x = 0; x < kHeightMapSide; ++x) {
        const int h = x < 300 ? 0 : x < 310 ? 2 : x < 600 ? 3 + (x - 310) / 20 : x < 640 ? 17 + 4 * (x - 600) : 177;
        for (int z = 0; z < kHeightMapSide; ++z)
            map->heights[z * kHeightMapSide + x] = static_cast<uint8_t>(h);
    }
    GeoReference reference{};
    const double side = 10.0 * kGeoWorldSide / 6371008.8 * 180.0 / 3.14159265358979323846; // degrees
    const LonLat corners[kGeoCornerCount] = {{0, 0}, {side, 0}, {side, -side}, {0, -side}};
    std::memcpy(reference.corners, corners, sizeof corners);
    reference.metresAtHeight0 = -4;
    reference.metresPerHeightStep = 2;
    reference.treeLineNorth = 300;
    reference.treeLineSouth = 400;
    Scattered s = scatterBoth(*map);
    s.grass->markWhereUnfit(plantGroundOf(reference), *map);
    s.palms->markWhereUnfit(plantGroundOf(reference), *map);

    // Where a plant cannot stand, where it can, and in between the cliff's
    // edges (its slope is read three cells each side) and the tree line's
    // crossing at 350 m, where it may.
    const auto check = [](float worldX, float worldZ, bool cannotStand, int (&counts)[2]) {
        const int x = static_cast<int>(worldX), z = static_cast<int>(worldZ);
        const bool cannot = x < 310 || (x >= 603 && x <= 637) || (x >= 646 && z < 500);
        if (cannot || (x < 594 || (x >= 646 && z >= 524))) {
            EXPECT_EQ(cannotStand, cannot) << x << ", " << z;
            ++counts[cannot];
        }
    };
    int tufts[2] = {}, palms[2] = {};
    for (const GrassTuft& t : s.grass->tufts)
        check(t.x, t.z, t.cannotStand, tufts);
    for (const PalmInstance& p : s.palms->palms)
        check(p.x, p.z, p.cannotStand, palms);
    EXPECT_GT(std::min({tufts[0], tufts[1], palms[0], palms[1]}), 50);
}

// All six planes the same: inside where y > 40 (n = (0, 1, 0), d = -40).
void onlyAbove40(FrustumPlanes& frustum)
{
    for (float* plane : frustum.planes) {
        plane[0] = 0;
        plane[1] = 1;
        plane[2] = 0;
        plane[3] = -40;
    }
}

TEST(MarkVisible, EachKindIsTestedWithItsRadius)
{
    const auto world = std::make_unique<World>();
    onlyAbove40(world->frustum);
    world->grassField.tufts[0].y = 30.5f; // radius 10 reaches y 40.5
    world->grassField.tufts[1].y = 30;    // just touches: outside
    world->flyers.flyers[0].position[1] = 35.5f;
    world->flyers.flyers[1].position[1] = 35;
    world->grassField.tufts[2].visible = true; // stale flags are rewritten
    world->flyers.flyers[2].visible = 1;
    markVisible(*world);
    EXPECT_TRUE(world->grassField.tufts[0].visible);
    EXPECT_FALSE(world->grassField.tufts[1].visible);
    EXPECT_FALSE(world->grassField.tufts[2].visible);
    EXPECT_EQ(world->flyers.flyers[0].visible, 1);
    EXPECT_EQ(world->flyers.flyers[1].visible, 0);
    EXPECT_EQ(world->flyers.flyers[2].visible, 0);
}

TEST(MarkVisible, APalmIsSeenByItsBaseOrBy50UnitsHigher)
{
    const auto world = std::make_unique<World>();
    onlyAbove40(world->frustum);
    PalmInstance* palms = world->palmGrove.palms;
    // Radius 29 against y > 40: a centre is inside above y = 11.
    palms[0].y = 12;     // the base sphere is inside
    palms[1].y = 0;      // base outside, the upper sphere at 50 inside
    palms[2].y = -38.9f; // the upper sphere at 11.1: just inside
    palms[3].y = -39;    // the upper sphere at 11 only touches: outside
    markVisible(*world);
    EXPECT_TRUE(palms[0].visible);
    EXPECT_TRUE(palms[1].visible);
    EXPECT_TRUE(palms[2].visible);
    EXPECT_FALSE(palms[3].visible);
}

// Draws read back through feedback: each copy's list sends a pass-through
// marker and one point at the copy's origin, so the feedback shows which
// copies were drawn, with which list, and where.
class VegetationDraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_GL_CONTEXT();
        useCubeView(kHalf);
        glEnable(GL_CULL_FACE);
        lists = glGenLists(kPalmKindCount);
        for (int kind = 0; kind < kPalmKindCount; ++kind) {
            glNewList(lists + kind, GL_COMPILE);
            glPassThrough(static_cast<GLfloat>(kind));
            glBegin(GL_POINTS);
            glVertex3f(0, 0, 0);
            glEnd();
            glEndList();
        }
        while (glGetError() != GL_NO_ERROR) {}
    }
    void TearDown() override
    {
        glDeleteLists(lists, kPalmKindCount);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
    }

    struct Drawn {
        int list;
        float x, y;
    };
    template <class Draw>
    std::vector<Drawn> drawn(Draw&& draw)
    {
        const std::vector<FeedbackRecord> sent = captureFeedback(draw);
        std::vector<Drawn> out;
        for (size_t i = 0; i + 1 < sent.size(); i += 2) {
            EXPECT_EQ(sent[i].token, static_cast<GLenum>(GL_PASS_THROUGH_TOKEN));
            EXPECT_EQ(sent[i + 1].token, static_cast<GLenum>(GL_POINT_TOKEN));
            const FeedbackVertex& v = sent[i + 1].vertices.at(0);
            out.push_back({static_cast<int>(sent[i].passThrough), (v.x / 400 - 1) * kHalf, (v.y / 300 - 1) * kHalf});
        }
        EXPECT_EQ(sent.size() % 2, 0u);
        return out;
    }

    static constexpr float kHalf = 2000; // the ortho volume spans -2000 .. 2000
    GLuint lists = 0;
};

TEST_F(VegetationDraw, TuftsNearerThan300AndVisibleAreDrawnInOrder)
{
    const auto grass = std::make_unique<GrassField>();
    grass->list = lists;
    const GrassTuft tufts[] = {
        {300, 0, 0, true},              // exactly at the limit: not drawn
        {299.9f, 0, 0, true},           // drawn
        {10, 0, 0, false},              // near but not visible
        {173.2f, 173.2f, 173.2f, true}, // 299.99 in three dimensions: drawn
        {173.3f, 0, 0, true},           // drawn
        {173.3f, 173.3f, 173.3f, true}, // 300.16: not drawn
        {0, -1, 0, true},               // drawn, one below the eye
    };
    std::memcpy(grass->tufts, tufts, sizeof tufts);

    const std::vector<Drawn> d = drawn([&] { grass->draw(0, 0, 0); });
    ASSERT_EQ(d.size(), 4u);
    EXPECT_NEAR(d[0].x, 299.9f, 0.01f);
    EXPECT_NEAR(d[1].x, 173.2f, 0.01f);
    EXPECT_NEAR(d[1].y, 173.2f, 0.01f);
    EXPECT_NEAR(d[2].x, 173.3f, 0.01f);
    EXPECT_NEAR(d[3].y, -1, 0.01f);
    for (const Drawn& copy : d)
        EXPECT_EQ(copy.list, 0);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(VegetationDraw, PalmsNearerThan600DrawTheirOwnKindsList)
{
    const auto grove = std::make_unique<PalmGrove>();
    for (int kind = 0; kind < kPalmKindCount; ++kind)
        grove->lists[kind] = lists + kind;
    const float eye[3] = {500, 30, 500};
    const PalmInstance palms[] = {
        {1100, 30, 500, true},    // exactly 600: not drawn
        {1099.9f, 30, 500, true}, // kind 1
        {500, 30, -99.9f, true},  // kind 2, along z
        {500, 629.9f, 500, true}, // kind 0, straight above
        {520, 30, 520, false},
        {510, 30, 510, true, true}, // seen and near, but it cannot stand there
    };
    std::memcpy(grove->palms, palms, sizeof palms);
    const int32_t kinds[] = {0, 1, 2, 0, 1, 2};
    std::memcpy(grove->kinds, kinds, sizeof kinds);

    const std::vector<Drawn> d = drawn([&] { grove->draw(eye[0], eye[1], eye[2]); });
    ASSERT_EQ(d.size(), 3u);
    EXPECT_EQ(d[0].list, 1);
    EXPECT_NEAR(d[0].x, 1099.9f, 0.01f);
    EXPECT_EQ(d[1].list, 2);
    EXPECT_NEAR(d[1].x, 500, 0.01f);
    EXPECT_EQ(d[2].list, 0);
    EXPECT_NEAR(d[2].y, 629.9f, 0.01f);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

} // namespace
