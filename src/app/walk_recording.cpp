#include "app/walk_recording.h"

#include "surface/save_folder.h"
#include "formats/walk_format.h"

#include <cstdio>
#include <string>

namespace {

bool writeText(const char* path, const void* content)
{
    const std::string& text = *static_cast<const std::string*>(content);
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

// Saves the frames recorded so far and ends the recording; `why` opens the line.
void saveWalk(WalkRecording& walk, const std::string& startFolder, const char* why)
{
    if (walk.count == 0) {
        std::fprintf(stderr, "lumora: %sthe walk has no frames yet; nothing saved\n", why);
    } else {
        const std::string text = formatWalk(walk.frames.get(), walk.count);
        const std::string path = saveToSaveFolder(startFolder, ".walk", "the walk", writeText, &text);
        if (!path.empty())
            std::fprintf(stderr, "lumora: %ssaved the walk as %s (%.1f s)\n", why, path.c_str(),
                         static_cast<double>(walk.frames[walk.count - 1].time));
    }
    walk.stop();
}

} // namespace

void toggleWalkRecording(WalkRecording& walk, const std::string& startFolder)
{
    if (walk.active())
        saveWalk(walk, startFolder, "");
    else
        walk.start();
}

void recordWalkFrame(WalkRecording& walk, const std::string& startFolder, const World& world, const FrameInput& input)
{
    if (!walk.active())
        return;
    walk.record(recordedWalkFrame(input, world.camera), input.frameDelta);
    if (walk.count == walk.capacity)
        saveWalk(walk, startFolder, "recording stopped: a walk holds an hour at 60 frames a second; ");
}

void finishWalkRecording(WalkRecording& walk, const std::string& startFolder)
{
    if (walk.active())
        saveWalk(walk, startFolder, "");
}
