#pragma once
// Fine grounds and fine pictures written with libtiff as the generator
// writes them (tiled 256 x 256, every level an overview, the nodes' bounds in
// GDAL's metadata), for the readers' and the drawing's tests; with the knobs
// that make the faults a hostile file has, and two spoilers that damage a
// file once written.

#include "terrain/ground_layout.h"

#include <cstdint>
#include <string>
#include <vector>

struct GroundFixture {
    int side = 1025;                      // level 0's samples a side
    const float* heights = nullptr;       // level 0, side x side, row by row (z, then x)
    std::vector<GroundNodeBounds> bounds; // by groundNodeIndex; empty: computed from the heights
    bool bigTiff = false;
    bool coarsestFirst = false;  // the overviews from the root down, not from level 1 up
    bool withMetadata = true;    // false: no GDAL metadata tag at all
    std::string nodesText;       // not empty: the GROUND_NODES item holds this instead
    int omittedLevel = -1;       // an overview left out
    bool integerSamples = false; // the same 32 bits, marked as integers
    bool uncompressed = false;   // quicker to write than DEFLATE, for a file meant to be refused
};

// Writes the ground as "landscape.ground.tif" is written, level 0 first; the
// overviews take every 2^l-th sample, as the format says. False (and a
// failure in the calling test) when it cannot be written.
bool writeGroundFile(const std::string& path, const GroundFixture& fixture);

struct PictureFixture {
    int side = 1024;              // pixels a side at level 0
    const uint8_t* rgb = nullptr; // side x side pixels, RGB, row by row from the top
    bool jpeg = true;             // JPEG tiles stored as YCbCr, as the generator writes; else DEFLATE RGB
    int samplesPerPixel = 3;      // 1: a grey picture of the first channel
    int omittedLevel = -1;        // an overview left out
};

// A picture level's side: level 0's halved l times, rounded up.
int pictureFixtureSide(int side, int level);
// The pixels of a level as the fixture writes them: level 0's pixel
// (i * 2^l, j * 2^l) for pixel (i, j).
std::vector<uint8_t> pictureFixtureLevel(const PictureFixture& fixture, int level);
// Writes the picture with overviews down to 256 or less a side.
bool writePictureFile(const std::string& path, const PictureFixture& fixture);

// Overwrites the compressed bytes of one tile of that image (its directory,
// counted from 0) with bytes that no codec decodes.
bool spoilTile(const std::string& path, int directory, uint32_t tile);
// Rewrites element `index` of a tag of a little-endian classic TIFF's image
// in place: a claim that the file does not hold (a width of 2^31 - 1, a
// tile's byte count past the end). A one-element SHORT becomes a LONG.
bool patchTiffTag(const std::string& path, int directory, uint16_t tag, uint32_t index, uint32_t value);
