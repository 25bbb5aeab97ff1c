#include "app/startup.h"

#include "app/window.h"
#include "assets/bmp_texture.h"
#include "assets/data_files.h"
#include "assets/geo_reference.h"
#include "platform/platform.h"
#include "scene/plant_ground.h"
#include "terrain/ground_file.h"
#include "terrain/fog.h"

#include <GL/gl.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

// A picture's box is owned by the main window, as the picture readers' boxes
// always were; a mesh's and the height map's have no owner.
platform::BoxOwner boxOwner(DataFile file, const Report& report)
{
    const DataReader reader = dataFileRow(file).reader;
    const bool picture =
        report.failure == Failure::NamedPicture || reader == DataReader::Bmp || reader == DataReader::Tga;
    return picture ? platform::BoxOwner::MainWindow : platform::BoxOwner::None;
}

// A fine ground or its picture that cannot serve costs one line on standard
// error: the terrain list, or the terrain's own pictures, are drawn instead.
// No file at all says nothing.
void tellFineGroundReport(const Report& report)
{
    if (report.failed() && !report.text.empty())
        std::fprintf(stderr, "lumora: %s\n", reportLine(report).c_str());
}

} // namespace

LoadOutcome decideOnLoad(DataFile file, const Report& report)
{
    if (!report.failed())
        return LoadOutcome::Continue;
    if (!report.text.empty())
        platform::showErrorBox(report.text.c_str(), boxOwner(file, report));
    return failureAfter(file, report.failure) == DataFailure::ViewerEnds ? LoadOutcome::EndProcess
                                                                         : LoadOutcome::Continue;
}

void loadExtensions(ExtensionEntryPoints& entryPoints, ProcAddressLookup lookup, MessageQueue& queue)
{
    const ExtensionSupport support = loadExtensionEntryPoints(entryPoints, lookup);
    if (!support.multitexture) {
        platform::showErrorBox("Your current setup does not support multitexturing", platform::BoxOwner::MainWindow);
        queue.postQuit(0);
    }
    if (!support.fogCoordinate) {
        platform::showErrorBox("Your current setup does not support volumetric fog", platform::BoxOwner::MainWindow);
        queue.postQuit(0);
    }
}

LoadOutcome startUp(Shell& shell, Drawing& drawing, World& world)
{
    int width = 0;
    int height = 0;
    platform::getClientSize(width, height);
    shell.clientRect = {0, 0, width, height};
    createRenderingContext(shell.queue, drawing, shell.clientRect.right, shell.clientRect.bottom);

    createOverlayFont(world.overlay);
    loadExtensions(world.extensions, lookUpAdvertisedEntryPoint, shell.queue);
    setUpFog();
    // What follows each reader's report is the data-file table's: a missing
    // height map, picture or mesh costs only its box; a picture that a mesh or
    // the flyers need ends the process.
    const DataFile heightMap = DataFile::HeightMap;
    if (decideOnLoad(heightMap, loadHeightMap(dataFileName(heightMap), kHeightMapBytes, world.heightMap)) ==
        LoadOutcome::EndProcess)
        return LoadOutcome::EndProcess;

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);

    const auto pictureEnds = [](GLuint& slot, DataFile file) {
        return decideOnLoad(file, loadBmpTexture(slot, dataFileName(file))) == LoadOutcome::EndProcess;
    };
    if (pictureEnds(world.terrain.terrainTexture, DataFile::TerrainPicture) ||
        pictureEnds(world.terrain.detailTexture, DataFile::DetailPicture))
        return LoadOutcome::EndProcess;
    for (int face = 0; face < kSkyFaceCount; ++face) {
        if (pictureEnds(world.skyBox.skyTextures[face], skyFaceFile(face)))
            return LoadOutcome::EndProcess;
    }

    buildTerrainList(world.terrain, world.heightMap, world.extensions);
    openFineTerrain(world);

    // The only draws from the random source at start-up, in this order: grass,
    // palms, flyers. Changing the order moves the whole scene.
    const GroundLookup ground = standingGround(world);
    if (world.grassField.init(ground, world.random, decideOnLoad) == LoadOutcome::EndProcess ||
        world.palmGrove.init(ground, world.random, decideOnLoad) == LoadOutcome::EndProcess ||
        initFlyers(world.flyers, world.random, decideOnLoad) == LoadOutcome::EndProcess ||
        decideOnLoad(DataFile::OriginPalm, world.originPalm.load(dataFileName(DataFile::OriginPalm))) ==
            LoadOutcome::EndProcess)
        return LoadOutcome::EndProcess;

    world.ground.walkPhase = 0;
    world.ground.crouching = false;
    world.camera.place(kStartPosition, kStartViewPoint, kUpVector);
    return LoadOutcome::Continue;
}

void openFineTerrain(World& world)
{
    Report report;
    world.fineTerrain = FineTerrain::open(kStartPosition.x, kStartPosition.z, report);
    if (report.file.empty())
        report.file = kFineGroundFileName; // what failed to open is the ground, whoever said so
    tellFineGroundReport(report);
    if (!world.fineTerrain)
        return;
    report = world.fineTerrain->createGLObjects(world.extensions);
    if (report.failed()) {
        tellFineGroundReport(report);
        world.fineTerrain.reset();
        return;
    }
    tellFineTerrainFaults(world);
}

void tellFineTerrainFaults(World& world)
{
    if (!world.fineTerrain)
        return;
    for (const Report& report : world.fineTerrain->takeReports())
        tellFineGroundReport(report);
}

void readPlaceReference(World& world)
{
    const GeoReferenceRead read = readGeoReference(kGeoReferenceFile);
    if (read.status == GeoReferenceStatus::Read) {
        world.geoReference = read.reference;
        // A real place: no plant in the sea, on a cliff or above the tree line.
        const PlantGround ground = plantGroundOf(read.reference);
        const GroundLookup lookup = standingGround(world);
        world.grassField.markWhereUnfit(ground, lookup);
        world.palmGrove.markWhereUnfit(ground, lookup);
        world.originPalmCannotStand = !plantStands(ground, lookup, 0, 0);
    }
    if (read.status != GeoReferenceStatus::Damaged)
        return;
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    const std::string file = (error ? std::filesystem::path(kGeoReferenceFile) : folder / kGeoReferenceFile).string();
    std::fprintf(stderr, "lumora: cannot use %s: %s; the readout shows no geographic reference\n", file.c_str(),
                 read.report.text.c_str());
}
