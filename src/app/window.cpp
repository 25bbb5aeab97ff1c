#include "app/window.h"

#include "app/projection.h"
#include "platform/platform.h"

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
    // The display mode is switched before the window exists. Full screen on
    // the desktop switches nothing; its client area is the desktop's size.
    platform::WindowMode mode = platform::WindowMode::Windowed;
    if (shell.fullScreen) {
        switchDisplayMode(shell);
        platform::showCursor(false);
        mode = platform::WindowMode::FullScreen;
    } else if (shell.fullScreenDesktop) {
        platform::showCursor(false);
        mode = platform::WindowMode::FullScreenDesktop;
    }
    if (!platform::createWindow(title, width, height, mode))
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
        shell.displayModeRefused = true;
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

void createRenderingContext(MessageQueue& queue, Drawing& drawing, int width, int height)
{
    if (!checkPixelFormat()) {
        queue.postQuit(0);
    } else if (!platform::createRenderingContext()) {
        showError("Could not create a rendering context");
        queue.postQuit(0);
    }
    setUpViewport(drawing, width, height);
}

void shutDown(const Shell& shell, Drawing& drawing, World& world)
{
    deleteTerrainList(world.terrain);
    if (world.fineTerrain) {
        world.fineTerrain->deleteGLObjects();
        world.fineTerrain.reset(); // its loader stops with it, while the context is still there
    }
    releaseSurface(drawing.surface);
    platform::deleteRenderingContext();
    if (shell.fullScreen) {
        // Runs whether or not the switch at start-up succeeded.
        platform::restoreDisplayMode();
        platform::showCursor(true);
    } else if (shell.fullScreenDesktop) {
        platform::showCursor(true);
    }
}

void endProcessAtOnce(const Shell& shell, Drawing& drawing, World& world)
{
    shutDown(shell, drawing, world);
    platform::terminate();
    std::exit(0);
}
