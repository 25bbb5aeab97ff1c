#include "terrain/ground_file.h"

#include "terrain/tiled_tiff.h"

#include <tiffio.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr int kGroundTileSide = 256;
constexpr int kGroundTileSamples = kGroundTileSide * kGroundTileSide;
// A node straddles at most four tiles of its level; twice that keeps the
// neighbours that the loader reads next.
constexpr int kCachedGroundTiles = 8;
// Images in one file: every level of the largest ground is 10, a mask beside
// each would be 20; a chain past this is no ground.
constexpr int kMostGroundImages = 32;

// One image of the file, as its directory describes it.

// Why the current directory cannot be a level of the ground, or empty.
std::string groundImageFault(TIFF* tiff, uint64_t fileSize)
{
    uint16_t bits = 0, format = 0, samples = 0, planar = 0, compression = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (samples != 1)
        return "holds " + std::to_string(samples) + " samples a pixel, not one height";
    if (bits != 32 || format != SAMPLEFORMAT_IEEEFP)
        return "holds samples of " + std::to_string(bits) + " bits in format " + std::to_string(format) +
               ", not 32-bit floats";
    if (planar != PLANARCONFIG_CONTIG)
        return "is not stored contiguously";
    if (!TIFFIsTiled(tiff))
        return "is not tiled";
    uint32_t tileWidth = 0, tileHeight = 0;
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileHeight);
    if (tileWidth != kGroundTileSide || tileHeight != kGroundTileSide)
        return "has tiles of " + sideText(tileWidth, tileHeight) + ", not 256 x 256";
    if (!TIFFIsCODECConfigured(compression))
        return "is compressed in a way this viewer cannot decode (" + std::to_string(compression) + ")";
    std::string why;
    if (!tilesInsideFile(tiff, fileSize, why))
        return why;
    return {};
}

// Reads the bounds item into bounds, one a node; why it cannot, or empty.
std::string parseNodeBounds(std::string_view text, size_t nodes, std::vector<GroundNodeBounds>& bounds)
{
    bounds.assign(nodes, GroundNodeBounds{});
    const char* at = text.data();
    const char* end = text.data() + text.size();
    auto skipSpace = [&] {
        while (at < end && (*at == ' ' || *at == '\n' || *at == '\r' || *at == '\t'))
            ++at;
    };
    const size_t wanted = 3 * nodes;
    size_t count = 0;
    for (skipSpace(); at < end; skipSpace()) {
        float value = 0;
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || (next < end && *next != ' ' && *next != '\n' && *next != '\r' && *next != '\t'))
            return "GROUND_NODES holds something that is not a number after " + std::to_string(count) + " numbers";
        if (count == wanted)
            return "GROUND_NODES holds more than the " + std::to_string(wanted) + " numbers of " +
                   std::to_string(nodes) + " nodes";
        GroundNodeBounds& node = bounds[count / 3];
        (count % 3 == 0 ? node.minHeight : count % 3 == 1 ? node.maxHeight : node.error) = value;
        ++count;
        at = next;
    }
    if (count != wanted)
        return "GROUND_NODES holds " + std::to_string(count) + " numbers, not the " + std::to_string(wanted) +
               " of " + std::to_string(nodes) + " nodes";
    for (size_t i = 0; i < nodes; ++i) {
        const GroundNodeBounds& node = bounds[i];
        if (!std::isfinite(node.minHeight) || !std::isfinite(node.maxHeight) || !std::isfinite(node.error))
            return "the bounds of node " + std::to_string(i) + " are not finite";
        if (node.minHeight > node.maxHeight)
            return "node " + std::to_string(i) + "'s lowest height lies above its highest";
        if (node.error < 0)
            return "node " + std::to_string(i) + "'s error bound is negative";
    }
    return {};
}

// Why the main image's metadata does not hold the ground's bounds, or empty.
std::string readNodeBounds(TIFF* tiff, const GroundLayout& layout, std::vector<GroundNodeBounds>& bounds)
{
    std::string_view quads, nodes;
    if (!gdalMetadataItem(tiff, "GROUND_NODE_QUADS", "LUMORA", quads))
        return "no GROUND_NODE_QUADS in the metadata: the nodes' bounds are missing";
    int quadCount = 0;
    const auto [end, error] = std::from_chars(quads.data(), quads.data() + quads.size(), quadCount);
    if (error != std::errc() || end != quads.data() + quads.size() || quadCount != kGroundNodeQuads)
        return "GROUND_NODE_QUADS is \"" + std::string(quads.substr(0, 20)) + "\", not " +
               std::to_string(kGroundNodeQuads);
    if (!gdalMetadataItem(tiff, "GROUND_NODES", "LUMORA", nodes))
        return "no GROUND_NODES in the metadata: the nodes' bounds are missing";
    return parseNodeBounds(nodes, size_t(groundNodeCount(layout)), bounds);
}

} // namespace

struct GroundFile::State {
    TiledTiff file;
    std::vector<TIFF*> levels; // a handle a level, held at that level's directory
    std::vector<int> directories;

    struct CachedTile {
        int level = -1;
        uint32_t tile = 0;
        uint64_t lastUse = 0;
    };
    std::array<CachedTile, kCachedGroundTiles> cached;
    std::vector<float> tileSamples; // kCachedGroundTiles tiles, made at open
    uint64_t uses = 0;
};

GroundFile::~GroundFile() = default;

std::unique_ptr<GroundFile> GroundFile::open(const std::string& path, Report& report)
{
    std::unique_ptr<GroundFile> ground(new GroundFile);
    ground->path_ = path;
    ground->state_ = std::make_unique<State>();
    State& state = *ground->state_;
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

    // Every image, in the file's order; the main one gives the layout and holds the bounds.
    std::vector<TiffImage> images;
    std::optional<GroundLayout> layout;
    const std::string why = walkImages(state.file, tiff, kMostGroundImages, [&](const TiffImage& image) {
        const std::string what = image.overview ? "an overview" : "the main image";
        if (!image.overview) {
            if (layout)
                return std::string("holds two main images");
            if (image.width != image.height || image.width > uint32_t(kMostFineGroundSide) ||
                !(layout = groundLayout(int(image.width))))
                return "the ground is " + sideText(image.width, image.height) +
                       " samples, not 2^k + 1 from 1025 to 16385 on a side";
        }
        const std::string fault = groundImageFault(tiff, state.file.fileSize());
        if (!fault.empty())
            return what + " (" + sideText(image.width, image.height) + ") " + fault;
        if (!image.overview) {
            std::string boundsFault = readNodeBounds(tiff, *layout, ground->bounds_);
            if (!boundsFault.empty())
                return boundsFault;
        }
        images.push_back(image);
        return std::string();
    });
    if (!why.empty())
        return refuse(why);
    state.file.closeHandle(tiff);
    if (!layout)
        return refuse("holds no main image, only overviews");
    ground->layout_ = *layout;

    // Each level once, at its own side; overviews coarser than the root are no concern.
    const int levelCount = layout->levelCount;
    state.directories.assign(size_t(levelCount), -1);
    for (const TiffImage& image : images) {
        int level = 0;
        if (image.overview) {
            while (level < levelCount && uint32_t(levelSide(*layout, level)) != image.width)
                ++level;
            if (level == 0 || image.width != image.height ||
                (level == levelCount && image.width >= uint32_t(kGroundNodeSide)))
                return refuse("an overview of " + sideText(image.width, image.height) +
                              " samples is no level of a ground of " + std::to_string(layout->side));
            if (level == levelCount)
                continue;
        }
        if (state.directories[size_t(level)] >= 0)
            return refuse("level " + std::to_string(level) + " appears twice");
        state.directories[size_t(level)] = image.directory;
    }
    for (int level = 1; level < levelCount; ++level)
        if (state.directories[size_t(level)] < 0)
            return refuse("level " + std::to_string(level) + " (" + std::to_string(levelSide(*layout, level)) +
                          " samples a side) is missing");

    // A handle a level, so that reading a node never switches directories.
    for (int level = 0; level < levelCount; ++level) {
        state.file.clearMessage();
        TIFF* handle = state.file.openHandle(TiledTiff::Start::HeaderOnly);
        if (!handle || !TIFFSetDirectory(handle, tdir_t(state.directories[size_t(level)])))
            return refuse(state.file.failure("level " + std::to_string(level) + " cannot be read"));
        if (TIFFTileSize(handle) != tmsize_t(kGroundTileSamples * sizeof(float)))
            return refuse("level " + std::to_string(level) + "'s tiles do not decode to 256 x 256 floats");
        state.levels.push_back(handle);
    }
    state.tileSamples.assign(size_t(kCachedGroundTiles) * kGroundTileSamples, 0.0f);
    report = {};
    return ground;
}

Report GroundFile::readNodeSamples(GroundNode node, float* samples)
{
    State& state = *state_;
    auto fail = [&](std::string why) { return readFailure(path_, std::move(why)); };
    if (node.level < 0 || node.level >= layout_.levelCount || node.x < 0 || node.z < 0 ||
        node.x >= nodesAcross(layout_, node.level) || node.z >= nodesAcross(layout_, node.level))
        return fail("no node " + std::to_string(node.x) + ", " + std::to_string(node.z) + " at level " +
                    std::to_string(node.level));
    TIFF* tiff = state.levels[size_t(node.level)];
    const int tilesAcross = (levelSide(layout_, node.level) + kGroundTileSide - 1) / kGroundTileSide;
    const int i0 = node.x * kGroundNodeQuads;
    const int j0 = node.z * kGroundNodeQuads;
    // Its last row and column may lie in the next tile along.
    for (int ty = j0 / kGroundTileSide; ty <= (j0 + kGroundNodeQuads) / kGroundTileSide; ++ty) {
        for (int tx = i0 / kGroundTileSide; tx <= (i0 + kGroundNodeQuads) / kGroundTileSide; ++tx) {
            const uint32_t tile = uint32_t(ty * tilesAcross + tx);
            int slot = 0;
            for (int s = 0; s < kCachedGroundTiles; ++s) {
                const State::CachedTile& cached = state.cached[size_t(s)];
                if (cached.level == node.level && cached.tile == tile) {
                    slot = s;
                    break;
                }
                if (cached.lastUse < state.cached[size_t(slot)].lastUse)
                    slot = s;
            }
            State::CachedTile& cached = state.cached[size_t(slot)];
            float* tileSamples = state.tileSamples.data() + size_t(slot) * kGroundTileSamples;
            if (cached.level != node.level || cached.tile != tile) {
                cached.level = -1;
                state.file.clearMessage();
                const tmsize_t bytes = kGroundTileSamples * tmsize_t(sizeof(float));
                if (TIFFReadEncodedTile(tiff, tile, tileSamples, bytes) != bytes)
                    return fail(state.file.failure("tile " + std::to_string(tile) + " of level " +
                                                   std::to_string(node.level) + " will not decode"));
                cached.level = node.level;
                cached.tile = tile;
            }
            cached.lastUse = ++state.uses;
            const int x0 = std::max(i0, tx * kGroundTileSide),
                      x1 = std::min(i0 + kGroundNodeQuads, tx * kGroundTileSide + kGroundTileSide - 1);
            const int y0 = std::max(j0, ty * kGroundTileSide),
                      y1 = std::min(j0 + kGroundNodeQuads, ty * kGroundTileSide + kGroundTileSide - 1);
            for (int y = y0; y <= y1; ++y)
                std::memcpy(samples + (y - j0) * kGroundNodeSide + (x0 - i0),
                            tileSamples + (y - ty * kGroundTileSide) * kGroundTileSide + (x0 - tx * kGroundTileSide),
                            size_t(x1 - x0 + 1) * sizeof(float));
        }
    }
    for (int s = 0; s < kGroundNodeSamples; ++s)
        if (!std::isfinite(samples[s]))
            return fail("a height of node " + std::to_string(node.x) + ", " + std::to_string(node.z) + " at level " +
                        std::to_string(node.level) + " is not finite");
    return {};
}
