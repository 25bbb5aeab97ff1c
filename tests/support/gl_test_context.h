#pragma once
// A real window and rendering context for tests that read GL state back. Runs
// under the virtual display; the window is made once per test binary and the
// context re-made whenever a test's shutdown has deleted it.

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

// Once in a full run, a test binary found no X display at all for a moment
// while the suite's other binaries were starting; a few tries tell that from
// having no display.
inline bool openTestWindow()
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (platform::initialise())
            return platform::createWindow("lumora test", 800, 600, false);
        std::fprintf(stderr, "retry: no X display on try %d of 3\n", attempt + 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
}

inline bool ensureGlContext()
{
    static const bool windowReady = openTestWindow();
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
