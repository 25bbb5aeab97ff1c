#include "terrain/ground_fixture.h"

#include <tiffio.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kTile = 256;
constexpr uint32_t kGdalMetadataTag = 42112;

// Writes silently: the tests that read these files check that nothing is printed.
struct QuietTiff {
    TIFFErrorHandler error = TIFFSetErrorHandler(nullptr);
    TIFFErrorHandler warning = TIFFSetWarningHandler(nullptr);
    ~QuietTiff()
    {
        TIFFSetErrorHandler(error);
        TIFFSetWarningHandler(warning);
    }
};

void addGdalMetadataTag(TIFF* tiff)
{
    static const TIFFFieldInfo field = {kGdalMetadataTag, -1, -1, TIFF_ASCII,
                                        FIELD_CUSTOM,     1,  0,  const_cast<char*>("GDALMetadata")};
    TIFFMergeFieldInfo(tiff, &field, 1);
}

std::string groundMetadata(const GroundFixture& fixture, const GroundLayout& layout)
{
    std::string nodes = fixture.nodesText;
    if (nodes.empty()) {
        const std::vector<GroundNodeBounds> bounds =
            fixture.bounds.empty() ? computeGroundNodeBounds(layout, fixture.heights) : fixture.bounds;
        nodes.reserve(bounds.size() * 30);
        char number[32];
        for (const GroundNodeBounds& node : bounds) {
            for (float value : {node.minHeight, node.maxHeight, node.error}) {
                if (!nodes.empty())
                    nodes += ' ';
                nodes.append(number, std::to_chars(number, number + sizeof number, value).ptr);
            }
        }
    }
    return "<GDALMetadata>\n"
           "  <Item name=\"GROUND_NODE_QUADS\" domain=\"LUMORA\">32</Item>\n"
           "  <Item name=\"GROUND_NODES\" domain=\"LUMORA\">" +
           nodes + "</Item>\n</GDALMetadata>\n";
}

bool writeGroundLevel(TIFF* tiff, const GroundFixture& fixture, int level, const std::string* metadata)
{
    const int side = ((fixture.side - 1) >> level) + 1;
    const bool deflate = !fixture.uncompressed;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, level == 0 ? 0 : FILETYPE_REDUCEDIMAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, fixture.integerSamples ? SAMPLEFORMAT_INT : SAMPLEFORMAT_IEEEFP);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, deflate ? COMPRESSION_ADOBE_DEFLATE : COMPRESSION_NONE);
    if (deflate) {
        TIFFSetField(tiff, TIFFTAG_PREDICTOR,
                     fixture.integerSamples ? PREDICTOR_HORIZONTAL : PREDICTOR_FLOATINGPOINT);
        TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 1);
    }
    if (metadata)
        TIFFSetField(tiff, kGdalMetadataTag, metadata->c_str());
    std::vector<float> tile(size_t(kTile) * kTile);
    const int tiles = (side + kTile - 1) / kTile;
    for (int ty = 0; ty < tiles; ++ty) {
        for (int tx = 0; tx < tiles; ++tx) {
            // Past the ground's edge the tile repeats it, as GDAL leaves no hole there.
            for (int y = 0; y < kTile; ++y) {
                for (int x = 0; x < kTile; ++x) {
                    const size_t i = size_t(std::min(tx * kTile + x, side - 1)) << level;
                    const size_t j = size_t(std::min(ty * kTile + y, side - 1)) << level;
                    tile[size_t(y) * kTile + x] = fixture.heights[j * size_t(fixture.side) + i];
                }
            }
            if (TIFFWriteEncodedTile(tiff, uint32_t(ty * tiles + tx), tile.data(),
                                     tmsize_t(tile.size() * sizeof(float))) < 0)
                return false;
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

bool writePictureLevel(TIFF* tiff, const PictureFixture& fixture, int level)
{
    const int side = pictureFixtureSide(fixture.side, level);
    const std::vector<uint8_t> pixels = pictureFixtureLevel(fixture, level);
    const int channels = fixture.samplesPerPixel;
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, level == 0 ? 0 : FILETYPE_REDUCEDIMAGE);
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, side);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, side);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
    if (fixture.jpeg && channels == 3) {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_JPEG);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 90);
        TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB); // given RGB, stored as YCbCr
    } else {
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
        TIFFSetField(tiff, TIFFTAG_ZIPQUALITY, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, channels == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    }
    std::vector<uint8_t> tile(size_t(kTile) * kTile * channels);
    const int tiles = (side + kTile - 1) / kTile;
    for (int ty = 0; ty < tiles; ++ty) {
        for (int tx = 0; tx < tiles; ++tx) {
            for (int y = 0; y < kTile; ++y) {
                for (int x = 0; x < kTile; ++x) {
                    const size_t from = (size_t(std::min(ty * kTile + y, side - 1)) * side +
                                         size_t(std::min(tx * kTile + x, side - 1))) *
                                        3;
                    for (int c = 0; c < channels; ++c)
                        tile[(size_t(y) * kTile + x) * channels + c] = pixels[from + c];
                }
            }
            if (TIFFWriteEncodedTile(tiff, uint32_t(ty * tiles + tx), tile.data(), tmsize_t(tile.size())) < 0)
                return false;
        }
    }
    return TIFFWriteDirectory(tiff) == 1;
}

} // namespace

bool writeGroundFile(const std::string& path, const GroundFixture& fixture)
{
    const QuietTiff quiet;
    TIFF* tiff = TIFFOpen(path.c_str(), fixture.bigTiff ? "w8" : "w");
    if (!tiff)
        return false;
    addGdalMetadataTag(tiff);
    // A side that is no ground's still gets overviews, halved down to 33.
    std::vector<int> overviews;
    for (int level = 1; ((fixture.side - 1) >> level) + 1 >= kGroundNodeSide; ++level)
        if (level != fixture.omittedLevel)
            overviews.push_back(level);
    if (fixture.coarsestFirst)
        std::reverse(overviews.begin(), overviews.end());
    std::string metadata;
    if (fixture.withMetadata) {
        const std::optional<GroundLayout> layout = groundLayout(fixture.side);
        metadata = groundMetadata(fixture, layout ? *layout : GroundLayout{});
    }
    bool written = writeGroundLevel(tiff, fixture, 0, fixture.withMetadata ? &metadata : nullptr);
    for (int level : overviews)
        written = written && writeGroundLevel(tiff, fixture, level, nullptr);
    TIFFClose(tiff);
    return written;
}

int pictureFixtureSide(int side, int level)
{
    for (int l = 0; l < level; ++l)
        side = (side + 1) / 2;
    return side;
}

std::vector<uint8_t> pictureFixtureLevel(const PictureFixture& fixture, int level)
{
    const int side = pictureFixtureSide(fixture.side, level);
    std::vector<uint8_t> pixels(size_t(side) * side * 3);
    for (int j = 0; j < side; ++j)
        for (int i = 0; i < side; ++i)
            std::memcpy(&pixels[(size_t(j) * side + i) * 3],
                        fixture.rgb + ((size_t(j) << level) * fixture.side + (size_t(i) << level)) * 3, 3);
    return pixels;
}

bool writePictureFile(const std::string& path, const PictureFixture& fixture)
{
    const QuietTiff quiet;
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff)
        return false;
    bool written = writePictureLevel(tiff, fixture, 0);
    for (int level = 1; pictureFixtureSide(fixture.side, level - 1) > kTile; ++level)
        if (level != fixture.omittedLevel)
            written = written && writePictureLevel(tiff, fixture, level);
    TIFFClose(tiff);
    return written;
}

bool spoilTile(const std::string& path, int directory, uint32_t tile)
{
    uint64_t offset = 0, bytes = 0;
    {
        const QuietTiff quiet;
        TIFF* tiff = TIFFOpen(path.c_str(), "r");
        if (!tiff)
            return false;
        if (TIFFSetDirectory(tiff, tdir_t(directory))) {
            offset = TIFFGetStrileOffset(tiff, tile);
            bytes = TIFFGetStrileByteCount(tiff, tile);
        }
        TIFFClose(tiff);
    }
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file)
        return false;
    const std::vector<uint8_t> garbage(bytes, 0xA5);
    const bool spoilt = bytes > 0 && std::fseek(file, long(offset), SEEK_SET) == 0 &&
                        std::fwrite(garbage.data(), 1, garbage.size(), file) == garbage.size();
    return std::fclose(file) == 0 && spoilt;
}

bool patchTiffTag(const std::string& path, int directory, uint16_t tag, uint32_t index, uint32_t value)
{
    std::FILE* file = std::fopen(path.c_str(), "r+b");
    if (!file)
        return false;
    auto readAt = [&](long at, void* out, size_t size) {
        return std::fseek(file, at, SEEK_SET) == 0 && std::fread(out, 1, size, file) == size;
    };
    auto writeAt = [&](long at, const void* in, size_t size) {
        return std::fseek(file, at, SEEK_SET) == 0 && std::fwrite(in, 1, size, file) == size;
    };
    bool patched = false;
    char header[4] = {};
    uint32_t ifd = 0;
    if (readAt(0, header, 4) && std::memcmp(header, "II*\0", 4) == 0 && readAt(4, &ifd, 4)) {
        for (int d = 0; d < directory && ifd != 0; ++d) {
            uint16_t entries = 0;
            if (!readAt(long(ifd), &entries, 2) || !readAt(long(ifd) + 2 + 12 * entries, &ifd, 4))
                ifd = 0;
        }
        uint16_t entries = 0;
        if (ifd != 0 && readAt(long(ifd), &entries, 2)) {
            for (uint16_t e = 0; e < entries && !patched; ++e) {
                const long entry = long(ifd) + 2 + 12 * e;
                uint16_t entryTag = 0, type = 0;
                uint32_t count = 0;
                if (!readAt(entry, &entryTag, 2) || entryTag != tag || !readAt(entry + 2, &type, 2) ||
                    !readAt(entry + 4, &count, 4) || index >= count || (type != TIFF_SHORT && type != TIFF_LONG))
                    continue;
                const size_t size = type == TIFF_SHORT ? 2 : 4;
                if (count == 1) {
                    const uint16_t asLong = TIFF_LONG;
                    patched = writeAt(entry + 2, &asLong, 2) && writeAt(entry + 8, &value, 4);
                } else if (count * size <= 4) {
                    patched = size == 2 && value <= 0xFFFF && writeAt(entry + 8 + long(2 * index), &value, 2);
                } else {
                    uint32_t at = 0;
                    patched = readAt(entry + 8, &at, 4) && (size == 4 || value <= 0xFFFF) &&
                              writeAt(long(at) + long(size * index), &value, size);
                }
            }
        }
    }
    return std::fclose(file) == 0 && patched;
}
