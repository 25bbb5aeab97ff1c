#include "assets/tga_image.h"

#include "assets/file_bytes.h"
#include "assets/texture_upload.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

const char* const kUnableToLoad = "Unable to load TGA File!";

constexpr size_t kHeaderBytes = 18;
constexpr uint8_t kRunLengthType = 10;
constexpr uint8_t kRunPacketBit = 0x80;
constexpr uint64_t kMostPixelsPerPacket = 128;

// Hands out the stored pixels one by one as R, G, B(, A). Past the end of the
// file it keeps handing out the last pixel it read, and says it ran out.
struct PixelReader {
    const uint8_t* data;
    size_t size;
    size_t at;
    int depth;
    uint8_t last[4] = {0, 0, 0, 0};
    bool ranOut = false;

    size_t storedBytes() const { return size_t(depth / 8); }

    const uint8_t* next()
    {
        if (size - at < storedBytes()) {
            ranOut = true;
            return last;
        }
        const uint8_t* p = data + at;
        at += storedBytes();
        if (depth == 16) {
            const unsigned word = unsigned(p[0] | p[1] << 8);
            last[0] = uint8_t((word >> 10 & 31) << 3);
            last[1] = uint8_t((word >> 5 & 31) << 3);
            last[2] = uint8_t((word & 31) << 3);
        } else {
            last[0] = p[2];
            last[1] = p[1];
            last[2] = p[0];
            if (depth == 32)
                last[3] = p[3];
        }
        return last;
    }

    bool exhausted()
    {
        if (at >= size)
            ranOut = true;
        return ranOut;
    }
    uint8_t packetHeader() { return data[at++]; }
};

} // namespace

ImageResult decodeTga(const uint8_t* bytes, size_t size, uint64_t mostPixels)
{
    if (!bytes || size < kHeaderBytes)
        return {std::nullopt, kUnableToLoad};
    const uint8_t idLength = bytes[0];
    const bool runLength = bytes[2] == kRunLengthType;
    const uint32_t width = uint32_t(bytes[12] | bytes[13] << 8);
    const uint32_t height = uint32_t(bytes[14] | bytes[15] << 8);
    const int depth = bytes[16];

    // Run-length packets always carry three or four colour bytes per pixel.
    const bool knownDepth = runLength ? depth == 24 || depth == 32 : depth == 16 || depth == 24 || depth == 32;
    if (!knownDepth)
        return {std::nullopt, nullptr};

    Image image;
    image.components = depth == 16 ? 3 : depth / 8;
    image.width = int32_t(width);
    image.height = int32_t(height);
    // A picture without pixels is still a picture: the texture made from it
    // is left without an image and draws untextured.
    if (width == 0 || height == 0)
        return {std::move(image), nullptr};
    const uint64_t total = uint64_t(width) * height;
    if (total > mostPixels)
        return {std::nullopt, kUnableToLoad};

    const size_t pixelsAt = kHeaderBytes + idLength;
    const uint64_t available = size > pixelsAt ? size - pixelsAt : 0;
    const uint64_t storedBytes = uint64_t(depth / 8);
    // A packet is a header byte and at least one stored pixel; with not one
    // pixel there is no last pixel to repeat.
    const uint64_t packetBytes = runLength ? storedBytes + 1 : storedBytes;
    if (available < packetBytes)
        return {std::nullopt, kUnableToLoad};
    try {
        image.pixels.resize(size_t(total * uint64_t(image.components)));
    } catch (const std::bad_alloc&) {
        return {std::nullopt, kUnableToLoad};
    }

    PixelReader reader{bytes, size, pixelsAt, depth};
    uint8_t* out = image.pixels.data();
    const size_t components = size_t(image.components);
    uint64_t produced = 0;
    uint64_t held = total; // pixels before the first one the file did not hold
    auto append = [&](const uint8_t* pixel) {
        if (reader.ranOut && held == total)
            held = produced;
        std::memcpy(out + produced * components, pixel, components);
        ++produced;
    };

    if (!runLength) {
        while (produced < total)
            append(reader.next());
    } else {
        // The count is tested between packets only; a packet that would run
        // past the last pixel is cut there and the rest of it dropped.
        while (produced < total) {
            if (reader.exhausted()) {
                append(reader.last);
                continue;
            }
            const uint8_t packet = reader.packetHeader();
            const uint64_t count = std::min<uint64_t>((packet & 0x7F) + 1u, total - produced);
            if (packet & kRunPacketBit) {
                const uint8_t* pixel = reader.next();
                for (uint64_t i = 0; i < count; ++i)
                    append(pixel);
            } else {
                for (uint64_t i = 0; i < count; ++i)
                    append(reader.next());
            }
        }
    }
    image.missingRows = int32_t(height - held / width);
    return {std::move(image), nullptr};
}

PictureLoad loadTga(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(fileName, bytes))
        return {std::nullopt, loadFailure(kUnableToLoad)};
    ImageResult result = decodeTga(bytes.data(), bytes.size());
    if (!result.image)
        return {std::nullopt, loadFailure(result.failure)};
    return {std::move(result.image), {}};
}

Report createTgaTexture(GLuint* textureNames, const char* fileName, int index)
{
    if (!fileName)
        return {};
    const PictureLoad load = loadTga(fileName);
    if (!load.image)
        return load.report;
    makeMipmappedTexture(textureNames[index], *load.image, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return {};
}
