#include "app/instances.h"
#include "app/main_loop.h"
#include "app/startup.h"
#include "platform/platform.h"

// The program's entry owns the whole run: question, window, start-up, main
// loop and teardown.
int main()
{
    if (!platform::initialise())
        return 1;
    shell.fullScreen = askForFullScreen();
    if (!createMainWindow(shell, kWindowTitle, kClientWidth, kClientHeight)) {
        platform::terminate();
        return 1;
    }
    if (startUp(shell, world) == LoadOutcome::EndProcess)
        endProcessAtOnce(shell, world);
    const int exitCode = runMainLoop(shell, world);
    shutDown(shell, world);
    platform::terminate();
    return exitCode;
}
