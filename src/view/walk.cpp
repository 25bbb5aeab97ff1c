#include "view/walk.h"

void WalkRecording::start(int frameCapacity)
{
    frames = std::make_unique<WalkFrame[]>(static_cast<size_t>(frameCapacity));
    capacity = frameCapacity;
    count = 0;
    seconds = 0;
}

bool WalkRecording::record(Vector3 eye, Vector3 lookAt, bool crouching, bool zoomed, bool wireframe, float frameDelta)
{
    if (!frames || count >= capacity)
        return false;
    if (count > 0)
        seconds += frameDelta;
    frames[count++] = {static_cast<float>(seconds), eye, lookAt, crouching, zoomed, wireframe};
    return true;
}

void WalkRecording::stop()
{
    frames.reset();
    capacity = 0;
}
