#include "terrain/height_map.h"

#include "assets/file_bytes.h"

#include <climits>
#include <cmath>
#include <cstdio>

int gridCoordinate(float worldCoordinate)
{
    if (std::isnan(worldCoordinate))
        return 0;
    // INT_MAX is not a float; 2^31 is, and anything at or past it saturates.
    if (worldCoordinate >= 2147483648.0f)
        return INT_MAX;
    if (worldCoordinate <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(worldCoordinate);
}

Report loadHeightMap(const char* fileName, size_t byteCount, HeightMap& map)
{
    std::FILE* file = openFileForReading(fileName);
    if (file == nullptr)
        return loadFailure("Can't find the height map!");
    // The map holds what it holds, whatever the caller asks for.
    if (byteCount > sizeof map.heights)
        byteCount = sizeof map.heights;
    // A short file fills only the leading heights; the rest stay 0 unannounced.
    std::fread(map.heights, 1, byteCount, file);
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    return readError ? loadFailure("Can't get data!") : Report{};
}

int heightAt(const HeightMap* map, int x, int z)
{
    if (map == nullptr)
        return 0;
    // The side is a power of two, so masking the two's-complement bits wraps
    // negative coordinates the same way as positive ones (-1 -> 1023).
    static_assert((kHeightMapSide & (kHeightMapSide - 1)) == 0, "the wrap needs a power-of-two side");
    constexpr unsigned kMask = kHeightMapSide - 1;
    const unsigned column = static_cast<unsigned>(x) & kMask;
    const unsigned row = static_cast<unsigned>(z) & kMask;
    return map->heights[row * kHeightMapSide + column];
}
