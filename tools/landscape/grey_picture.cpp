// Reads pictures with stb_image for the user's own terrain.
#include <stb_image.h>

#include "elevation.h"

#include <climits>
#include <memory>
#include <stdexcept>
#include <string>

namespace landscape {

ElevationGrid decodeGreyPicture(const std::vector<uint8_t>& bytes)
{
    if (bytes.empty() || bytes.size() > static_cast<size_t>(INT_MAX)) {
        throw std::runtime_error("not a picture that can be read");
    }
    const auto* data = bytes.data();
    const int size = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    ElevationGrid grid;
    auto fill = [&](const auto* pixels) {
        if (pixels == nullptr) {
            throw std::runtime_error(std::string("not a picture that can be read (") + stbi_failure_reason() + ")");
        }
        grid.width = width;
        grid.height = height;
        grid.samples.assign(pixels, pixels + static_cast<size_t>(width) * height);
    };
    if (stbi_is_16_bit_from_memory(data, size)) {
        std::unique_ptr<stbi_us, void (*)(void*)> pixels(
            stbi_load_16_from_memory(data, size, &width, &height, &channels, 1), stbi_image_free);
        fill(pixels.get());
    } else {
        std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
            stbi_load_from_memory(data, size, &width, &height, &channels, 1), stbi_image_free);
        fill(pixels.get());
    }
    return grid;
}

} // namespace landscape
