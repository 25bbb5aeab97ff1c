#include "view/walk.h"

void WalkRecording::start(int frameCapacity)
{
    frames = std::make_unique<WalkFrame[]>(static_cast<size_t>(frameCapacity));
    capacity = frameCapacity;
    count = 0;
    seconds = 0;
}

bool WalkRecording::record(WalkFrame frame, float frameDelta)
{
    if (!frames || count >= capacity)
        return false;
    if (count > 0)
        seconds += frameDelta;
    frame.time = static_cast<float>(seconds);
    frames[count++] = frame;
    return true;
}

void WalkRecording::stop()
{
    frames.reset();
    capacity = 0;
}
