#include "terrain/height_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A map with guard bytes behind it, to see that nothing is written past it.
struct GuardedMap {
    HeightMap map;
    uint8_t guard[256];
};
constexpr uint8_t kGuard = 0xA5;

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    if (!bytes.empty()) {
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    }
    std::fclose(file);
}

// Bytes 1..251 repeating: never 0, so every byte read from a file is visible.
std::vector<uint8_t> pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i % 251 + 1);
    return bytes;
}

class HeightMapFile : public ::testing::Test {
protected:
    void SetUp() override { std::fill(std::begin(guarded->guard), std::end(guarded->guard), kGuard); }

    bool guardIntact() const
    {
        return std::all_of(std::begin(guarded->guard), std::end(guarded->guard),
                           [](uint8_t b) { return b == kGuard; });
    }
    size_t zeroHeights() const
    {
        return static_cast<size_t>(std::count(std::begin(guarded->map.heights), std::end(guarded->map.heights), 0));
    }

    std::unique_ptr<GuardedMap> guarded = std::make_unique<GuardedMap>();
    HeightMap& map = guarded->map;
};

// ---- lookup

TEST(HeightAt, WrapsBothCoordinatesIntoTheMap)
{
    auto map = std::make_unique<HeightMap>();
    map->heights[0] = 11;                            // (0, 0)
    map->heights[5 * kHeightMapSide + 8] = 22;       // (8, 5)
    map->heights[1023 * kHeightMapSide + 1023] = 33; // (1023, 1023)
    map->heights[8 * kHeightMapSide + 5] = 44;       // (5, 8): x and z are not swapped
    map->heights[1023] = 0xFF;                       // (1023, 0)
    struct Case {
        int x, z;
        int height;
    };
    const Case cases[] = {
        {0, 0, 11},     {1024, 1024, 11}, {-1024, -1024, 11},     {2048, -3072, 11},      {8, 5, 22}, {1032, 5, 22},
        {8, -1019, 22}, {1023, 1023, 33}, {-1, -1, 33},           {-1025, -1025, 33},     {5, 8, 44}, {1023, 0, 255},
        {-1, 0, 255},   {-1, 1024, 255},  {INT_MIN, INT_MIN, 11}, {INT_MAX, INT_MAX, 33}, {1, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(heightAt(map.get(), c.x, c.z), c.height) << "(" << c.x << ", " << c.z << ")";
}

TEST(HeightAt, WithoutAMapIsZeroEverywhere)
{
    for (int coordinate : {0, 5, -1, 1024, INT_MIN, INT_MAX})
        EXPECT_EQ(heightAt(nullptr, coordinate, coordinate), 0);
}

TEST(HeightAt, FloatPositionsTruncateTowardZeroAndStayDefinedForAnyFloat)
{
    auto map = std::make_unique<HeightMap>();
    map->heights[0] = 10;                     // column 0 of row 0
    map->heights[1] = 20;                     // column 1
    map->heights[1023] = 30;                  // column 1023
    map->heights[1023 * kHeightMapSide] = 40; // (0, 1023)
    struct Case {
        float x, z;
        int height;
    };
    const Case cases[] =
        {
            {-0.5f, 0, 10},   {-1.5f, 0, 30},     {0.999f, 0.5f, 10}, {1.0f, 0, 20},
            {1023.9f, 0, 30}, {NAN, 0, 10},       {0, NAN, 10},       {-NAN, -NAN, 10},
            {1e30f, 0, 30},   {INFINITY, 0, 30},  // saturated at the largest integer: column 1023
            {-1e30f, 0, 10},  {-INFINITY, 0, 10}, // the smallest integer wraps to column 0
            {0, 1e30f, 40},
        };
    for (const Case& c : cases)
        EXPECT_EQ(heightAt(map.get(), gridCoordinate(c.x), gridCoordinate(c.z)), c.height) << c.x << ", " << c.z;
}

// ---- loading

TEST_F(HeightMapFile, AWholeFileFillsTheMapRowByRow)
{
    std::vector<uint8_t> bytes(kHeightMapBytes, 9);
    bytes[5 * 1024 + 8] = 200;
    bytes[1024 * 1024 - 1] = 0xFF;
    const std::string path = tempPath("whole.raw");
    writeFile(path, bytes);

    EXPECT_FALSE(loadHeightMap(path.c_str(), kHeightMapBytes, map).failed());
    EXPECT_EQ(heightAt(&map, 8, 5), 200);
    EXPECT_EQ(heightAt(&map, 5, 8), 9);
    EXPECT_EQ(heightAt(&map, 1023, 1023), 255);
    EXPECT_EQ(zeroHeights(), 0u);
    EXPECT_TRUE(guardIntact());
}

TEST_F(HeightMapFile, AMissingFileGivesOneMessageAndFlatGround)
{
    const Report report = loadHeightMap(tempPath("no-such-height-map.raw").c_str(), kHeightMapBytes, map);
    EXPECT_EQ(report.failure, Failure::Read);
    EXPECT_EQ(report.text, "Can't find the height map!");
    EXPECT_EQ(zeroHeights(), kHeightMapBytes);
    EXPECT_EQ(heightAt(&map, 500, 500), 0);
}

TEST_F(HeightMapFile, AShortFileFillsOnlyItsLeadingHeightsSilently)
{
    const std::string path = tempPath("short.raw");
    writeFile(path, pattern(1000));
    EXPECT_FALSE(loadHeightMap(path.c_str(), kHeightMapBytes, map).failed());
    EXPECT_EQ(heightAt(&map, 0, 0), 1);
    EXPECT_EQ(heightAt(&map, 999, 0), 999 % 251 + 1);
    EXPECT_EQ(heightAt(&map, 1000, 0), 0);
    EXPECT_EQ(heightAt(&map, 0, 1), 0);
    EXPECT_EQ(zeroHeights(), kHeightMapBytes - 1000);
    EXPECT_TRUE(guardIntact());

    writeFile(path, {});
    auto empty = std::make_unique<HeightMap>();
    EXPECT_FALSE(loadHeightMap(path.c_str(), kHeightMapBytes, *empty).failed()) << "an empty file is a short file";
}

TEST_F(HeightMapFile, NothingPastTheMapIsReadOrWritten)
{
    const std::string path = tempPath("long.raw");
    writeFile(path, pattern(kHeightMapBytes + 100));

    EXPECT_FALSE(loadHeightMap(path.c_str(), kHeightMapBytes, map).failed());
    EXPECT_EQ(heightAt(&map, 1023, 1023), static_cast<int>((kHeightMapBytes - 1) % 251 + 1));
    EXPECT_TRUE(guardIntact());

    // Asking for more than the map holds still fills only the map.
    EXPECT_FALSE(loadHeightMap(path.c_str(), kHeightMapBytes + 100, map).failed());
    EXPECT_TRUE(guardIntact());
}

TEST_F(HeightMapFile, AReadErrorGivesOneMessage)
{
    // A folder opens for reading but cannot be read.
    const Report report = loadHeightMap(::testing::TempDir().c_str(), kHeightMapBytes, map);
    EXPECT_EQ(report.failure, Failure::Read);
    EXPECT_EQ(report.text, "Can't get data!");
    EXPECT_EQ(zeroHeights(), kHeightMapBytes);
}

// A pipe or a device in the map's place is refused as a missing map would
// be, without waiting for a writer or reading without end.
TEST_F(HeightMapFile, APipeOrADeviceIsNotWaitedOn)
{
    const std::string pipe = tempPath("height-map-pipe.raw");
    std::remove(pipe.c_str());
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
        const Report report = loadHeightMap(path.c_str(), kHeightMapBytes, map);
        EXPECT_EQ(report.failure, Failure::Read) << path;
        EXPECT_EQ(report.text, "Can't find the height map!") << path;
    }
    std::remove(pipe.c_str());
}

} // namespace
