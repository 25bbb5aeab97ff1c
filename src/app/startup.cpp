#include "app/startup.h"

#include "app/main_loop.h"
#include "assets/bmp_texture.h"
#include "platform/platform.h"

#include <GL/gl.h>

namespace {

void showError(const char* text)
{
    platform::showMessageBox(text, "Error", platform::MessageBoxKind::Ok, false);
}

} // namespace

int runProgram(Shell& shell, World& world, StartMode mode)
{
    if (!platform::initialise())
        return 1;

    if (mode == StartMode::Ask) {
        const platform::MessageBoxAnswer answer = platform::showMessageBox(
            "Click Yes to go to full screen (Recommended)", "Options", platform::MessageBoxKind::YesNoQuestion, false);
        shell.fullScreen = answer != platform::MessageBoxAnswer::No; // only No runs in a window
    } else {
        shell.fullScreen = mode == StartMode::FullScreen;
    }

    if (!createMainWindow(shell, kWindowTitle, kClientWidth, kClientHeight)) {
        platform::terminate();
        return 1;
    }
    startUp(shell, world);
    const int exitCode = runMainLoop(shell, world);
    platform::terminate();
    return exitCode;
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

bool choosePixelFormat()
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
    if (!choosePixelFormat()) {
        shell.queue.postQuit(0);
    } else if (!platform::createRenderingContext()) {
        showError("Could not create a rendering context");
        shell.queue.postQuit(0);
    }
    setUpViewport(shell, width, height);
}

void startUp(Shell& shell, World& world)
{
    int width = 0;
    int height = 0;
    platform::getClientSize(width, height);
    shell.clientRect = {0, 0, width, height};
    createRenderingContext(shell, shell.clientRect.right, shell.clientRect.bottom);

    createOverlayFont(world.overlay);
    loadExtensionEntryPoints(world.extensions, lookUpAdvertisedEntryPoint, shell.queue);
    setUpFog();
    loadHeightMap("Tertest.raw", kHeightMapBytes, world.heightMap);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);

    loadBmpTexture(world.terrain.terrainTexture, "Terrain2.bmp");
    loadBmpTexture(world.terrain.detailTexture, "Detail1.bmp");
    static const char* const skyFiles[kSkyFaceCount] = {
        "hillBack.bmp", "hillFront.bmp", "hillBottom.bmp", "hillTop.bmp", "hillLeft.bmp", "hillRight.bmp",
    };
    for (int face = 0; face < kSkyFaceCount; ++face)
        loadBmpTexture(world.skyBox.skyTextures[face], skyFiles[face]);

    buildTerrainList(world.terrain, world.heightMap, world.extensions);

    // The only draws from the random source at start-up, in this order: grass,
    // palms, flyers. Changing the order moves the whole scene.
    world.grassField.init(world.heightMap, world.random);
    world.palmGrove.init(world.heightMap, world.random);
    initFlyers(world.flyers, world.random);

    world.originPalm.load("palme4.vxm");

    world.ground.walkPhase = 0;
    world.ground.crouching = false;
    world.camera.place(500, 35, 500, 501, 35, 500, 0, 1, 0);
}

void shutDown(Shell& shell)
{
    platform::deleteRenderingContext();
    if (shell.fullScreen) {
        // Runs whether or not the switch at start-up succeeded.
        platform::restoreDisplayMode();
        platform::showCursor(true);
    }
}
