#include "app/screenshot.h"

#include "surface/png_file.h"
#include "surface/save_folder.h"

#include <cstdint>
#include <cstdio>
#include <vector>

bool saveFrameAsSeen(const FrameSurface& surface, const std::string& startFolder, int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    readBackFrame(surface, width, height, pixels.data());
    struct Picture {
        int width, height;
        const uint8_t* pixels;
    };
    const Picture picture{width, height, pixels.data()};
    const std::string path = saveToSaveFolder(
        startFolder, ".png", "the frame",
        [](const char* file, const void* content) {
            const Picture& shot = *static_cast<const Picture*>(content);
            return writePngBottomRowFirst(file, shot.width, shot.height, 3, shot.pixels);
        },
        &picture);
    if (path.empty())
        return false;
    std::fprintf(stderr, "lumora: saved the frame as %s\n", path.c_str());
    return true;
}
