#include "landscape.h"

#include "encode.h"
#include "fine_ground.h"
#include "heightfield.h"
#include "plants.h"
#include "random.h"
#include "sky.h"
#include "terrain_picture.h"
#include "textures.h"

#include "assets/data_files.h"
#include "assets/geo_reference.h"
#include "terrain/ground_file.h"

#include <fstream>
#include <future>
#include <stdexcept>

namespace landscape {

namespace {

enum Stream : uint64_t {
    kTextures = kTextureStream,
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

// Everything but the terrain: these need no heights, so they are built on a
// second thread while the terrain is made.
std::vector<LandscapeFile> buildSkyAndProps(uint64_t seed, const LandscapeOptions& options, SkyHorizon horizon)
{
    std::vector<LandscapeFile> files;
    const uint64_t textures = streamSeed(seed, kTextures);
    const SkyScene sky = makeSkyScene(seed, horizon);
    for (const SkyFaceLayout& face : skyFaceLayouts()) {
        files.push_back({face.fileName, encodeBmp(paintSkyFace(sky, face))});
    }
    files.push_back({dataFileName(DataFile::FlyerSprite), encodeTga(paintWingSprite(textures))});
    // Without plants the meshes are empty: the viewer reads them and draws nothing.
    const bool palms = options.plants == Plants::Palms;
    if (palms) {
        files.push_back({kBarkFile, encodeBmp(paintBark(textures))});
        files.push_back({kFrondFile, encodeBmp(paintFronds(textures, FrondTint::Fresh))});
        files.push_back({kPaleFrondFile, encodeBmp(paintFronds(textures, FrondTint::Pale))});
        files.push_back({kDarkFrondFile, encodeBmp(paintFronds(textures, FrondTint::Dark))});
        files.push_back({kBladeFile, encodeBmp(paintBlades(textures))});
    }
    auto palm = [&](const PalmShape& leanest, Stream stream) {
        return textBytes(
            formatVxm(palms ? buildPalm(atDetail(leanest, options.detail), streamSeed(seed, stream)) : Mesh{}));
    };
    files.push_back({dataFileName(DataFile::OriginPalm), palm(originPalm(), kOriginPalm)});
    files.push_back({dataFileName(DataFile::PalmMesh1), palm(tallPalm(), kPalmKind0)});
    files.push_back({dataFileName(DataFile::PalmMesh2), palm(archingPalm(), kPalmKind1)});
    files.push_back({dataFileName(DataFile::PalmMesh3), palm(stoutPalm(), kPalmKind2)});
    files.push_back(
        {dataFileName(DataFile::GrassMesh),
         textBytes(formatVxm(palms ? buildGrassTuft(streamSeed(seed, kTuft), kBladeFile, options.detail) : Mesh{}))});
    return files;
}

} // namespace

namespace {

// The generated terrain of a seed, its picture painted at the given side
// (past kMostWholePictureSize band by band into the folder), and its fine
// ground at groundSize (none at kNoGround).
Terrain generateTerrain(uint64_t seed, int pictureSize, int groundSize, const std::filesystem::path& folder)
{
    Terrain terrain;
    terrain.ground = generateHeightField(seed);
    if (groundSize != kNoGround)
        terrain.fineGround =
            std::make_shared<const FineGround>(refineGeneratedGround(terrain.ground, groundSize, seed));
    if (pictureSize > kMostWholePictureSize) {
        const FinePainter painter(blendedHeights(terrain.ground), seed, nullptr, pictureSize);
        FinePicture fine = makeFinePicture(folder, pictureSize, nullptr,
                                           [&](int first, Picture& band) { painter.paint(first, band); });
        terrain.picture = std::move(fine.listPicture);
        terrain.finePicture = std::move(fine.file);
    } else {
        terrain.picture = resizedPicture(paintTerrain(terrain.ground, seed), pictureSize);
    }
    terrain.detailPicture = paintDetail(streamSeed(seed, kTextureStream));
    return terrain;
}

template <typename MakeTerrain>
std::vector<LandscapeFile> buildAll(uint64_t seed, const LandscapeOptions& options, SkyHorizon horizon,
                                    MakeTerrain makeTerrain)
{
    // Refused before any thread starts, so that a bad level is one plain error.
    atDetail(originPalm(), options.detail);
    std::future<std::vector<LandscapeFile>> props =
        std::async(std::launch::async, buildSkyAndProps, seed, std::cref(options), horizon);

    const Terrain terrain = makeTerrain();
    std::vector<LandscapeFile> files;
    files.push_back({dataFileName(DataFile::HeightMap), heightBytes(terrain.ground)});
    files.push_back({dataFileName(DataFile::TerrainPicture), encodeBmp(terrain.picture)});
    files.push_back({dataFileName(DataFile::DetailPicture), encodeBmp(terrain.detailPicture)});
    if (const std::shared_ptr<const FineGround> fine = terrain.fineGround)
        files.push_back({kFineGroundFileName, {}, [fine](const std::filesystem::path& path) {
                             writeGroundFile(*fine, path);
                         }});
    if (const std::shared_ptr<const MadeFile> made = terrain.finePicture)
        files.push_back({kFinePictureFileName, {}, [made](const std::filesystem::path& path) { made->placeAs(path); }});
    for (LandscapeFile& file : props.get())
        files.push_back(std::move(file));
    if (!terrain.geoReference.empty())
        files.push_back({kGeoReferenceFile, textBytes(terrain.geoReference)});
    files.push_back({kVersionFileName, textBytes(versionLine(options.detail) + "\n")});
    return files;
}

} // namespace

std::vector<LandscapeFile> buildLandscape(uint64_t seed, const LandscapeOptions& options)
{
    return buildAll(seed, options, SkyHorizon::Hills, [&] {
        return generateTerrain(seed, options.pictureSize, options.groundSize, options.folder);
    });
}

std::vector<LandscapeFile> buildLandscapeAround(Terrain terrain, uint64_t seed, const LandscapeOptions& options)
{
    const HeightField& ground = terrain.ground;
    if (ground.size != kMapSize || ground.heights.size() != static_cast<size_t>(kMapSize) * kMapSize)
        throw std::invalid_argument("the ground must be 1024 x 1024 heights");
    // A real place ends where its ground ends: no painted hills beyond it.
    return buildAll(seed, options, SkyHorizon::Open, [&] { return std::move(terrain); });
}

void prepareLandscapeFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw std::runtime_error("cannot create " + folder.string() + ": " + error.message());
    for (const char* name : {kVersionFileName, kGeoReferenceFile, kFineGroundFileName, kFinePictureFileName}) {
        std::filesystem::remove(folder / name, error);
        if (error)
            throw std::runtime_error(std::string("cannot remove the old ") + name + ": " + error.message());
    }
}

size_t writeLandscapeFile(const std::filesystem::path& folder, const LandscapeFile& file)
{
    const std::filesystem::path path = folder / file.name;
    if (file.write) {
        file.write(path);
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(path, error);
        if (error)
            throw std::runtime_error("cannot write " + path.string());
        return static_cast<size_t>(size);
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    return file.bytes.size();
}

} // namespace landscape
