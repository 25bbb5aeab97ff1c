// The ground as the viewer walks on it: read from the raw height file.
#include "erosion.h"
#include "fine_ground.h"
#include "support/generated_set.h"
#include "heightfield.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace landscape_test {
namespace {

// The viewer's lookup: row-major by z then x, both wrapping modulo 1024.
int groundAt(int x, int z)
{
    const std::vector<uint8_t>& map = defaultFile("Tertest.raw");
    return map[static_cast<size_t>(z & 1023) * 1024 + (x & 1023)];
}

// The viewer starts with its eye at (500, 35, 500) and follows the ground
// only when the eye is less than 10 above it; its eye then rests 5.5 above.
TEST(StartSite, ViewerStartsStandingOnTheGround)
{
    const int ground = groundAt(500, 500);
    EXPECT_GE(ground, 26);
    EXPECT_LE(ground, 40);
}

TEST(StartSite, ViewAlongPlusXCrossesLowGroundThenHills)
{
    const int start = groundAt(500, 500);
    // A valley floor or plain in front: no rise that blocks the view nearby.
    for (int x = 500; x <= 560; ++x)
        EXPECT_LE(std::abs(groundAt(x, 500) - start), 15) << "x = " << x;
    // Hills within a few hundred units, well above the eye.
    int highest = 0;
    for (int x = 560; x <= 850; ++x)
        highest = std::max(highest, groundAt(x, 500));
    EXPECT_GE(highest, start + 80);
}

// The origin palm's foot is at y = 0 in world coordinates.
TEST(OriginShore, GroundNearTheOriginStaysWithinThreeUnits)
{
    for (int z = -35; z <= 35; ++z) {
        for (int x = -35; x <= 35; ++x) {
            if (x * x + z * z > 35 * 35)
                continue;
            const int ground = groundAt(x, z);
            EXPECT_LE(ground, 3) << "at (" << x << ", " << z << ")";
        }
    }
}

TEST(Relief, UsesMostOfTheByteRange)
{
    std::vector<uint8_t> sorted = defaultFile("Tertest.raw");
    std::sort(sorted.begin(), sorted.end());
    EXPECT_LE(sorted[sorted.size() / 200], 15);
    EXPECT_GE(sorted.back(), 230);
    const double mean = std::accumulate(sorted.begin(), sorted.end(), 0.0) / static_cast<double>(sorted.size());
    double variance = 0.0;
    for (uint8_t h : sorted)
        variance += (h - mean) * (h - mean);
    EXPECT_GT(std::sqrt(variance / static_cast<double>(sorted.size())), 30.0);
}

// The terrain mesh reads row 0 again at z = 1024 and columns 0 and 8 at
// x = 1024 and 1032: across the map's edges the ground must run on as it
// does between any two neighbouring rows.
TEST(Relief, ContinuesAcrossTheMapEdges)
{
    double seamRows = 0.0;
    double seamColumns = 0.0;
    double inner = 0.0;
    for (int i = 0; i < 1024; ++i) {
        seamRows += std::abs(groundAt(i, 1023) - groundAt(i, 0));
        seamColumns += std::abs(groundAt(1023, i) - groundAt(0, i));
        inner += std::abs(groundAt(i, 511) - groundAt(i, 512)) + std::abs(groundAt(511, i) - groundAt(512, i));
    }
    inner /= 2.0;
    EXPECT_LE(seamRows, 2.0 * inner + 1024.0);
    EXPECT_LE(seamColumns, 2.0 * inner + 1024.0);
}

// The generated ground at 1025 is the map's own heights before rounding,
// repeating at 1024; at 2049 it keeps them at every other sample and adds
// finer relief between them, the same for the same seed.
TEST(FineGround, GeneratedGroundHoldsTheMapsHeightsAndRefinesBetweenThem)
{
    const landscape::HeightField field = landscape::generateHeightField(landscape::kDefaultSeed);
    const std::vector<uint8_t>& map = defaultFile("Tertest.raw");
    const landscape::FineGround coarse = landscape::refineGeneratedGround(field, 1025, landscape::kDefaultSeed);
    const landscape::FineGround fine = landscape::refineGeneratedGround(field, 2049, landscape::kDefaultSeed);
    ASSERT_EQ(coarse.side, 1025);
    ASSERT_EQ(fine.side, 2049);
    double farthest = 0.0, between = 0.0;
    size_t moved = 0; // the map's heights that the finer ground does not keep
    for (int z = 0; z <= 1024; ++z)
        for (int x = 0; x <= 1024; ++x) {
            const float height = coarse.at(x, z);
            farthest = std::max(farthest, std::fabs(double(height) - groundAt(x, z)));
            moved += fine.at(2 * x, 2 * z) != height;
            if (x < 1024 && z < 1024)
                between = std::max(between, std::fabs(fine.at(2 * x + 1, 2 * z + 1) -
                                                      0.25 * (double(height) + coarse.at(x + 1, z) +
                                                              coarse.at(x, z + 1) + coarse.at(x + 1, z + 1))));
        }
    EXPECT_LE(farthest, 0.5);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(landscape::byteMapOf(coarse).heights, field.heights);
    EXPECT_EQ(landscape::heightBytes(landscape::byteMapOf(fine)), map);
    EXPECT_GT(between, 0.05);
    EXPECT_LT(between, 20.0);
    EXPECT_EQ(landscape::refineGeneratedGround(field, 2049, landscape::kDefaultSeed).heights, fine.heights);
}

// --ground-size takes the five sides and none; an import's default side holds its window.
TEST(FineGround, SidesNamedAndChosen)
{
    const struct {
        const char* text;
        std::optional<int> side;
    } words[] = {
        {"1025", 1025}, {"2049", 2049}, {"4097", 4097}, {"8193", 8193}, {"16385", 16385}, {"none", 0},
        {"1024", {}},   {"513", {}},    {"32769", {}},  {"0", {}},      {"+1025", {}},    {"1025 ", {}},
        {"None", {}},   {"", {}},       {"2049x", {}},  {"-1025", {}},
    };
    for (const auto& word : words)
        EXPECT_EQ(landscape::groundSizeNamed(word.text), word.side) << word.text;
    const struct {
        int width, height, side;
    } windows[] = {
        {1, 1, 1025},     {1025, 1025, 1025}, {1026, 10, 2049},      {300, 2049, 2049},
        {3601, 3601, 4097}, {16385, 200, 16385}, {40000, 40000, 16385},
    };
    for (const auto& window : windows)
        EXPECT_EQ(landscape::groundSideFor(window.width, window.height), window.side) << window.width;
}

// A cone on a small grid, to watch the erosion passes work.
std::vector<float> cone(int size, float peak)
{
    std::vector<float> h(static_cast<size_t>(size) * size);
    for (int z = 0; z < size; ++z) {
        for (int x = 0; x < size; ++x) {
            const float r = std::hypot(static_cast<float>(x - size / 2), static_cast<float>(z - size / 2));
            h[static_cast<size_t>(z) * size + x] =
                std::max(0.0f, peak - r * peak / (0.4f * static_cast<float>(size)));
        }
    }
    return h;
}

TEST(Erosion, DropletsWearThePeakDownAndNeverAddSoil)
{
    std::vector<float> h = cone(64, 1.0f);
    const double before = std::accumulate(h.begin(), h.end(), 0.0);
    landscape::ErosionSettings settings;
    settings.droplets = 4000;
    landscape::erodeWithDroplets(h, 64, 7, settings);

    EXPECT_LT(*std::max_element(h.begin(), h.end()), 0.99f);
    // Droplets carry soil off when they evaporate; they never make it.
    EXPECT_LE(std::accumulate(h.begin(), h.end(), 0.0), before + 1e-3);
    EXPECT_GE(*std::min_element(h.begin(), h.end()), 0.0f);
}

TEST(Erosion, SlumpingKeepsTheVolumeAndFlattensSteepWalls)
{
    // A one-cell pillar beside a wall that crosses the wrapping edge.
    std::vector<float> h(16 * 16, 0.0f);
    h[5 * 16 + 5] = 10.0f;
    for (int z = 0; z < 16; ++z)
        h[static_cast<size_t>(z) * 16 + 15] = 6.0f;
    const double before = std::accumulate(h.begin(), h.end(), 0.0);

    landscape::relaxSlopes(h, 16, 1.0f, 200);

    EXPECT_NEAR(std::accumulate(h.begin(), h.end(), 0.0), before, 1e-3);
    float steepest = 0.0f;
    for (int z = 0; z < 16; ++z) {
        for (int x = 0; x < 16; ++x) {
            const float here = h[static_cast<size_t>(z) * 16 + x];
            steepest = std::max(steepest, std::fabs(here - h[static_cast<size_t>(z) * 16 + (x + 1) % 16]));
            steepest = std::max(steepest, std::fabs(here - h[static_cast<size_t>((z + 1) % 16) * 16 + x]));
        }
    }
    EXPECT_LT(steepest, 1.1f);
}

} // namespace
} // namespace landscape_test
