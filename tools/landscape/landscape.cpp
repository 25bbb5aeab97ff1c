#include "landscape.h"

#include "encode.h"
#include "heightfield.h"
#include "plants.h"
#include "random.h"
#include "sky.h"
#include "terrain_picture.h"
#include "textures.h"

#include "assets/data_files.h"

#include <fstream>
#include <future>
#include <stdexcept>

namespace landscape {

namespace {

enum Stream : uint64_t {
    kTextures = 1,
    kOriginPalm,
    kPalmKind0,
    kPalmKind1,
    kPalmKind2,
    kTuft,
};

const char* const kBarkFile = "palmBark.bmp";
const char* const kFrondFile = "palmFrond.bmp";
const char* const kPaleFrondFile = "palmFrondPale.bmp";
const char* const kDarkFrondFile = "palmFrondDark.bmp";
const char* const kBladeFile = "grassBlade.bmp";

std::vector<uint8_t> textBytes(const std::string& text) { return {text.begin(), text.end()}; }

// The palm that stands at the world origin, the largest: its file
// coordinates are world coordinates, so its foot is at y = 0 on the low shore
// there, and it leans over the map (+x, +z) rather than over its edge.
PalmShape originPalm()
{
    PalmShape shape;
    shape.foot = {2.0f, 0.0f, 2.0f};
    shape.trunkHeight = 64.0f;
    shape.lean = {7.0f, 0.0f, 6.0f};
    shape.footRadius = 1.7f;
    shape.topRadius = 1.05f;
    shape.trunkSides = 5;
    shape.trunkSegments = 4;
    shape.fronds = 7;
    shape.frondSamples = 4;
    shape.frondLength = 24.0f;
    shape.frondLift = 0.55f;
    shape.frondDroop = 1.9f;
    shape.leafletLength = 6.0f;
    shape.leafletDroop = 0.6f;
    shape.barkTexture = kBarkFile;
    shape.frondTexture = kFrondFile;
    return shape;
}

// Tall and slender, slightly leaning, long drooping fronds.
PalmShape tallPalm()
{
    PalmShape shape = originPalm();
    shape.foot = {0.0f, 0.0f, 0.0f};
    shape.trunkHeight = 56.0f;
    shape.lean = {3.0f, 0.0f, -2.0f};
    shape.footRadius = 1.4f;
    shape.topRadius = 0.9f;
    shape.trunkSides = 3;
    shape.trunkSegments = 2;
    shape.fronds = 6;
    shape.frondSamples = 2;
    shape.frondLength = 20.0f;
    return shape;
}

// Medium height, trunk arching far out, pale fronds.
PalmShape archingPalm()
{
    PalmShape shape = tallPalm();
    shape.trunkHeight = 43.0f;
    shape.lean = {-11.0f, 0.0f, 8.0f};
    shape.footRadius = 1.5f;
    shape.topRadius = 0.95f;
    shape.trunkSegments = 3;
    shape.fronds = 5;
    shape.frondLength = 18.0f;
    shape.frondLift = 0.45f;
    shape.frondDroop = 2.1f;
    shape.leafletLength = 5.5f;
    shape.leafletDroop = 0.75f;
    shape.frondTexture = kPaleFrondFile;
    return shape;
}

// Short and stout, upright, many shorter, stiffer dark fronds.
PalmShape stoutPalm()
{
    PalmShape shape = tallPalm();
    shape.trunkHeight = 35.0f;
    shape.lean = {1.0f, 0.0f, 1.5f};
    shape.footRadius = 2.0f;
    shape.topRadius = 1.3f;
    shape.trunkSegments = 1;
    shape.fronds = 7;
    shape.frondSamples = 2;
    shape.frondLength = 15.0f;
    shape.frondLift = 0.75f;
    shape.frondDroop = 1.4f;
    shape.leafletLength = 4.5f;
    shape.leafletDroop = 0.35f;
    shape.frondTexture = kDarkFrondFile;
    return shape;
}

// Everything but the ground and its picture: these need no heights, so they
// are built on a second thread while the heights erode.
std::vector<LandscapeFile> buildSkyAndProps(uint64_t seed, int detail)
{
    std::vector<LandscapeFile> files;
    const uint64_t textures = streamSeed(seed, kTextures);
    files.push_back({dataFileName(DataFile::DetailPicture), encodeBmp(paintDetail(textures))});
    const SkyScene sky = makeSkyScene(seed);
    for (const SkyFaceLayout& face : skyFaceLayouts()) {
        files.push_back({face.fileName, encodeBmp(paintSkyFace(sky, face))});
    }
    files.push_back({dataFileName(DataFile::FlyerSprite), encodeTga(paintWingSprite(textures))});
    files.push_back({kBarkFile, encodeBmp(paintBark(textures))});
    files.push_back({kFrondFile, encodeBmp(paintFronds(textures, FrondTint::Fresh))});
    files.push_back({kPaleFrondFile, encodeBmp(paintFronds(textures, FrondTint::Pale))});
    files.push_back({kDarkFrondFile, encodeBmp(paintFronds(textures, FrondTint::Dark))});
    files.push_back({kBladeFile, encodeBmp(paintBlades(textures))});
    auto palm = [&](const PalmShape& leanest, Stream stream) {
        return textBytes(formatVxm(buildPalm(atDetail(leanest, detail), streamSeed(seed, stream))));
    };
    files.push_back({dataFileName(DataFile::OriginPalm), palm(originPalm(), kOriginPalm)});
    files.push_back({dataFileName(DataFile::PalmMesh1), palm(tallPalm(), kPalmKind0)});
    files.push_back({dataFileName(DataFile::PalmMesh2), palm(archingPalm(), kPalmKind1)});
    files.push_back({dataFileName(DataFile::PalmMesh3), palm(stoutPalm(), kPalmKind2)});
    files.push_back({dataFileName(DataFile::GrassMesh),
                     textBytes(formatVxm(buildGrassTuft(streamSeed(seed, kTuft), kBladeFile, detail)))});
    return files;
}

} // namespace

std::string versionLine(int detail)
{
    return "lumora-landscape " + std::to_string(kGeneratorVersion) + " detail " + std::to_string(detail);
}

namespace {

// The ground is made (or taken) here while the rest is built on a second thread.
template <typename MakeGround>
std::vector<LandscapeFile> buildAll(uint64_t seed, int detail, MakeGround makeGround)
{
    // Refused before any thread starts, so that a bad level is one plain error.
    atDetail(originPalm(), detail);
    std::future<std::vector<LandscapeFile>> props = std::async(std::launch::async, buildSkyAndProps, seed, detail);

    std::vector<LandscapeFile> files;
    const HeightField& field = makeGround();
    files.push_back({dataFileName(DataFile::HeightMap), heightBytes(field)});
    files.push_back({dataFileName(DataFile::TerrainPicture), encodeBmp(paintTerrain(field, seed))});

    for (LandscapeFile& file : props.get())
        files.push_back(std::move(file));
    files.push_back({kVersionFileName, textBytes(versionLine(detail) + "\n")});
    return files;
}

} // namespace

std::vector<LandscapeFile> buildLandscape(uint64_t seed, int detail)
{
    HeightField field;
    return buildAll(seed, detail, [&]() -> const HeightField& { return field = generateHeightField(seed); });
}

std::vector<LandscapeFile> buildLandscapeAround(const HeightField& ground, uint64_t seed, int detail)
{
    if (ground.size != kMapSize || ground.heights.size() != static_cast<size_t>(kMapSize) * kMapSize) {
        throw std::invalid_argument("the ground must be 1024 x 1024 heights");
    }
    return buildAll(seed, detail, [&]() -> const HeightField& { return ground; });
}

void prepareLandscapeFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("cannot create " + folder.string() + ": " + error.message());
    std::filesystem::remove(folder / kVersionFileName, error);
    if (error)
        throw std::runtime_error("cannot remove the old version file: " + error.message());
}

void writeLandscapeFile(const std::filesystem::path& folder, const LandscapeFile& file)
{
    const std::filesystem::path path = folder / file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace landscape
