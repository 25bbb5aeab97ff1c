#include "encode.h"

#include <stb_image_write.h>

#include <stdexcept>

namespace landscape {

namespace {

void appendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

void require(bool ok, const char* what)
{
    if (!ok)
        throw std::runtime_error(what);
}

} // namespace

std::vector<uint8_t> encodeBmp(const Picture& picture)
{
    require(picture.channels == 3, "a BMP picture must have 3 channels");
    std::vector<uint8_t> out;
    require(stbi_write_bmp_to_func(appendBytes, &out, picture.width, picture.height, 3, picture.pixels.data()) != 0,
            "BMP encoding failed");
    return out;
}

std::vector<uint8_t> encodeTga(const Picture& picture)
{
    require(picture.channels == 4, "a TGA picture must have 4 channels");
    // Run-length packets would serve as well; raw rows keep the file simple
    // for every reader.
    stbi_write_tga_with_rle = 0;
    std::vector<uint8_t> out;
    require(stbi_write_tga_to_func(appendBytes, &out, picture.width, picture.height, 4, picture.pixels.data()) != 0,
            "TGA encoding failed");
    return out;
}

} // namespace landscape
