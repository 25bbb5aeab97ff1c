#include "app/main_loop.h"

#include "app/frame.h"
#include "app/screenshot.h"
#include "app/startup.h"
#include "platform/platform.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

void applyPerspective(double fieldOfViewDegrees, int width, int height)
{
    if (height == 0)
        height = 1;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, static_cast<double>(width) / static_cast<double>(height), kNearPlane,
                   kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// What the window system does with every message after the program's own
// action: closing destroys the window; nothing else needs anything.
void defaultProcessing(const Message& message)
{
    if (message.kind == MessageKind::Close)
        platform::destroyWindow();
}

} // namespace

void updateAndRenderFrame(Shell& shell, World& world)
{
    const CursorAccess screenCursor{platform::getCursorPosition, platform::setCursorPosition};
    world.camera.update(shell.keys, shell.frameClock.delta, screenCursor);
    tickFrameClock(shell.frameClock);
    renderFrame(shell, world);
}

int runMainLoop(Shell& shell, World& world, IdleTurn idleTurn)
{
    Message message{};
    for (;;) {
        if (shell.queue.take(message, shell.keys)) {
            if (message.kind == MessageKind::Quit)
                break;
            windowProcedure(shell, message);
        } else {
            idleTurn(shell, world);
        }
    }
    deleteTerrainList(world.terrain);
    shutDown(shell);
    return message.quitCode;
}

void windowProcedure(Shell& shell, const Message& message)
{
    switch (message.kind) {
    case MessageKind::Size:
        // Full screen keeps the client area read at start-up.
        if (!shell.fullScreen) {
            setUpViewport(shell, message.width, message.height);
            int width = 0;
            int height = 0;
            platform::getClientSize(width, height);
            shell.clientRect = {0, 0, width, height};
        }
        break;
    case MessageKind::Close:
        shell.queue.postQuit(0);
        break;
    case MessageKind::KeyDown:
        if (message.key == platform::kKeyReturn)
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        else if (message.key == platform::kKeyEscape)
            shell.queue.postQuit(0);
        else if (message.key == platform::kKeySpace)
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE); // wireframe until Enter
        else if (message.key == platform::kKeyF12 && !message.repeat)
            requestScreenshot(shell.clientRect.right, shell.clientRect.bottom);
        break;
    case MessageKind::RightButtonDown:
        toggleZoom(shell);
        break;
    default:
        break;
    }
    defaultProcessing(message);
}

void setUpViewport(Shell& shell, int width, int height)
{
    shell.fieldOfView = kFieldOfViewDegrees;
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    applyPerspective(shell.fieldOfView, width, height);
}

void toggleZoom(Shell& shell)
{
    // The viewport stays; only the projection changes, and a resize returns it
    // to the normal field of view while zoomed stays as it is.
    shell.zoomed = !shell.zoomed;
    const float fieldOfView = shell.zoomed ? shell.fieldOfView - kZoomReductionDegrees : shell.fieldOfView;
    applyPerspective(fieldOfView, shell.clientRect.right, shell.clientRect.bottom);
}
