#include "common/viewer_session.h"

#include "app/startup.h"
#include "platform/platform.h"

#include <cstdio>
#include <ctime>

namespace {

double answeredAt = 0;

// toolName: the hook's context.
platform::MessageBoxAnswer answerWithoutShowing(const void* toolName, const char* text, const char* title,
                                                platform::MessageBoxKind kind)
{
    if (kind == platform::MessageBoxKind::YesNoQuestion)
        return platform::MessageBoxAnswer::No; // windowed, the only run mode a tool uses
    std::fprintf(stderr, "%s: the viewer shows \"%s\": %s\n", static_cast<const char*>(toolName), title, text);
    return platform::MessageBoxAnswer::Ok;
}

} // namespace

bool startViewerWindowed(Shell& shell, Drawing& drawing, World& world, const char* toolName, StartMode mode,
                         const std::function<bool()>& windowOpen)
{
    platform::setMessageBoxHook(answerWithoutShowing, toolName);
    if (!platform::initialise()) {
        std::fprintf(stderr,
                     "%s: no display to open the viewer's window on; run it on an X display, for example\n"
                     "  xvfb-run -a -s \"-screen 0 1024x768x24\" %s ...\n",
                     toolName, toolName);
        return false;
    }
    answeredAt = monotonicSeconds();
    shell.fullScreen = false;
    shell.fullScreenDesktop = mode == StartMode::FullScreenDesktop;
    if (!createMainWindow(shell, kWindowTitle, kClientWidth, kClientHeight)) {
        std::fprintf(stderr, "%s: the window could not be created\n", toolName);
        platform::terminate();
        return false;
    }
    if (windowOpen && !windowOpen()) {
        platform::terminate();
        return false;
    }
    // Where the viewer would end the process with status 0, a tool has
    // failed: it says so and returns instead.
    if (startUp(shell, drawing, world) == LoadOutcome::EndProcess) {
        std::fprintf(stderr,
                     "%s: the viewer ends here, before its first frame (a picture that a mesh or the "
                     "flyers need could not be loaded)\n",
                     toolName);
        shutDown(shell, drawing, world);
        platform::terminate();
        return false;
    }
    if (shell.queue.quitPosted) {
        std::fprintf(stderr, "%s: start-up asked to quit; the viewer would end before its first frame\n", toolName);
        shutDown(shell, drawing, world);
        platform::terminate();
        return false;
    }
    // The place as the viewer shows it: its plants only where they can stand,
    // its compass pointing to true north.
    readPlaceReference(world);
    return true;
}

double questionAnsweredAt() { return answeredAt; }

void finishViewerSession(const Shell& shell, Drawing& drawing, World& world)
{
    shutDown(shell, drawing, world);
    platform::terminate();
}

double monotonicSeconds() { return clockSeconds(CLOCK_MONOTONIC); }

double clockSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}
