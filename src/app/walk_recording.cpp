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
void saveWalk(Shell& shell, const char* why)
{
    WalkRecording& walk = shell.walk;
    if (walk.count == 0) {
        std::fprintf(stderr, "lumora: %sthe walk has no frames yet; nothing saved\n", why);
    } else {
        const std::string text = formatWalk(walk.frames.get(), walk.count);
        const std::string path = saveToSaveFolder(shell.startFolder, ".walk", "the walk", writeText, &text);
        if (!path.empty())
            std::fprintf(stderr, "lumora: %ssaved the walk as %s (%.1f s)\n", why, path.c_str(),
                         static_cast<double>(walk.frames[walk.count - 1].time));
    }
    walk.stop();
}

} // namespace

void toggleWalkRecording(Shell& shell)
{
    if (shell.walk.active())
        saveWalk(shell, "");
    else
        shell.walk.start();
}

void recordWalkFrame(Shell& shell, const World& world, const FrameInput& input)
{
    WalkRecording& walk = shell.walk;
    if (!walk.active())
        return;
    walk.record(recordedWalkFrame(input, world.camera), input.frameDelta);
    if (walk.count == walk.capacity)
        saveWalk(shell, "recording stopped: a walk holds an hour at 60 frames a second; ");
}

void finishWalkRecording(Shell& shell)
{
    if (shell.walk.active())
        saveWalk(shell, "");
}
