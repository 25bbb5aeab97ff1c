#pragma once
// Every file the viewer reads by name from its working directory, in the
// order of the start-up sequence, with its role, the reader that takes it and
// what follows when it cannot be read. Start-up, the vegetation, the flyers
// and the data checker take the names from here; the pictures that meshes
// name are not listed, since the mesh files name them.

#include <cstdint>

enum class DataReader : uint8_t { HeightMap, Bmp, Tga, Mesh };

// What the viewer does when the file cannot be read, after the reader's box.
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
    const char* role;
    DataReader reader;
    DataFailure failure;
};

constexpr int kDataFileCount = 15;
constexpr DataFileRow kDataFiles[kDataFileCount] = {
    {DataFile::HeightMap, "Tertest.raw", "height map", DataReader::HeightMap, DataFailure::FlatGround},
    {DataFile::TerrainPicture, "Terrain2.bmp", "terrain picture", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::DetailPicture, "Detail1.bmp", "detail picture", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyBack, "hillBack.bmp", "sky, back face", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyFront, "hillFront.bmp", "sky, front face", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyBottom, "hillBottom.bmp", "sky, bottom face", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyTop, "hillTop.bmp", "sky, top face", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyLeft, "hillLeft.bmp", "sky, left face", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::SkyRight, "hillRight.bmp", "sky, right face", DataReader::Bmp, DataFailure::Untextured},
    {DataFile::GrassMesh, "grass2.vxm", "grass tuft", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::PalmMesh1, "palmect.vxm", "palm, first kind", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::PalmMesh2, "palme2ct.vxm", "palm, second kind", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::PalmMesh3, "palme3ct.vxm", "palm, third kind", DataReader::Mesh, DataFailure::EmptyModel},
    {DataFile::FlyerSprite, "busch2.tga", "flyer sprite", DataReader::Tga, DataFailure::ViewerEnds},
    {DataFile::OriginPalm, "palme4.vxm", "palm at the world origin", DataReader::Mesh, DataFailure::EmptyModel},
};

// The rows are in DataFile order, so a file's row is its index.
constexpr const DataFileRow& dataFileRow(DataFile file) { return kDataFiles[static_cast<int>(file)]; }
constexpr const char* dataFileName(DataFile file) { return dataFileRow(file).name; }

// Sky faces in the sky box's texture order: back, front, bottom, top, left, right.
constexpr DataFile skyFaceFile(int face) { return static_cast<DataFile>(static_cast<int>(DataFile::SkyBack) + face); }

constexpr bool rowsInDataFileOrder()
{
    for (int i = 0; i < kDataFileCount; ++i) {
        if (static_cast<int>(kDataFiles[i].file) != i)
            return false;
    }
    return static_cast<int>(DataFile::OriginPalm) + 1 == kDataFileCount;
}
static_assert(rowsInDataFileOrder());
