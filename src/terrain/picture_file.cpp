#include "terrain/picture_file.h"

#include "terrain/tiled_tiff.h"

#include <tiffio.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The picture may be smaller than the generator writes it, for the tests.
constexpr int kLeastFinePictureSide = 1024;
// The coarsest level is at most this a side.
constexpr int kCoarsestPictureSide = 256;
// Tiles from 64 to 1024 a side, in JPEG's blocks of 16.
constexpr uint32_t kLeastPictureTile = 64;
constexpr uint32_t kMostPictureTile = 1024;
constexpr int kCachedPictureTiles = 8;
constexpr int kMostPictureImages = 32;
// A square larger than this is no texture's.
constexpr int kMostSquareSide = 8192;

struct PictureImage {
    int directory = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t tileWidth = 0;
    uint32_t tileHeight = 0;
    bool overview = false;
};


// JPEG tiles are stored as YCbCr and handed over as RGB by libtiff.
bool storedAsYCbCr(TIFF* tiff)
{
    uint16_t compression = 0, photometric = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    return compression == COMPRESSION_JPEG && photometric == PHOTOMETRIC_YCBCR;
}

// Why the current directory cannot be a level of the picture, or empty.
std::string pictureImageFault(TIFF* tiff, uint64_t fileSize, PictureImage& image)
{
    uint16_t bits = 0, format = 0, samples = 0, planar = 0, compression = 0, photometric = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    if (samples != 3 || bits != 8 || format != SAMPLEFORMAT_UINT)
        return "holds " + std::to_string(samples) + " samples of " + std::to_string(bits) +
               " bits a pixel, not RGB of 8 bits";
    if (planar != PLANARCONFIG_CONTIG)
        return "is not stored contiguously";
    if (photometric != PHOTOMETRIC_RGB && !storedAsYCbCr(tiff))
        return "is not RGB, nor JPEG in YCbCr (photometric " + std::to_string(photometric) + ")";
    if (!TIFFIsTiled(tiff))
        return "is not tiled";
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &image.tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &image.tileHeight);
    if (image.tileWidth < kLeastPictureTile || image.tileWidth > kMostPictureTile ||
        image.tileHeight < kLeastPictureTile || image.tileHeight > kMostPictureTile)
        return "has tiles of " + sideText(image.tileWidth, image.tileHeight) + ", not 64 to 1024 a side";
    if (!TIFFIsCODECConfigured(compression))
        return "is compressed in a way this viewer cannot decode (" + std::to_string(compression) + ")";
    std::string why;
    if (!tilesInsideFile(tiff, fileSize, why))
        return why;
    return {};
}

// Which pixels of a square along one axis come from one tile: [first, last)
// of the square's [0, size), where the picture's pixel clamp(start + u)
// lies in the tile's [tileStart, tileEnd).
void spanInTile(int64_t start, int size, int64_t extent, int64_t tileStart, int64_t tileEnd, int& first, int& last)
{
    const int64_t from = tileStart == 0 ? 0 : tileStart - start;
    const int64_t to = tileEnd == extent ? size : tileEnd - start;
    first = int(std::clamp<int64_t>(from, 0, size));
    last = int(std::clamp<int64_t>(to, 0, size));
}

} // namespace

struct PictureFile::State {
    TiledTiff file;
    struct Level {
        TIFF* tiff = nullptr;
        int side = 0;
        int tileWidth = 0;
        int tileHeight = 0;
        int tilesAcross = 0;
    };
    std::vector<Level> levels;
    std::string path;

    struct CachedTile {
        int level = -1;
        uint32_t tile = 0;
        uint64_t lastUse = 0;
    };
    std::array<CachedTile, kCachedPictureTiles> cached;
    std::vector<uint8_t> tilePixels; // kCachedPictureTiles of the largest tile, made at open
    size_t tileBytes = 0;
    uint64_t uses = 0;
};

PictureFile::~PictureFile() = default;

int PictureFile::levelSide(int level) const
{
    if (level < 0 || level >= levelCount_)
        return 0;
    return state_->levels[size_t(level)].side;
}

std::unique_ptr<PictureFile> PictureFile::open(const std::string& path, Report& report)
{
    std::unique_ptr<PictureFile> picture(new PictureFile);
    picture->state_ = std::make_unique<State>();
    State& state = *picture->state_;
    state.path = path;
    report = state.file.openFile(path);
    if (report.failed())
        return nullptr;
    auto refuse = [&](const std::string& why) {
        report = readFailure(path, why);
        return nullptr;
    };

    TIFF* tiff = state.file.openHandle(TiledTiff::Start::FirstDirectory);
    if (!tiff)
        return refuse(state.file.failure("not a TIFF file that can be read"));
    std::vector<PictureImage> images;
    std::optional<PictureImage> main;
    const std::string why = walkImages(state.file, tiff, kMostPictureImages, [&](const TiffImage& found) {
        PictureImage image{
            .directory = found.directory, .width = found.width, .height = found.height, .overview = found.overview};
        if (!image.overview) {
            if (main)
                return std::string("holds two main images");
            if (image.width != image.height || image.width < uint32_t(kLeastFinePictureSide) ||
                image.width > uint32_t(kMostFinePictureSide))
                return "the picture is " + sideText(image.width, image.height) +
                       " pixels, not square from 1024 to 32768 a side";
        }
        const std::string fault = pictureImageFault(tiff, state.file.fileSize(), image);
        if (!fault.empty())
            return (image.overview ? "an overview (" : "the main image (") + sideText(image.width, image.height) +
                   ") " + fault;
        if (!image.overview)
            main = image;
        images.push_back(image);
        return std::string();
    });
    if (!why.empty())
        return refuse(why);
    state.file.closeHandle(tiff);
    if (!main)
        return refuse("holds no main image, only overviews");

    // Level l is level l - 1 halved, rounded up, down to 256 or less a side.
    std::vector<int> sides = {int(main->width)};
    while (sides.back() > kCoarsestPictureSide)
        sides.push_back((sides.back() + 1) / 2);
    std::vector<int> directories(sides.size(), -1);
    std::vector<const PictureImage*> levelImages(sides.size(), nullptr);
    for (const PictureImage& image : images) {
        size_t level = 0;
        if (image.overview) {
            while (level < sides.size() && uint32_t(sides[level]) != image.width)
                ++level;
            // Overviews coarser than the last level are no concern.
            if (image.width != image.height || level == 0 ||
                (level == sides.size() && image.width >= uint32_t(sides.back())))
                return refuse("an overview of " + sideText(image.width, image.height) +
                              " pixels is no level of a picture of " + std::to_string(sides[0]));
            if (level == sides.size())
                continue;
        }
        if (directories[level] >= 0)
            return refuse("level " + std::to_string(level) + " appears twice");
        directories[level] = image.directory;
        levelImages[level] = &image;
    }
    for (size_t level = 1; level < sides.size(); ++level)
        if (directories[level] < 0)
            return refuse("level " + std::to_string(level) + " (" + std::to_string(sides[level]) +
                          " pixels a side) is missing");

    for (size_t level = 0; level < sides.size(); ++level) {
        state.file.clearMessage();
        TIFF* handle = state.file.openHandle(TiledTiff::Start::HeaderOnly);
        if (!handle || !TIFFSetDirectory(handle, tdir_t(directories[level])))
            return refuse(state.file.failure("level " + std::to_string(level) + " cannot be read"));
        if (storedAsYCbCr(handle))
            TIFFSetField(handle, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        const PictureImage& image = *levelImages[level];
        State::Level read{.tiff = handle,
                          .side = sides[level],
                          .tileWidth = int(image.tileWidth),
                          .tileHeight = int(image.tileHeight),
                          .tilesAcross = int((image.width + image.tileWidth - 1) / image.tileWidth)};
        const tmsize_t tileBytes = tmsize_t(read.tileWidth) * read.tileHeight * 3;
        if (TIFFTileSize(handle) != tileBytes)
            return refuse("level " + std::to_string(level) + "'s tiles do not decode to RGB");
        state.tileBytes = std::max(state.tileBytes, size_t(tileBytes));
        state.levels.push_back(read);
    }
    state.tilePixels.assign(state.tileBytes * kCachedPictureTiles, 0);
    picture->side_ = sides[0];
    picture->levelCount_ = int(sides.size());
    report = {};
    return picture;
}

Report PictureFile::readSquare(int level, int x, int y, int size, uint8_t* rgb)
{
    State& state = *state_;
    if (level < 0 || level >= levelCount_ || size <= 0 || size > kMostSquareSide)
        return readFailure(state.path,
                           "no square of " + std::to_string(size) + " pixels at level " + std::to_string(level));
    const State::Level& read = state.levels[size_t(level)];
    const int64_t side = read.side;
    auto clamped = [&](int64_t at) { return std::clamp<int64_t>(at, 0, side - 1); };
    // Tile by tile, each decoded once: the pixels beyond the picture repeat its edge.
    const int64_t firstRow = clamped(y) / read.tileHeight, lastRow = clamped(int64_t(y) + size - 1) / read.tileHeight;
    const int64_t firstColumn = clamped(x) / read.tileWidth,
                  lastColumn = clamped(int64_t(x) + size - 1) / read.tileWidth;
    for (int64_t ty = firstRow; ty <= lastRow; ++ty) {
        for (int64_t tx = firstColumn; tx <= lastColumn; ++tx) {
            const uint32_t tile = uint32_t(ty * read.tilesAcross + tx);
            int slot = 0;
            for (int s = 0; s < kCachedPictureTiles; ++s) {
                const State::CachedTile& cached = state.cached[size_t(s)];
                if (cached.level == level && cached.tile == tile) {
                    slot = s;
                    break;
                }
                if (cached.lastUse < state.cached[size_t(slot)].lastUse)
                    slot = s;
            }
            State::CachedTile& cached = state.cached[size_t(slot)];
            uint8_t* pixels = state.tilePixels.data() + size_t(slot) * state.tileBytes;
            const tmsize_t tileBytes = tmsize_t(read.tileWidth) * read.tileHeight * 3;
            if (cached.level != level || cached.tile != tile) {
                cached.level = -1;
                state.file.clearMessage();
                if (TIFFReadEncodedTile(read.tiff, tile, pixels, tileBytes) != tileBytes)
                    return readFailure(state.path, state.file.failure("tile " + std::to_string(tile) + " of level " +
                                                                      std::to_string(level) + " will not decode"));
                cached.level = level;
                cached.tile = tile;
            }
            cached.lastUse = ++state.uses;
            const int64_t tileX = tx * read.tileWidth, tileY = ty * read.tileHeight;
            int u0 = 0, u1 = 0, v0 = 0, v1 = 0;
            spanInTile(x, size, side, tileX, std::min<int64_t>(tileX + read.tileWidth, side), u0, u1);
            spanInTile(y, size, side, tileY, std::min<int64_t>(tileY + read.tileHeight, side), v0, v1);
            for (int v = v0; v < v1; ++v) {
                const uint8_t* row = pixels + size_t(clamped(int64_t(y) + v) - tileY) * size_t(read.tileWidth) * 3;
                uint8_t* out = rgb + (size_t(v) * size_t(size) + size_t(u0)) * 3;
                for (int u = u0; u < u1; ++u, out += 3)
                    std::memcpy(out, row + size_t(clamped(int64_t(x) + u) - tileX) * 3, 3);
            }
        }
    }
    return {};
}
