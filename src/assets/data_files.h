#pragma once
// Every file the viewer reads by name from its working directory, in the
// order of the start-up sequence, with what the viewer draws from it, the
// reader that takes it and what follows when it cannot be read. Start-up, the
// vegetation, the flyers and the data checker take the names from here, and
// start-up and the checker take what follows a failure; the pictures that
// meshes name are not listed, since the mesh files name them.

#include "assets/load_outcome.h"

#include <cstdint>

enum class DataReader : uint8_t { HeightMap, Bmp, Tga, Mesh };

// What follows when the file cannot be read, after the reader's box.
enum class DataFailure : uint8_t {
    FlatGround, // the height map stays zero
    Untextured, // the texture slot stays 0
    EmptyModel, // the mesh keeps what was read, possibly nothing
    ViewerEnds, // the process ends before the first frame
};

enum class DataFile : uint8_t {
    HeightMap,
    TerrainPicture,
    DetailPicture,
    SkyBack,
    SkyFront,
    SkyBottom,
    SkyTop,
    SkyLeft,
    SkyRight,
    GrassMesh,
    PalmMesh1,
    PalmMesh2,
    PalmMesh3,
    FlyerSprite,
    OriginPalm,
};

struct DataFileRow {
    DataFile file;
    const char* name;
    const char* role; // what the viewer draws from it, as the checker names it
    DataReader reader;
    DataFailure failure;
};

constexpr int kDataFileCount = 15;
constexpr DataFileRow kDataFiles[kDataFileCount] = {
    {DataFile::HeightMap, "Tertest.raw", "the whole scene", DataReader::HeightMap, DataFailure::FlatGround},
    {DataFile::TerrainPicture, "Terrain2.bmp", "the terrain's base layer", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::DetailPicture, "Detail1.bmp", "the terrain's detail layer", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyBack, "hillBack.bmp", "the back face of the sky box", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyFront, "hillFront.bmp", "the front face of the sky box", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyBottom, "hillBottom.bmp", "the bottom face of the sky box", DataReader::Bmp,
     DataFailure::Untextured},
    {DataFile::SkyTop, "hillTop.bmp", "the top face of the sky box", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyLeft, "hillLeft.bmp", "the left face of the sky box", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyRight, "hillRight.bmp", "the right face of the sky box", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::GrassMesh, "grass2.vxm", "the grass tufts", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::PalmMesh1, "palmect.vxm", "the palms of the first kind", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::PalmMesh2, "palme2ct.vxm", "the palms of the second kind", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::PalmMesh3, "palme3ct.vxm", "the palms of the third kind", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::FlyerSprite, "busch2.tga", "the flyers", DataReader::Tga, DataFailure::ViewerEnds},
    {DataFile::OriginPalm, "palme4.vxm", "the palm at the world origin", DataReader::Mesh, DataFailure::EmptyModel},
};

// The rows are in DataFile order, so a file's row is its index.
constexpr const DataFileRow& dataFileRow(DataFile file) { return kDataFiles[static_cast<int>(file)]; }
constexpr const char* dataFileName(DataFile file) { return dataFileRow(file).name; }

// Sky faces in the sky box's texture order: back, front, bottom, top, left, right.
constexpr DataFile skyFaceFile(int face) { return static_cast<DataFile>(static_cast<int>(DataFile::SkyBack) + face); }

// A picture that a mesh names and that cannot be loaded ends the viewer.
constexpr DataFailure kNamedPictureFailure = DataFailure::ViewerEnds;

// What follows a failed report on the file.
constexpr DataFailure failureAfter(DataFile file, Failure failure)
{
    return failure == Failure::NamedPicture ? kNamedPictureFailure : dataFileRow(file).failure;
}

// Start-up's decision on a report, which the subsystems that load files
// during start-up call after each one: it shows the report's message and says
// whether the process ends.
using LoadDecision = LoadOutcome (*)(DataFile file, const Report& report);

constexpr bool rowsInDataFileOrder()
{
    for (int i = 0; i < kDataFileCount; ++i) {
        if (static_cast<int>(kDataFiles[i].file) != i)
            return false;
    }
    return static_cast<int>(DataFile::OriginPalm) + 1 == kDataFileCount;
}
static_assert(rowsInDataFileOrder());
