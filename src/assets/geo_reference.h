#pragma once
// The geographic reference of an imported place, "landscape.geo.json" beside
// the data files: where the world's grid lies on the Earth and what a height
// step is in metres. The generator writes it for a georeferenced elevation
// model; the viewer reads it once at start-up for the readout of where you
// stand (F3), and the checker validates it. It lives with the other readers:
// like them it decodes bytes into a record or a reason, and the application
// decides what a damaged file costs (never more than the readout).
//
// World x (column) and z (row) run over 0 .. 1024, one grid step per world
// unit; z = 0 is the north edge, x = 0 the west edge. Degrees are WGS 84,
// longitude first, east and north positive.

#include "assets/landscape_facts.h"
#include "assets/report.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

constexpr const char* kGeoReferenceFile = "landscape.geo.json";
constexpr size_t kGeoReferenceMostBytes = size_t{1} << 20;       // a larger file is refused unread
constexpr int kGeoWorldSide = kGroundSide;                       // world units the grid spans each way
constexpr int kGeoGridEvery = 64;                                // world units between grid points
constexpr int kGeoGridCount = kGeoWorldSide / kGeoGridEvery + 1; // points along each side: 17
constexpr int kGeoGridPoints = kGeoGridCount * kGeoGridCount;

struct LonLat {
    double longitude, latitude; // degrees
};

enum class GeoCorner : uint8_t { NorthWest, NorthEast, SouthEast, SouthWest };
constexpr int kGeoCornerCount = 4;

struct GeoReference {
    std::string systemWkt; // the model's coordinate system, which X and Y are in
    // GDAL's order: the model's own X = g0 + x g1 + z g2, Y = g3 + x g4 + z g5,
    // the integer world point at the centre of its ground sample.
    std::array<double, 6> geotransform;
    double metresAtHeight0;          // the ground's height in metres above the datum at height byte 0
    double metresPerHeightStep;      // > 0
    LonLat corners[kGeoCornerCount]; // world (0, 0), (1024, 0), (1024, 1024), (0, 1024), by GeoCorner
    LonLat grid[kGeoGridPoints];     // world (64 c, 64 r) at index 17 r + c: row z = 0 first
    // The tree line in metres at the north edge (z = 0) and the south edge
    // (z = 1024), even in between: the one the ground is painted by, where
    // plants stop. Infinite in a file that gives none (an older generator's).
    double treeLineNorth;
    double treeLineSouth;
};

enum class GeoReferenceStatus : uint8_t {
    Read,
    Missing, // no such file: the place has no reference, which is no fault
    Damaged, // there is one, but it cannot be used; `report` says why
};

struct GeoReferenceRead {
    GeoReferenceStatus status = GeoReferenceStatus::Missing;
    GeoReference reference{}; // when Read
    Report report;            // when Damaged: one line, without the file's name
};

// The corners from the grid's corner points, as the file repeats them.
void setCornersFromGrid(GeoReference& reference);

// The file's text, which parseGeoReference reads back to the same record:
// one JSON object whose numbers read back to the same doubles.
std::string formatGeoReference(const GeoReference& reference);

// Decodes a whole file's bytes. Anything the object holds beyond the fields
// above is ignored; a missing field (but the optional tree line), a wrong type, a number that is not
// finite or out of its range, a wrong point count, corners that are not the
// grid's own, or more than kGeoReferenceMostBytes make it Damaged.
GeoReferenceRead parseGeoReference(const uint8_t* bytes, size_t size);

// Reads the named file: Missing when there is none, Damaged when it cannot be
// read or decoded. A file over kGeoReferenceMostBytes is refused unread.
GeoReferenceRead readGeoReference(const char* fileName);
