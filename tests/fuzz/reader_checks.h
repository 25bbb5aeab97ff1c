#pragma once
// What every reader must give back, whatever bytes a data folder holds: each
// check runs one reader on a whole file's bytes and tests the properties that
// hold for any input (sizes that match the header, capacities kept, no picture
// beyond the size limit). Memory faults are left to the
// sanitizers. The fuzz targets and the regression test share these checks.
//
// Each check returns nullptr when the result is sound, otherwise a sentence
// naming what was broken.

#include <cstddef>
#include <cstdint>

const char* checkDibImage(const uint8_t* bytes, size_t size);
const char* checkTga(const uint8_t* bytes, size_t size);
const char* checkMesh(const uint8_t* bytes, size_t size);
// Hands the bytes to the height-map loader as the height file.
const char* checkHeightMap(const uint8_t* bytes, size_t size);
const char* checkGeoReference(const uint8_t* bytes, size_t size);

struct ReaderCheck {
    const char* reader; // folder name of the reader's regression inputs
    const char* (*check)(const uint8_t* bytes, size_t size);
};

constexpr ReaderCheck kReaderChecks[] = {
    {"dib_image", checkDibImage},
    {"tga_image", checkTga},
    {"mesh_model", checkMesh},
    {"height_map", checkHeightMap},
    {"geo_reference", checkGeoReference},
};
