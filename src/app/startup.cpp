#include "app/startup.h"

#include "app/window.h"
#include "assets/bmp_texture.h"
#include "assets/data_files.h"
#include "platform/platform.h"
#include "terrain/fog.h"

#include <GL/gl.h>

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

LoadOutcome startUp(Shell& shell, World& world)
{
    int width = 0;
    int height = 0;
    platform::getClientSize(width, height);
    shell.clientRect = {0, 0, width, height};
    createRenderingContext(shell, shell.clientRect.right, shell.clientRect.bottom);

    createOverlayFont(world.overlay);
    loadExtensions(world.extensions, lookUpAdvertisedEntryPoint, shell.queue);
    setUpFog();
    loadHeightMap(dataFileName(DataFile::HeightMap), kHeightMapBytes, world.heightMap);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);

    loadBmpTexture(world.terrain.terrainTexture, dataFileName(DataFile::TerrainPicture));
    loadBmpTexture(world.terrain.detailTexture, dataFileName(DataFile::DetailPicture));
    for (int face = 0; face < kSkyFaceCount; ++face)
        loadBmpTexture(world.skyBox.skyTextures[face], dataFileName(skyFaceFile(face)));

    buildTerrainList(world.terrain, world.heightMap, world.extensions);

    // The only draws from the random source at start-up, in this order: grass,
    // palms, flyers. Changing the order moves the whole scene.
    if (world.grassField.init(world.heightMap, world.random) == LoadOutcome::EndProcess ||
        world.palmGrove.init(world.heightMap, world.random) == LoadOutcome::EndProcess ||
        initFlyers(world.flyers, world.random) == LoadOutcome::EndProcess ||
        world.originPalm.load(dataFileName(DataFile::OriginPalm)) == LoadOutcome::EndProcess)
        return LoadOutcome::EndProcess;

    world.ground.walkPhase = 0;
    world.ground.crouching = false;
    world.camera.place(kStartPosition, kStartViewPoint, kUpVector);
    return LoadOutcome::Continue;
}

