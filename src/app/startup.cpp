#include "app/startup.h"

#include "app/projection.h"
#include "assets/bmp_texture.h"
#include "assets/data_files.h"
#include "platform/platform.h"

#include <GL/gl.h>

#include <cstdlib>

namespace {

void showError(const char* text) { platform::showErrorBox(text, platform::BoxOwner::None); }

} // namespace

bool askForFullScreen()
{
    const platform::MessageBoxAnswer answer =
        platform::showMessageBox("Click Yes to go to full screen (Recommended)", "Options",
                                 platform::MessageBoxKind::YesNoQuestion, platform::BoxOwner::None);
    return answer != platform::MessageBoxAnswer::No;
}

bool createMainWindow(Shell& shell, const char* title, int width, int height)
{
    // The display mode is switched before the window exists.
    if (shell.fullScreen) {
        switchDisplayMode(shell);
        platform::showCursor(false);
    }
    if (!platform::createWindow(title, width, height, shell.fullScreen))
        return false;
    platform::showWindow();
    return true;
}

void switchDisplayMode(Shell& shell)
{
    switch (platform::switchDisplayMode(kClientWidth, kClientHeight)) {
    case platform::DisplayModeResult::Switched:
        break;
    case platform::DisplayModeResult::CannotReadCurrent:
        // Goes on with the pop-up window at the current resolution.
        showError("Could Not Enum Display Settings");
        break;
    case platform::DisplayModeResult::Refused:
        showError("Display Mode Not Compatible");
        shell.queue.postQuit(0);
        break;
    }
}

bool checkPixelFormat()
{
    // The visual is chosen with the window, so a window without one is the
    // only way a pixel format can fail here.
    if (!platform::hasPixelFormat()) {
        showError("ChoosePixelFormat failed");
        return false;
    }
    return true;
}

void createRenderingContext(Shell& shell, int width, int height)
{
    if (!checkPixelFormat()) {
        shell.queue.postQuit(0);
    } else if (!platform::createRenderingContext()) {
        showError("Could not create a rendering context");
        shell.queue.postQuit(0);
    }
    setUpViewport(shell, width, height);
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

void shutDown(Shell& shell, World& world)
{
    deleteTerrainList(world.terrain);
    platform::deleteRenderingContext();
    if (shell.fullScreen) {
        // Runs whether or not the switch at start-up succeeded.
        platform::restoreDisplayMode();
        platform::showCursor(true);
    }
}

void endProcessAtOnce(Shell& shell, World& world)
{
    shutDown(shell, world);
    platform::terminate();
    std::exit(0);
}
