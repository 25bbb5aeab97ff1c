#include "app/frame_clock.h"

#include "platform/platform.h"

#include <cstdio>

bool FrameClock::tick(double now, int& titleFigure)
{
    frameCount += 1;
    if (!started) {
        started = true;
        previousTime = now;
        titleTime = now;
        delta = 0;
        titleFigure = static_cast<int>(frameCount);
        frameCount = 0;
        return true;
    }
    delta = static_cast<float>(now - previousTime);
    previousTime = now;
    if (now - titleTime > kTitleInterval) {
        titleTime = now;
        titleFigure = static_cast<int>(frameCount);
        frameCount = 0;
        return true;
    }
    return false;
}

void tickFrameClock(FrameClock& clock)
{
    int figure = 0;
    if (clock.tick(platform::seconds(), figure)) {
        char title[64];
        std::snprintf(title, sizeof title, "Current Frames Per Second: %d", figure);
        platform::setWindowTitle(title);
    }
}
