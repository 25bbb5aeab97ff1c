#include "imagery.h"

#include "fine_picture.h"
#include "geodata_file.h"
#include "heightfield.h"

#include <gdal_alg.h>
#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace landscape {

namespace {

// A GDAL utility's argument list, ended by a null, over the words it names.
std::vector<char*> argvOf(std::vector<std::string>& words)
{
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}

// Values one strip of the terrain picture holds while it is warped: about
// 16 MB of floats, so memory stays flat at every picture size.
constexpr size_t kStripValues = size_t(1) << 22;

// Standard deviations either side of the mean that a picture of more than 8
// bits is stretched over.
constexpr double kStretchDeviations = 2.5;

struct DatasetCloser {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using OwnedDataset = std::unique_ptr<GDALDataset, DatasetCloser>;

// The bands that make the picture: 1 (grey) or 3 (red, green, blue), and an
// alpha band where it has one. Anything else (a colour table, a fourth band
// that is not alpha, more bands) is first put into that shape by a virtual
// dataset, since the warp takes every band it is given.
struct PictureBands {
    GDALDataset* dataset = nullptr; // the file's, or the virtual one below
    OwnedDataset reshaped;
    int colours = 0;
    bool alpha = false;
};

bool isAlpha(GDALDataset& dataset, int band)
{
    return dataset.GetRasterBand(band)->GetColorInterpretation() == GCI_AlphaBand;
}

PictureBands pictureBands(GDALDataset& dataset)
{
    const int count = dataset.GetRasterCount();
    PictureBands bands;
    bands.dataset = &dataset;
    std::vector<std::string> arguments;
    if (dataset.GetRasterBand(1)->GetColorTable() != nullptr) {
        arguments = {"-expand", "rgba"};
        bands.colours = 3;
        bands.alpha = true;
    } else if (count >= 3) {
        bands.colours = 3;
        bands.alpha = count >= 4 && isAlpha(dataset, 4);
        if (count > (bands.alpha ? 4 : 3))
            arguments = {"-b", "1", "-b", "2", "-b", "3"};
        if (bands.alpha && count > 4)
            arguments.insert(arguments.end(), {"-b", "4"});
    } else {
        bands.colours = 1;
        bands.alpha = count == 2 && isAlpha(dataset, 2);
        if (count == 2 && !bands.alpha)
            arguments = {"-b", "1"};
    }
    if (arguments.empty())
        return bands;
    arguments.insert(arguments.begin(), {"-of", "VRT"});
    std::vector<char*> argv = argvOf(arguments);
    GDALTranslateOptions* options = GDALTranslateOptionsNew(argv.data(), nullptr);
    bands.reshaped.reset(
        GDALDataset::FromHandle(GDALTranslate("", GDALDataset::ToHandle(&dataset), options, nullptr)));
    GDALTranslateOptionsFree(options);
    if (!bands.reshaped)
        throw std::runtime_error("has bands that cannot be made into a colour picture");
    bands.dataset = bands.reshaped.get();
    return bands;
}

// Each colour band's values as 0..1: as they are for 8 bits, else stretched
// by the band's statistics (approximate, from an overview or a sample).
struct BandScale {
    double low = 0.0, high = 255.0;
};

std::vector<BandScale> bandScales(const PictureBands& bands)
{
    std::vector<BandScale> scales(static_cast<size_t>(bands.colours));
    for (int b = 0; b < bands.colours; ++b) {
        GDALRasterBand& band = *bands.dataset->GetRasterBand(b + 1);
        if (band.GetRasterDataType() == GDT_Byte)
            continue;
        double low = 0.0, high = 0.0, mean = 0.0, deviation = 0.0;
        if (band.GetStatistics(TRUE, TRUE, &low, &high, &mean, &deviation) != CE_None)
            throw std::runtime_error("has no statistics to scale its values by (is it empty?)");
        scales[b] = {std::max(low, mean - kStretchDeviations * deviation),
                     std::min(high, mean + kStretchDeviations * deviation)};
        if (!(scales[b].high > scales[b].low))
            scales[b] = {low, low + 1.0};
    }
    return scales;
}

// The picture's pixels per terrain picture pixel, across, where they meet:
// above 1 they are averaged, else blended.
double picturePixelsPerTexel(GDALDataset& source, const std::string& sourceSystem, const GeoReference& ground,
                             const std::array<double, 6>& target)
{
    const std::string destination = "DST_SRS=" + ground.systemWkt;
    const std::string sourceOption = "SRC_SRS=" + sourceSystem;
    const char* options[] = {destination.c_str(), sourceSystem.empty() ? nullptr : sourceOption.c_str(), nullptr};
    void* transformer =
        GDALCreateGenImgProjTransformer2(GDALDataset::ToHandle(&source), nullptr, const_cast<char**>(options));
    if (transformer == nullptr)
        throw std::runtime_error("cannot be brought into the elevation model's coordinate system");
    double suggested[6];
    int pixels = 0, lines = 0;
    const CPLErr error = GDALSuggestedWarpOutput(GDALDataset::ToHandle(&source), GDALGenImgProjTransform, transformer,
                                                 suggested, &pixels, &lines);
    GDALDestroyGenImgProjTransformer(transformer);
    if (error != CE_None)
        throw std::runtime_error("cannot be brought into the elevation model's coordinate system");
    return std::hypot(target[1], target[4]) / std::fabs(suggested[1]);
}

// The pixels of one strip (rows first to first + rows) as floats, band after
// band, warped or stretched into the terrain picture's frame.
class StripReader {
public:
    virtual ~StripReader() = default;
    virtual void read(int first, int rows, std::vector<float>& values) = 0;
};

// Rows of a strip of the given side and bands that fit kStripValues.
int stripRows(int side, int bands)
{
    return std::clamp(static_cast<int>(kStripValues / (static_cast<size_t>(side) * bands)), 1, side);
}

class WarpedStrips : public StripReader {
public:
    WarpedStrips(const PictureBands& bands, const GeoReference& ground, const std::array<double, 6>& transform,
                 const std::string& sourceSystem, int side, bool shrinking, const ReadLevel& level)
        : source_(bands.dataset), side_(side), count_(bands.colours + 1), transform_(transform)
    {
        const GDALDataType type = source_->GetRasterBand(1)->GetRasterDataType() == GDT_Byte ? GDT_Byte : GDT_Float32;
        const int rows = stripRows(side, count_);
        strip_.reset(GetGDALDriverManager()->GetDriverByName("MEM")->Create("", side, rows, count_, type, nullptr));
        if (!strip_)
            throw std::runtime_error("cannot be warped: no memory for a strip of the terrain picture");
        strip_->SetProjection(ground.systemWkt.c_str());
        // The strip is cleared before each warp, so that what the picture
        // does not reach stays transparent; the source's own alpha band, if
        // any, is found by the warp itself.
        std::vector<std::string> arguments = {
            "-r", shrinking ? "average" : "bilinear", "-dstalpha", "-wm", "64", "-wo", "INIT_DEST=0", "-q",
            "-ovr", level.overview < 0 ? "NONE" : std::to_string(level.overview)};
        if (!sourceSystem.empty())
            arguments.insert(arguments.end(), {"-s_srs", sourceSystem});
        std::vector<char*> argv = argvOf(arguments);
        options_ = GDALWarpAppOptionsNew(argv.data(), nullptr);
    }
    ~WarpedStrips() override { GDALWarpAppOptionsFree(options_); }

    void read(int first, int rows, std::vector<float>& values) override
    {
        // The strip's own geotransform: the picture's, moved down to its first row.
        double t[6] = {transform_[0] + first * transform_[2], transform_[1], transform_[2],
                       transform_[3] + first * transform_[5], transform_[4], transform_[5]};
        strip_->SetGeoTransform(t);
        GDALDatasetH source = GDALDataset::ToHandle(source_);
        int failed = 0;
        startRead();
        const GDALDatasetH warped = GDALWarp(nullptr, GDALDataset::ToHandle(strip_.get()), 1, &source, options_, &failed);
        if (warped == nullptr || failed || readFailed())
            throw std::runtime_error("cannot be warped onto the ground: it is damaged or cut short");
        values.resize(static_cast<size_t>(side_) * rows * count_);
        if (strip_->RasterIO(GF_Read, 0, 0, side_, rows, values.data(), side_, rows, GDT_Float32, count_, nullptr, 0,
                             0, 0, nullptr) != CE_None)
            throw std::runtime_error("cannot be warped onto the ground");
    }

private:
    GDALDataset* source_;
    int side_, count_;
    std::array<double, 6> transform_;
    OwnedDataset strip_;
    GDALWarpAppOptions* options_ = nullptr;
};

// The whole picture stretched over the whole terrain picture; the read at
// the smaller size comes from the picture's overviews where it has them.
class StretchedStrips : public StripReader {
public:
    StretchedStrips(const PictureBands& bands, int side) : source_(bands.dataset), side_(side)
    {
        count_ = bands.colours + (bands.alpha ? 1 : 0);
        INIT_RASTERIO_EXTRA_ARG(resampling_);
        resampling_.eResampleAlg = source_->GetRasterXSize() > side ? GRIORA_Average : GRIORA_Bilinear;
        resampling_.bFloatingPointWindowValidity = TRUE;
    }

    void read(int first, int rows, std::vector<float>& values) override
    {
        const double scale = static_cast<double>(source_->GetRasterYSize()) / side_;
        resampling_.dfXOff = 0.0;
        resampling_.dfXSize = source_->GetRasterXSize();
        resampling_.dfYOff = first * scale;
        resampling_.dfYSize = rows * scale;
        const int top = static_cast<int>(std::floor(resampling_.dfYOff));
        const int bottom = std::min(source_->GetRasterYSize(),
                                    static_cast<int>(std::ceil(resampling_.dfYOff + resampling_.dfYSize)));
        values.assign(static_cast<size_t>(side_) * rows * count_, 0.0f);
        startRead();
        if (source_->RasterIO(GF_Read, 0, top, source_->GetRasterXSize(), std::max(1, bottom - top), values.data(),
                              side_, rows, GDT_Float32, count_, nullptr, 0, 0, 0, &resampling_) != CE_None ||
            readFailed())
            throw std::runtime_error("is damaged or cut short: its pixels cannot be read");
    }

private:
    GDALDataset* source_;
    int side_, count_ = 0;
    GDALRasterIOExtraArg resampling_;
};

} // namespace

struct ImageryDrape::Work {
    PictureBands bands;
    std::unique_ptr<StripReader> strips;
    std::vector<BandScale> scales;
    int count = 0; // bands a strip holds: the colours, and alpha where there is one
    double covered = 0.0, counted = 0.0;
    std::vector<float> values;
};

ImageryDrape::ImageryDrape(GDALDataset& dataset, const GeoReference* ground, Vec3 gain, int side)
    : work_(std::make_unique<Work>()), gain_(gain), side_(side)
{
    cover_.width = dataset.GetRasterXSize();
    cover_.height = dataset.GetRasterYSize();
    work_->bands = pictureBands(dataset);
    const PictureBands& bands = work_->bands;

    double transform[6];
    const bool placed = dataset.GetGeoTransform(transform) == CE_None || dataset.GetGCPCount() > 0;
    const bool named = dataset.GetSpatialRef() != nullptr || dataset.GetGCPSpatialRef() != nullptr;
    std::string sourceSystem;
    if (!ground)
        cover_.fit = ImageryFit::StretchedOnUnplaced;
    else if (!placed)
        cover_.fit = ImageryFit::Stretched;
    else if (!named) {
        cover_.fit = ImageryFit::WarpedInModelSystem;
        sourceSystem = ground->systemWkt;
    }

    // The work is bounded by the terrain picture's size: a large picture is
    // read from the overview that still has the detail it needs, and one
    // without such an overview is refused before any of its pixels is read.
    // A picture may be read at twice the terrain picture's side at most.
    const int mostSide = std::max(kMostSideRead, 2 * side);
    GDALRasterBand& firstBand = *bands.dataset->GetRasterBand(1);
    const std::string output = "a terrain picture of " + std::to_string(side) + " x " + std::to_string(side);
    const bool warped = cover_.fit == ImageryFit::Warped || cover_.fit == ImageryFit::WarpedInModelSystem;
    if (warped) {
        const std::array<double, 6> target = pictureTransform(*ground, side);
        const double ratio = picturePixelsPerTexel(*bands.dataset, sourceSystem, *ground, target);
        const ReadLevel level = readLevel(firstBand, ratio);
        checkReadLevel(firstBand, level, cover_.width, cover_.height, "pixels", output, mostSide);
        work_->strips =
            std::make_unique<WarpedStrips>(bands, *ground, target, sourceSystem, side, ratio > 1.0, level);
    } else {
        const double ratio = std::min(static_cast<double>(cover_.width), static_cast<double>(cover_.height)) / side;
        checkReadLevel(firstBand, readLevel(firstBand, ratio), cover_.width, cover_.height, "pixels", output,
                       mostSide);
        work_->strips = std::make_unique<StretchedStrips>(bands, side);
    }
    work_->scales = bandScales(bands);
    work_->count = bands.colours + (warped || bands.alpha ? 1 : 0);
}

ImageryDrape::~ImageryDrape() = default;
ImageryDrape::ImageryDrape(ImageryDrape&&) noexcept = default;

void ImageryDrape::lay(int firstRow, Picture& band)
{
    Work& work = *work_;
    const PictureBands& bands = work.bands;
    const int side = side_;
    // The ground the heights cover ends half a cell past the centre of the
    // last cell; the terrain picture reaches half a cell further, which the
    // share leaves out.
    const double groundEnd = (kMapSize - 0.5) * side / kMapSize;
    const int count = work.count;
    const int rowsPerStrip = stripRows(side, count);
    std::vector<float>& values = work.values;
    for (int at = 0; at < band.height; at += rowsPerStrip) {
        const int first = firstRow + at;
        const int rows = std::min(rowsPerStrip, band.height - at);
        work.strips->read(first, rows, values);
        const size_t bandPlane = static_cast<size_t>(side) * rows;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < side; ++x) {
                const size_t i = static_cast<size_t>(y) * side + x;
                // Alpha is 0..255 from the warp and from 8-bit pictures.
                const float alpha =
                    count > bands.colours ? clamp01(values[bands.colours * bandPlane + i] / 255.0f) : 1.0f;
                if (x + 0.5 < groundEnd && first + y + 0.5 < groundEnd) {
                    work.covered += alpha;
                    work.counted += 1.0;
                }
                if (alpha <= 0.0f)
                    continue;
                float colour[3];
                for (int c = 0; c < 3; ++c) {
                    const int b = bands.colours == 3 ? c : 0;
                    const BandScale& scale = work.scales[b];
                    colour[c] =
                        static_cast<float>((values[b * bandPlane + i] - scale.low) / (scale.high - scale.low));
                }
                uint8_t* out = band.at(x, at + y);
                const Vec3 shown = Vec3{colour[0], colour[1], colour[2]} * gain_;
                const float was[3] = {out[0] / 255.0f, out[1] / 255.0f, out[2] / 255.0f};
                out[0] = toByte(lerp(was[0], shown.x, alpha));
                out[1] = toByte(lerp(was[1], shown.y, alpha));
                out[2] = toByte(lerp(was[2], shown.z, alpha));
            }
    }
    cover_.coveredShare = work.counted > 0.0 ? work.covered / work.counted : 0.0;
}

ImageryCover drapeImagery(GDALDataset& dataset, const GeoReference* ground, Vec3 gain, Picture& picture)
{
    ImageryDrape drape(dataset, ground, gain, picture.width);
    drape.lay(0, picture);
    return drape.cover();
}

} // namespace landscape
