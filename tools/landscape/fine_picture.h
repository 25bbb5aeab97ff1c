// The terrain picture past 8192 pixels a side, "landscape.picture.tif": too
// large to hold whole (3 GB at 32768), it is painted a band of rows at a time
// into a tiled GeoTIFF in the landscape's folder, which GDAL's COG driver then
// copies into a cloud-optimised GeoTIFF of JPEG tiles (YCbCr, 256 a side)
// with averaged overviews. Its top row lies along z = 0 and its left column
// along x = 0, as "Terrain2.bmp" shows upright; "Terrain2.bmp" beside it is
// the same picture averaged down to 2048. Every file it makes lies in the
// folder, under a passing name until it is put in place.
#pragma once

#include "geo_reference.h"
#include "picture.h"

#include "terrain/picture_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

namespace landscape {

// Up to this side the terrain picture is held whole and is Terrain2.bmp;
// above it, it is landscape.picture.tif.
constexpr int kMostWholePictureSize = 8192;
constexpr int kListPictureSize = 2048; // Terrain2.bmp beside landscape.picture.tif
constexpr int kFinePictureTile = 256;  // tiles, and the rows painted at a time
constexpr int kFinePictureQuality = 85;

// The terrain picture's geotransform: its pixel corner (p, q) lies at world
// (p, q) * 1024 / side, so its texels line up with what the viewer draws.
std::array<double, 6> pictureTransform(const GeoReference& ground, int side);

// A file made in the folder under a passing name: removed when the last
// owner lets go of it, unless it was put in place.
class MadeFile {
public:
    explicit MadeFile(std::filesystem::path passing) : passing_(std::move(passing)) {}
    ~MadeFile();
    MadeFile(const MadeFile&) = delete;
    MadeFile& operator=(const MadeFile&) = delete;

    uintmax_t size() const;
    // Renames it to path; throws std::runtime_error when that fails.
    void placeAs(const std::filesystem::path& path) const;

private:
    std::filesystem::path passing_;
};

// Fills band (the picture's side wide, RGB) with the picture's rows from
// first down.
using PaintRows = std::function<void(int first, Picture& band)>;

struct FinePicture {
    std::shared_ptr<const MadeFile> file; // the cloud-optimised GeoTIFF, to be put in place
    Picture listPicture;                  // kListPictureSize a side, for Terrain2.bmp
};

// Makes the picture of side x side (above kListPictureSize) band by band in
// folder, georeferenced like ground where it is not null, with tiles of tile
// pixels. Throws std::runtime_error (or what paint throws); a failure leaves
// none of its files behind.
FinePicture makeFinePicture(const std::filesystem::path& folder, int side, const GeoReference* ground,
                            const PaintRows& paint, int tile = kFinePictureTile);

// Removes the passing files that a run cut short (killed, say) left in the
// folder.
void removePassingFiles(const std::filesystem::path& folder);

// The picture of side `from` averaged down to `to` a side (to below from),
// one row of it at a time, top row first: each pixel the mean of the area
// it covers, parts of pixels weighed by their share.
class PictureShrink {
public:
    PictureShrink(int from, int to);
    void addRow(const uint8_t* rgb); // the next row, from x RGB
    Picture& picture() { return picture_; }

private:
    int from_, to_;
    int row_ = 0;    // rows added
    int target_ = 0; // the target row being filled
    std::vector<int> column_, share_; // per source column: its first target column and its weight there
    std::vector<double> filling_, next_;
    Picture picture_;
};

} // namespace landscape
