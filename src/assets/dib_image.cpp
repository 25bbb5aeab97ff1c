#include "assets/dib_image.h"

#include "assets/file_bytes.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

const char* const kUnknownFormat = "Unknown DIB file format.";
const char* const kOutOfMemory = "Out of memory.";
const char* const kConversionError = "Image file conversion error.";

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr int kMaxPaletteEntries = 256; // an 8-bit index reaches no further

enum Compression : uint32_t { kUncompressed = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

// Bounds-checked little-endian reads over the whole file.
struct Bytes {
    const uint8_t* data;
    size_t size;

    bool holds(uint64_t offset, uint64_t count) const { return offset <= size && count <= size - offset; }
    uint16_t u16(size_t at) const { return uint16_t(data[at] | data[at + 1] << 8); }
    uint32_t u32(size_t at) const { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; }
};

// One colour channel of a 16- or 32-bit pixel, as a bit-field mask.
struct Channel {
    uint32_t mask;
    int shift; // position of the mask's lowest bit
    int bits;  // width from its lowest to its highest bit

    explicit Channel(uint32_t m = 0)
        : mask(m), shift(m ? std::countr_zero(m) : 0), bits(m ? std::bit_width(m >> shift) : 0)
    {}

    // Widens the channel to 8 bits by repeating its bits, so that all ones
    // becomes 255 (a 5-bit 31 is v << 3 | v >> 2); wider channels keep their
    // top 8 bits.
    uint8_t extract(uint32_t pixel) const
    {
        if (bits == 0)
            return 0;
        const uint32_t v = (pixel & mask) >> shift;
        if (bits >= 8)
            return uint8_t(v >> (bits - 8));
        uint32_t wide = 0;
        for (int at = 8 - bits; at > -bits; at -= bits)
            wide |= at >= 0 ? v << at : v >> -at;
        return uint8_t(wide);
    }
};

struct Rgb {
    uint8_t r, g, b;
};

// The info header in the 40-byte form, and what decoding needs beside it.
struct DibHeader {
    uint32_t headerBytes;
    int64_t width;
    int64_t height; // negative: stored top row first
    uint32_t bitCount;
    uint32_t compression;
    uint64_t pixelOffset;            // from the start of the file
    Rgb palette[kMaxPaletteEntries]; // entries the file does not hold stay black
    Channel red, green, blue;
};

// Reads the headers and the palette. Returns the failure message, or nullptr.
const char* readHeader(const Bytes& file, DibHeader& header)
{
    const bool fileHeader = file.size >= 2 && file.data[0] == 'B' && file.data[1] == 'M';
    const size_t start = fileHeader ? kFileHeaderBytes : 0;
    if (!file.holds(start, 4))
        return kUnknownFormat;
    header.headerBytes = file.u32(start);
    if (header.headerBytes != kCoreHeaderBytes && header.headerBytes != kInfoHeaderBytes)
        return kUnknownFormat;
    if (!file.holds(start, header.headerBytes))
        return kConversionError;

    uint32_t paletteEntries;
    uint32_t entryBytes;
    uint64_t masksBytes = 0;
    bool coloursUsedSet;
    if (header.headerBytes == kCoreHeaderBytes) {
        header.width = file.u16(start + 4);
        header.height = file.u16(start + 6);
        header.bitCount = file.u16(start + 10);
        header.compression = kUncompressed;
        entryBytes = 3;
        paletteEntries = 0;
        coloursUsedSet = false;
    } else {
        header.width = int32_t(file.u32(start + 4));
        header.height = int32_t(file.u32(start + 8));
        header.bitCount = file.u16(start + 14);
        header.compression = file.u32(start + 16);
        const uint32_t coloursUsed = file.u32(start + 32);
        entryBytes = 4;
        coloursUsedSet = coloursUsed != 0;
        paletteEntries = coloursUsed & 0xFFFF;
        if (header.compression == kBitFields)
            masksBytes = 12;
    }
    if (!coloursUsedSet)
        paletteEntries = header.bitCount == 1 ? 2 : header.bitCount == 4 ? 16 : header.bitCount == 8 ? 256 : 0;

    // The masks of a bit-field file sit between the info header and the palette.
    const uint64_t masksAt = start + header.headerBytes;
    const uint64_t paletteAt = masksAt + masksBytes;
    std::memset(header.palette, 0, sizeof header.palette);
    for (uint32_t i = 0; i < std::min<uint32_t>(paletteEntries, kMaxPaletteEntries); ++i) {
        const uint64_t at = paletteAt + uint64_t(i) * entryBytes;
        if (!file.holds(at, 3))
            break;
        header.palette[i] = {file.data[at + 2], file.data[at + 1], file.data[at]};
    }
    header.pixelOffset = fileHeader ? file.u32(10) : paletteAt + uint64_t(paletteEntries) * entryBytes;

    if (header.compression == kBitFields) {
        if (!file.holds(masksAt, 12))
            return kConversionError;
        header.red = Channel(file.u32(masksAt));
        header.green = Channel(file.u32(masksAt + 4));
        header.blue = Channel(file.u32(masksAt + 8));
    } else if (header.bitCount == 16) {
        header.red = Channel(0x7C00);
        header.green = Channel(0x03E0);
        header.blue = Channel(0x001F);
    } else {
        header.red = Channel(0xFF0000);
        header.green = Channel(0x00FF00);
        header.blue = Channel(0x0000FF);
    }
    return nullptr;
}

// Whether the bit count and the compression go together. Run-length pictures
// are bottom-up only: the format has no top-down form of them.
bool convertible(const DibHeader& header)
{
    if (header.width <= 0 || header.height == 0)
        return false;
    switch (header.compression) {
    case kUncompressed:
        return header.bitCount == 1 || header.bitCount == 4 || header.bitCount == 8 || header.bitCount == 16 ||
               header.bitCount == 24 || header.bitCount == 32;
    case kRle8:
        return header.bitCount == 8 && header.height > 0;
    case kRle4:
        return header.bitCount == 4 && header.height > 0;
    case kBitFields:
        return header.bitCount == 16 || header.bitCount == 32;
    default:
        return false;
    }
}

// The whole declared picture, black until decoded: rows and run-length pixels
// that the file does not hold stay black.
bool allocateRows(Image& image, int64_t width, int64_t rows)
{
    image.components = 3;
    image.width = int32_t(width);
    image.height = int32_t(rows);
    try {
        image.pixels.assign(size_t(width * rows * 3), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

Rgb storedPixel(const DibHeader& header, const uint8_t* row, int64_t x)
{
    switch (header.bitCount) {
    case 1:
        return header.palette[row[x / 8] >> (7 - x % 8) & 0x01];
    case 4:
        return header.palette[row[x / 2] >> (x % 2 ? 0 : 4) & 0x0F];
    case 8:
        return header.palette[row[x]];
    case 24:
        return {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
    default: {
        const uint8_t* p = row + x * (header.bitCount / 8);
        const uint32_t word = header.bitCount == 16 ? uint32_t(p[0] | p[1] << 8)
                                                    : uint32_t(p[0] | p[1] << 8 | p[2] << 16) | uint32_t(p[3]) << 24;
        return {header.red.extract(word), header.green.extract(word), header.blue.extract(word)};
    }
    }
}

const char* decodeRows(const Bytes& file, const DibHeader& header, Image& image)
{
    const uint64_t width = uint64_t(header.width);
    const uint64_t rows = uint64_t(header.height < 0 ? -header.height : header.height);
    const uint64_t rowBytes = (header.bitCount * width + 7) / 8;
    const uint64_t stride = (header.bitCount * width + 31) / 32 * 4;
    const uint64_t available = header.pixelOffset < file.size ? file.size - header.pixelOffset : 0;
    // The last row needs its pixels but not its padding.
    const uint64_t rowsHeld = available < rowBytes ? 0 : std::min(rows, (available - rowBytes) / stride + 1);
    if (rowsHeld == 0)
        return kConversionError;
    if (!allocateRows(image, header.width, int64_t(rows)))
        return kOutOfMemory;
    image.missingRows = int32_t(rows - rowsHeld);

    // The rows held, and of a row cut short the pixels whose bytes are there.
    const bool topDown = header.height < 0;
    const uint64_t rowsBegun = std::min(rows, (available + stride - 1) / stride);
    for (uint64_t stored = 0; stored < rowsBegun; ++stored) {
        const uint64_t rowAt = stored * stride;
        const uint64_t bytesHeld = std::min(rowBytes, available - rowAt);
        const uint64_t pixelsHeld = stored < rowsHeld ? width : bytesHeld * 8 / header.bitCount;
        const uint8_t* row = file.data + header.pixelOffset + rowAt;
        uint8_t* out = image.pixels.data() + (topDown ? rows - 1 - stored : stored) * width * 3;
        for (uint64_t x = 0; x < pixelsHeld; ++x, out += 3) {
            const Rgb colour = storedPixel(header, row, int64_t(x));
            out[0] = colour.r;
            out[1] = colour.g;
            out[2] = colour.b;
        }
    }
    return nullptr;
}

// Expands RLE8 or RLE4 codes: a run (count, index or index pair), or after a
// zero byte end of line (0), end of picture (1), delta (2, dx, dy) or an
// absolute stretch of that many indices padded to a 2-byte boundary. Pixels a
// code would put beyond the row or the picture are dropped. Skipped pixels,
// and the rows after a stream that stops without its end code, stay black.
const char* decodeRunLength(const Bytes& file, const DibHeader& header, Image& image)
{
    const uint64_t width = uint64_t(header.width);
    const uint64_t rows = uint64_t(header.height);
    if (!file.holds(header.pixelOffset, 2))
        return kConversionError;
    if (!allocateRows(image, header.width, int64_t(rows)))
        return kOutOfMemory;

    const bool fourBit = header.compression == kRle4;
    // RLE4 packs two indices in a byte, the first in the high nibble.
    auto indexAt = [fourBit](uint8_t byte, int i) {
        return fourBit ? uint8_t(i % 2 ? byte & 0x0F : byte >> 4) : byte;
    };
    uint64_t x = 0;
    uint64_t y = 0;
    auto put = [&](uint8_t index) {
        if (x < width && y < rows) {
            uint8_t* out = image.pixels.data() + (y * width + x) * 3;
            const Rgb colour = header.palette[index];
            out[0] = colour.r;
            out[1] = colour.g;
            out[2] = colour.b;
        }
        ++x;
    };

    uint64_t at = header.pixelOffset;
    bool ended = false;
    while (y < rows && file.holds(at, 2)) {
        const uint8_t count = file.data[at];
        const uint8_t code = file.data[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(indexAt(code, i));
        } else if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            ended = true;
            break;
        } else if (code == 2) {
            if (!file.holds(at, 2))
                break;
            x += file.data[at];
            y += file.data[at + 1];
            at += 2;
        } else {
            for (int i = 0; i < code; ++i) {
                const uint64_t byteAt = at + uint64_t(fourBit ? i / 2 : i);
                if (!file.holds(byteAt, 1))
                    break;
                put(indexAt(file.data[byteAt], i));
            }
            const uint64_t indexBytes = fourBit ? (code + 1u) / 2 : code;
            at += (indexBytes + 1) / 2 * 2;
        }
    }
    // A stream cut short misses the rows from where it stopped; a row it
    // filled to its end without the end-of-line code is whole.
    if (!ended && y < rows)
        image.missingRows = int32_t(rows - y - (x >= width ? 1 : 0));
    return nullptr;
}

} // namespace

ImageResult decodeDibImage(const uint8_t* bytes, size_t size, uint64_t mostPixels)
{
    const Bytes file{bytes, bytes ? size : 0};
    DibHeader header;
    if (const char* failure = readHeader(file, header))
        return {std::nullopt, failure};
    if (!convertible(header))
        return {std::nullopt, kConversionError};
    const uint64_t rows = uint64_t(header.height < 0 ? -header.height : header.height);
    if (uint64_t(header.width) * rows > mostPixels)
        return {std::nullopt, kConversionError};

    Image image;
    const bool runLength = header.compression == kRle8 || header.compression == kRle4;
    if (const char* failure = runLength ? decodeRunLength(file, header, image) : decodeRows(file, header, image))
        return {std::nullopt, failure};
    return {std::move(image), nullptr};
}

PictureLoad loadDibImage(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(fileName, bytes) || bytes.empty()) {
        // At most 255 characters, the line break kept: the name gives way.
        static const char kPrefix[] = "Failed to open DIB file ";
        static const char kSuffix[] = ".\n";
        constexpr int kNameRoom = kLoadMessageBytes - 1 - int(sizeof kPrefix - 1) - int(sizeof kSuffix - 1);
        char text[kLoadMessageBytes];
        std::snprintf(text, sizeof text, "%s%.*s%s", kPrefix, kNameRoom, fileName, kSuffix);
        return {std::nullopt, loadFailure(text)};
    }
    ImageResult result = decodeDibImage(bytes.data(), bytes.size());
    if (!result.image)
        return {std::nullopt, loadFailure(result.failure)};
    return {std::move(result.image), {}};
}
