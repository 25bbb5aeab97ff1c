#include "scene/vegetation.h"

#include "app/frame.h"
#include "random_draws.h"
#include "support/gl_feedback.h"
#include "support/gl_test_context.h"
#include "support/gl_view.h"

#include <gtest/gtest.h>

#include <cmath>
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

// Heights every three steps a cell along x, and the metres a few grounds
// give there (a world unit is 10 m): at x = 40 the byte is 120 and the
// slope measured three cells each side 18 steps over 60 m.
TEST(PlantGround, StandsAboveTheSeaOnHoldableGroundBelowTheTreeLine)
{
    const auto map = std::make_unique<HeightMap>();
    for (int z = 0; z < kHeightMapSide; ++z)
        for (int x = 0; x < kHeightMapSide; ++x)
            map->heights[z * kHeightMapSide + x] = static_cast<uint8_t>(3 * (x % 80));
    const double open = HUGE_VAL;
    const struct {
        PlantGround ground;
        bool stands;
        const char* what;
    } cases[] = {
        {{-4, 2, 10, 10, open, open}, true, "236 m, a slope of 0.6"},
        {{-4, 2.1, 10, 10, open, open}, false, "a slope of 0.63"},
        {{-4, 2, 10, 0.01, open, open}, true, "level along z, however short a unit along it"},
        {{-240, 2, 10, 10, open, open}, false, "at sea level"},
        {{-239, 2, 10, 10, open, open}, true, "a metre above it"},
        {{-4, 2, 10, 10, 236, 236}, true, "at the tree line"},
        {{-4, 2, 10, 10, 235.9, 235.9}, false, "above it"},
        {{-4, 2, 10, 10, 200, 200 + 102.4 * 36.1}, true, "below it where it rises southwards"},
        {{-4, 2, 10, 10, 200, 200 + 102.4 * 35.9}, false, "above it, a little farther north"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plantStands(c.ground, *map, 40, 10), c.stands) << c.what;
}

// An imported place on the equator, 10 m a world unit: sea to x = 300 (4 m
// below), the shore at sea level to x = 310, land rising gently to a cliff
// at x = 600..640 (8 m up a unit), a plateau at 350 m behind it, and a tree
// line from 300 m at the north edge to 400 m at the south edge.
TEST(PlantGround, NoDrawnPlantStandsInTheSeaOnTheCliffOrAboveTheTreeLine)
{
    const auto map = std::make_unique<HeightMap>();
    const auto height = [](int x) {
        return x < 300 ? 0 : x < 310 ? 2 : x < 600 ? 3 + (x - 310) / 20 : x < 640 ? 17 + 4 * (x - 600) : 177;
    };
    for (int z = 0; z < kHeightMapSide; ++z)
        for (int x = 0; x < kHeightMapSide; ++x)
            map->heights[z * kHeightMapSide + x] = static_cast<uint8_t>(height(x));
    GeoReference reference{};
    const double degrees = 10.0 * kGeoWorldSide / 6371008.8 * 180.0 / 3.14159265358979323846;
    reference.corners[int(GeoCorner::NorthWest)] = {0, 0};
    reference.corners[int(GeoCorner::NorthEast)] = {degrees, 0};
    reference.corners[int(GeoCorner::SouthEast)] = {degrees, -degrees};
    reference.corners[int(GeoCorner::SouthWest)] = {0, -degrees};
    reference.metresAtHeight0 = -4;
    reference.metresPerHeightStep = 2;
    reference.treeLineNorth = 300;
    reference.treeLineSouth = 400;

    Scattered s = scatterBoth(*map);
    const Scattered before = scatterBoth(*map);
    const PlantGround ground = plantGroundOf(reference);
    s.grass->markWhereUnfit(ground, *map);
    s.palms->markWhereUnfit(ground, *map);
    EXPECT_EQ(std::memcmp(s.palms->kinds, before.palms->kinds, sizeof s.palms->kinds), 0);

    // Where a plant stands for certain, where it cannot, and the edges of the
    // cliff in between (its slope is read three cells each side).
    enum Spot { Stands, Cannot, Either };
    const auto spot = [](float worldX, float worldZ) {
        const int x = static_cast<int>(worldX), z = static_cast<int>(worldZ);
        if (x < 310 || (x >= 603 && x <= 637) || (x >= 646 && z < 500))
            return Cannot;
        if ((x >= 594 && x < 646) || (x >= 646 && z < 524))
            return Either;
        return Stands;
    };
    int counts[2][3] = {};
    const auto check = [&](int kind, float x, float z, bool cannotStand, float y, float beforeY) {
        const Spot where = spot(x, z);
        ++counts[kind][where];
        EXPECT_EQ(y, beforeY);
        if (where != Either) {
            EXPECT_EQ(cannotStand, where == Cannot) << x << ", " << z;
        }
    };
    for (int i = 0; i < kGrassTuftCount; ++i) {
        const GrassTuft& t = s.grass->tufts[i];
        check(0, t.x, t.z, t.cannotStand, t.y, before.grass->tufts[i].y);
    }
    for (int i = 0; i < kPalmCount; ++i) {
        const PalmInstance& p = s.palms->palms[i];
        check(1, p.x, p.z, p.cannotStand, p.y, before.palms->palms[i].y);
    }
    for (const auto& kind : counts) {
        EXPECT_GT(kind[Stands], 50);
        EXPECT_GT(kind[Cannot], 50);
    }
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
