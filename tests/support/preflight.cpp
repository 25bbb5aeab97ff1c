// Checks what the test suite needs of the machine before it runs: a window
// with a GL context that offers the three extensions the terrain uses, and a
// message box on the display. Prints one line naming what is missing and ends
// with status 1; the box itself is answered by scripts/lib/preflight.sh.

#include "platform/platform.h"

#include <cstdio>

namespace {

constexpr const char* kExtensions[] = {"GL_ARB_multitexture", "GL_ARB_texture_env_combine", "GL_EXT_fog_coord"};

int missing(const char* what)
{
    std::fprintf(stderr, "preflight: %s\n", what);
    return 1;
}

} // namespace

int main()
{
    if (!platform::initialise())
        return missing("no window system on the virtual display");
    if (!platform::createWindow("Lumora preflight window", 64, 64, platform::WindowMode::Windowed) ||
        !platform::hasPixelFormat())
        return missing("no GL visual on the virtual display (Mesa: libgl1-mesa-dri)");
    if (!platform::createRenderingContext())
        return missing("no GL context can be made on the virtual display (Mesa: libgl1-mesa-dri)");
    for (const char* extension : kExtensions) {
        if (!platform::hasGlExtension(extension)) {
            char line[128];
            std::snprintf(line, sizeof line, "the GL context does not offer %s", extension);
            return missing(line);
        }
    }
    // A box that cannot be shown leaves its line on standard error, which the
    // script reads.
    platform::showMessageBox("The test suite can show message boxes.", "Lumora preflight",
                             platform::MessageBoxKind::Ok, platform::BoxOwner::None);
    platform::terminate();
    return 0;
}
