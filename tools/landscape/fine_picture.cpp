#include "fine_picture.h"

#include "geodata_file.h"
#include "heightfield.h"

#include <cpl_conv.h>
#include <gdal_priv.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace landscape {

namespace fs = std::filesystem;

namespace {

// The passing names, beside the picture's own: the copy the COG driver
// writes, the overviews it makes on the way, and the bands painted.
const std::string kPicture = kFinePictureFileName;
const std::string kPassingPicture = kPicture + ".part";
const std::string kPassingOverviews = kPassingPicture + ".ovr.tmp"; // named so by the COG driver
const std::string kBands = kPicture + ".bands.tif";

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using OwnedDataset = std::unique_ptr<GDALDataset, DatasetCloser>;

std::string libraryReason() { return CPLGetLastErrorMsg()[0] != '\0' ? CPLGetLastErrorMsg() : "unknown error"; }

} // namespace

std::array<double, 6> pictureTransform(const GeoReference& ground, int side)
{
    const double scale = static_cast<double>(kMapSize) / side;
    const std::array<double, 6>& t = ground.geotransform;
    return {t[0], t[1] * scale, t[2] * scale, t[3], t[4] * scale, t[5] * scale};
}

MadeFile::~MadeFile()
{
    std::error_code error;
    fs::remove(passing_, error); // gone already once it was put in place
}

uintmax_t MadeFile::size() const
{
    std::error_code error;
    const uintmax_t bytes = fs::file_size(passing_, error);
    return error ? 0 : bytes;
}

void MadeFile::placeAs(const fs::path& path) const
{
    std::error_code error;
    fs::rename(passing_, path, error);
    if (error)
        throw std::runtime_error("cannot write " + path.string() + ": " + error.message());
}

PictureShrink::PictureShrink(int from, int to)
    : from_(from), to_(to), column_(static_cast<size_t>(from)), share_(static_cast<size_t>(from)),
      filling_(static_cast<size_t>(to) * 3), next_(static_cast<size_t>(to) * 3), picture_(to, to, 3)
{
    // In units of 1 / from of a target pixel, source pixel x spans
    // [x * to, (x + 1) * to) and target pixel c spans [c * from, (c + 1) * from).
    for (int x = 0; x < from; ++x) {
        const int64_t start = int64_t(x) * to;
        column_[x] = static_cast<int>(start / from);
        share_[x] = static_cast<int>(std::min(int64_t(column_[x] + 1) * from, start + to) - start);
    }
}

void PictureShrink::addRow(const uint8_t* rgb)
{
    const int64_t start = int64_t(row_) * to_;
    const int64_t split = int64_t(target_ + 1) * from_; // where the target row ends
    const int upper = static_cast<int>(std::min(split, start + to_) - start);
    const int lower = to_ - upper; // the share that falls into the next target row
    for (int x = 0; x < from_; ++x) {
        const int c = column_[x];
        const int left = share_[x], right = to_ - left;
        for (int k = 0; k < 3; ++k) {
            const double value = rgb[x * 3 + k];
            filling_[c * 3 + k] += value * left * upper;
            next_[c * 3 + k] += value * left * lower;
            if (right > 0) {
                filling_[(c + 1) * 3 + k] += value * right * upper;
                next_[(c + 1) * 3 + k] += value * right * lower;
            }
        }
    }
    ++row_;
    if (int64_t(row_) * to_ >= split) {
        const double whole = static_cast<double>(from_) * from_;
        uint8_t* out = picture_.at(0, target_);
        for (size_t i = 0; i < filling_.size(); ++i)
            out[i] = static_cast<uint8_t>(std::clamp(std::lround(filling_[i] / whole), 0L, 255L));
        filling_.swap(next_);
        std::fill(next_.begin(), next_.end(), 0.0);
        ++target_;
    }
}

FinePicture makeFinePicture(const fs::path& folder, int side, const GeoReference* ground, const PaintRows& paint,
                            int tile)
{
    setUpGeodataLibrary();
    // The COG driver puts its overviews in the system's temporary folder
    // when told of one; here they stay beside the picture, in the folder
    // the sandbox lets the generator write.
    unsetenv("CPL_TMPDIR");
    CPLSetConfigOption("CPL_TMPDIR", nullptr);

    auto picture = std::make_shared<const MadeFile>(folder / kPassingPicture);
    const MadeFile bandsFile(folder / kBands), overviewsFile(folder / kPassingOverviews);
    const std::string what = "the terrain picture of " + std::to_string(side) + " x " + std::to_string(side);
    PictureShrink shrink(side, kListPictureSize);
    {
        // Compressed lightly, so the bands take about a third of their 3 bytes a pixel on disk.
        const std::string block = std::to_string(tile);
        const std::string across = "BLOCKXSIZE=" + block, down = "BLOCKYSIZE=" + block;
        const char* options[] = {"TILED=YES",      across.c_str(),     down.c_str(),   "COMPRESS=ZSTD",
                                 "ZSTD_LEVEL=1",   "PHOTOMETRIC=RGB", "BIGTIFF=YES",  "INTERLEAVE=PIXEL",
                                 nullptr};
        CPLErrorReset();
        OwnedDataset bands(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
            (folder / kBands).c_str(), side, side, 3, GDT_Byte, const_cast<char**>(options)));
        if (!bands)
            throw std::runtime_error("cannot make " + what + " in " + folder.string() + ": " + libraryReason());
        if (ground) {
            const std::array<double, 6> transform = pictureTransform(*ground, side);
            bands->SetProjection(ground->systemWkt.c_str());
            bands->SetGeoTransform(const_cast<double*>(transform.data()));
        }
        Picture band;
        for (int first = 0; first < side; first += tile) {
            const int rows = std::min(tile, side - first);
            if (band.height != rows)
                band = Picture(side, rows, 3);
            paint(first, band);
            for (int y = 0; y < rows; ++y)
                shrink.addRow(band.at(0, y));
            // Written a row of tiles at a time, and let go of at once.
            CPLErrorReset();
            if (bands->RasterIO(GF_Write, 0, first, side, rows, band.pixels.data(), side, rows, GDT_Byte, 3, nullptr,
                                3, static_cast<GSpacing>(side) * 3, 1, nullptr) != CE_None)
                throw std::runtime_error("cannot write " + what + ": " + libraryReason());
            bands->FlushCache();
            if (readFailed())
                throw std::runtime_error("cannot write " + what + ": " + libraryReason());
        }
        // The overviews averaged, each half the one before, rounded up, down
        // to a tile: made here, where GDAL rounds up, and copied by the COG
        // driver, which would round down.
        std::vector<int> factors;
        for (int factor = 1; (side + factor - 1) / factor > tile;)
            factors.push_back(factor *= 2);
        CPLSetThreadLocalConfigOption("COMPRESS_OVERVIEW", "ZSTD");
        CPLErrorReset();
        const CPLErr built = bands->BuildOverviews("AVERAGE", static_cast<int>(factors.size()), factors.data(), 0,
                                                   nullptr, nullptr, nullptr, nullptr);
        CPLSetThreadLocalConfigOption("COMPRESS_OVERVIEW", nullptr);
        if (built != CE_None || readFailed())
            throw std::runtime_error("cannot write " + what + ": " + libraryReason());
        // JPEG tiles in YCbCr, which the COG driver chooses for RGB.
        const std::string blockSize = "BLOCKSIZE=" + block;
        const std::string quality = "QUALITY=" + std::to_string(kFinePictureQuality);
        const std::string overviewQuality = "OVERVIEW_QUALITY=" + std::to_string(kFinePictureQuality);
        const char* cogOptions[] = {"COMPRESS=JPEG",     quality.c_str(),   "OVERVIEW_COMPRESS=JPEG",
                                    overviewQuality.c_str(), "OVERVIEW_RESAMPLING=AVERAGE", blockSize.c_str(),
                                    "BIGTIFF=IF_SAFER",  nullptr};
        CPLErrorReset();
        OwnedDataset copy(GetGDALDriverManager()->GetDriverByName("COG")->CreateCopy(
            (folder / kPassingPicture).c_str(), bands.get(), FALSE, const_cast<char**>(cogOptions), nullptr, nullptr));
        if (!copy || readFailed())
            throw std::runtime_error("cannot write " + what + ": " + libraryReason());
        copy.reset();
        if (readFailed())
            throw std::runtime_error("cannot write " + what + ": " + libraryReason());
    }
    return {std::move(picture), std::move(shrink.picture())};
}

void removePassingFiles(const fs::path& folder)
{
    for (const std::string* name : {&kPassingPicture, &kPassingOverviews, &kBands}) {
        std::error_code error;
        fs::remove(folder / *name, error);
    }
}

} // namespace landscape
