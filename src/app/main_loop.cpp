#include "app/main_loop.h"

#include "app/frame.h"
#include "app/walk_recording.h"
#include "input/key_bindings.h"
#include "platform/platform.h"

namespace {

// What the window system does with every message after the program's own
// action: closing hides the window; nothing else needs anything.
void defaultProcessing(const Message& message)
{
    if (message.kind == MessageKind::Close)
        platform::hideWindow();
}

void pressKey(Shell& shell, Drawing& drawing, const Message& message)
{
    KeyAction action{};
    if (!pressedKeyAction(message.key, message.repeat, action))
        return;
    DisplayRequests& requests = drawing.requests;
    switch (action) {
    case KeyAction::Quit:
        shell.queue.postQuit(0);
        break;
    case KeyAction::FillPolygons:
    case KeyAction::OutlinePolygons:
        drawing.wireframe = action == KeyAction::OutlinePolygons; // until the other key
        requests.polygonMode = true;
        break;
    case KeyAction::SaveScreenshot:
        if (shell.clientRect.right > 0 && shell.clientRect.bottom > 0) {
            requests.screenshot = true;
            requests.screenshotWidth = shell.clientRect.right;
            requests.screenshotHeight = shell.clientRect.bottom;
        }
        break;
    case KeyAction::TogglePlaceReadout:
        drawing.placeReadout =
            drawing.placeReadout == PlaceReadout::Hidden ? PlaceReadout::Shown : PlaceReadout::Hidden;
        break;
    case KeyAction::RecordWalk:
        toggleWalkRecording(drawing.walk, shell.startFolder);
        break;
    default: // held keys are polled, not pressed
        break;
    }
}

} // namespace

bool updateAndRenderFrame(void*, Shell& shell, Drawing& drawing, World& world)
{
    // The camera walks with the delta measured at the end of the previous
    // turn, and the frame goes on with that same delta.
    renderFrame(shell, drawing, world, viewerFrameInput(shell.frameClock, drawing, world));
    return true;
}

int runMainLoop(Shell& shell, Drawing& drawing, World& world, IdleTurn idleTurn, void* context)
{
    Message message{};
    for (;;) {
        if (shell.queue.take(message, shell.keys)) {
            if (message.kind == MessageKind::Quit)
                return message.quitCode;
            windowProcedure(shell, drawing, message);
            // The graphics calls a message asks for are made as soon as it
            // is handled, before the next message or frame, one by one.
            applyDisplayRequests(drawing, shell.clientRect);
        } else if (!idleTurn(context, shell, drawing, world)) {
            return 0;
        }
    }
}

void windowProcedure(Shell& shell, Drawing& drawing, const Message& message)
{
    switch (message.kind) {
    case MessageKind::Size:
        // The 800 x 600 full screen keeps the client area read at start-up,
        // and an offscreen frame its own size; full screen on the desktop
        // follows the desktop's size.
        if (!shell.fullScreen && drawing.surface.kind != SurfaceKind::Offscreen) {
            drawing.requests.viewport = true;
            drawing.requests.viewportWidth = message.width;
            drawing.requests.viewportHeight = message.height;
            drawing.requests.zoom = false;
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
        pressKey(shell, drawing, message);
        break;
    case MessageKind::RightButtonDown:
        drawing.zoom = drawing.zoom == Zoom::Off ? Zoom::On : Zoom::Off;
        drawing.requests.zoom = true;
        break;
    default:
        break;
    }
    defaultProcessing(message);
}
