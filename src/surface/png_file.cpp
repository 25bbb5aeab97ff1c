#include "surface/png_file.h"

#include <stb_image_write.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void appendToFile(void* context, void* data, int size)
{
    std::FILE* file = static_cast<std::FILE*>(context);
    std::fwrite(data, 1, static_cast<size_t>(size), file);
}

} // namespace

bool writePngBottomRowFirst(const char* path, int width, int height, int components, const uint8_t* pixels)
{
    if (width <= 0 || height <= 0 || (components != 3 && components != 4))
        return false;
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(components);
    std::vector<uint8_t> topFirst(rowBytes * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row)
        std::memcpy(&topFirst[static_cast<size_t>(row) * rowBytes],
                    pixels + static_cast<size_t>(height - 1 - row) * rowBytes, rowBytes);

    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    // The rows are turned here, not by the writer's global flip setting.
    const int written = stbi_write_png_to_func(appendToFile, file, width, height, components, topFirst.data(),
                                               static_cast<int>(rowBytes));
    const bool flushed = std::ferror(file) == 0;
    return std::fclose(file) == 0 && written != 0 && flushed;
}
