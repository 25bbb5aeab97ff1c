#include "app/main_loop.h"

#include "app/frame.h"
#include "app/projection.h"
#include "app/screenshot.h"
#include "platform/platform.h"

#include <GL/gl.h>

namespace {

// What the window system does with every message after the program's own
// action: closing hides the window; nothing else needs anything.
void defaultProcessing(const Message& message)
{
    if (message.kind == MessageKind::Close)
        platform::hideWindow();
}

} // namespace

void updateAndRenderFrame(Shell& shell, World& world)
{
    // The camera walks with the delta measured at the end of the previous
    // turn, and the frame goes on with that same delta.
    const float frameDelta = shell.frameClock.delta;
    const CursorAccess screenCursor{platform::getCursorPosition, platform::setCursorPosition};
    world.camera.update(shell.keys, frameDelta, screenCursor);
    tickFrameClock(shell.frameClock);
    renderFrame(shell, world, frameDelta);
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
