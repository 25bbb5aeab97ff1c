#pragma once
// A real window and rendering context for tests that read GL state back. Runs
// under the virtual display; the window is made once per test binary and the
// context re-made whenever a test's shutdown has deleted it.

#include "platform/platform.h"

#include <gtest/gtest.h>

inline bool ensureGlContext()
{
    static const bool windowReady =
        platform::initialise() && platform::createWindow("lumora test", 800, 600, platform::WindowMode::Windowed);
    if (!windowReady)
        return false;
    if (!platform::hasRenderingContext())
        platform::createRenderingContext();
    return platform::hasRenderingContext();
}

#define REQUIRE_GL_CONTEXT()                                                                                         \
    do {                                                                                                             \
        if (!ensureGlContext())                                                                                      \
            GTEST_FAIL() << "no GL context: run the tests under a display (the test command uses Xvfb)";             \
    } while (0)
