#include "elevation_file.h"

#include "fine_ground.h"
#include "geodata_file.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>

namespace landscape {

namespace {

namespace fs = std::filesystem;

// The window in samples, from the user's box of samples or coordinates.
CropBox windowOf(GDALDataset& dataset, const ReadWindow& window, double* transform, bool hasTransform)
{
    const int width = dataset.GetRasterXSize();
    const int height = dataset.GetRasterYSize();
    const auto size = [&] { return std::to_string(width) + " x " + std::to_string(height) + " samples"; };
    if (window.samples) {
        const CropBox& box = *window.samples;
        if (box.x < 0 || box.y < 0 || box.x > width - box.width || box.y > height - box.height)
            throw std::runtime_error("the crop box does not lie inside the " + size());
        return box;
    }
    if (!window.bounds)
        return {0, 0, width, height};
    if (!hasTransform)
        throw std::runtime_error("is not georeferenced, so --bounds cannot be used (--crop can)");
    double inverse[6];
    if (!GDALInvGeoTransform(transform, inverse))
        throw std::runtime_error("has a georeferencing that cannot be inverted");
    const CoordinateBox& b = *window.bounds;
    double left = std::numeric_limits<double>::max(), right = -left, top = left, bottom = -left;
    for (const double x : {b.west, b.east})
        for (const double y : {b.south, b.north}) {
            double column = 0.0, row = 0.0;
            GDALApplyGeoTransform(inverse, x, y, &column, &row);
            left = std::min(left, column), right = std::max(right, column);
            top = std::min(top, row), bottom = std::max(bottom, row);
        }
    const CropBox box{static_cast<int>(std::lround(left)), static_cast<int>(std::lround(top)),
                      static_cast<int>(std::lround(right - left)), static_cast<int>(std::lround(bottom - top))};
    if (box.width < 1 || box.height < 1 || box.x < 0 || box.y < 0 || box.x > width - box.width ||
        box.y > height - box.height)
        throw std::runtime_error("the bounds do not lie inside the file, which covers " +
                                 std::to_string(transform[0]) + " to " +
                                 std::to_string(transform[0] + width * transform[1]) + " across and " +
                                 std::to_string(transform[3] + height * transform[5]) + " to " +
                                 std::to_string(transform[3]) + " up and down");
    return box;
}

// The height unit in metres: feet where the file says so, else metres.
double metresPerUnit(GDALRasterBand& band)
{
    const std::string unit = band.GetUnitType();
    if (EQUAL(unit.c_str(), "US survey foot") || EQUAL(unit.c_str(), "us-ft"))
        return 1200.0 / 3937.0;
    if (EQUAL(unit.c_str(), "ft") || EQUAL(unit.c_str(), "foot") || EQUAL(unit.c_str(), "feet"))
        return 0.3048;
    return 1.0;
}

// The window's ground size in metres, where the file says where it lies.
void measureGround(GDALDataset& dataset, const double* t, const CropBox& box, ElevationModel& model)
{
    const OGRSpatialReference* system = dataset.GetSpatialRef();
    if (system == nullptr)
        return;
    const double across = box.width * std::hypot(t[1], t[4]);
    const double along = box.height * std::hypot(t[2], t[5]);
    if (system->IsProjected()) {
        const double metres = system->GetLinearUnits();
        model.metresAcross = across * metres;
        model.metresAlong = along * metres;
    } else if (system->IsGeographic()) {
        // A degree along a parallel shrinks with the cosine of its latitude.
        const double radians = system->GetAngularUnits();
        const double radius = system->GetSemiMajor();
        const double middle = t[3] + (box.x + 0.5 * box.width) * t[4] + (box.y + 0.5 * box.height) * t[5];
        model.metresAcross = across * radians * radius * std::cos(middle * radians);
        model.metresAlong = along * radians * radius;
    }
}

} // namespace

ElevationModel readElevationModel(const fs::path& file, const ReadWindow& window, int mostSide)
{
    const std::unique_ptr<GDALDataset> dataset = openGeodata(file, GeodataKind::Elevation);
    GDALRasterBand& band = *dataset->GetRasterBand(1);
    double transform[6];
    const bool hasTransform = dataset->GetGeoTransform(transform) == CE_None;
    const CropBox box = windowOf(*dataset, window, transform, hasTransform);

    ElevationModel model;
    model.windowWidth = box.width;
    model.windowHeight = box.height;
    model.metresPerUnit = metresPerUnit(band);
    if (hasTransform) {
        measureGround(*dataset, transform, box, model);
        const double* t = transform;
        model.windowTransform = {t[0] + box.x * t[1] + box.y * t[2], t[1], t[2],
                                 t[3] + box.x * t[4] + box.y * t[5], t[4], t[5]};
        if (const OGRSpatialReference* system = dataset->GetSpatialRef()) {
            char* wkt = nullptr;
            const char* const options[] = {"FORMAT=WKT2_2019", "MULTILINE=NO", nullptr};
            if (system->exportToWkt(&wkt, options) == OGRERR_NONE && wkt != nullptr)
                model.systemWkt = wkt;
            CPLFree(wkt);
        }
    }

    // Straight from the file to the size the ground needs, averaging the
    // samples each one covers (and skipping those without data).
    ElevationGrid& grid = model.grid;
    const int most = mostSide == kGroundSideOfWindow ? groundSideFor(box.width, box.height) : mostSide;
    grid.width = std::min(box.width, most);
    grid.height = std::min(box.height, most);
    grid.samples.resize(static_cast<size_t>(grid.width) * grid.height);
    // The read comes from the overview that still has the detail the
    // ground needs; a window that would take longer is refused unread. A
    // fine ground reads a window of at most its own side whole.
    const double ratio = std::min(static_cast<double>(box.width) / grid.width,
                                  static_cast<double>(box.height) / grid.height);
    if (most == kMapSize || box.width > most || box.height > most)
        checkReadLevel(band, readLevel(band, ratio), box.width, box.height, "samples",
                       "the ground's " + std::to_string(grid.width) + " x " + std::to_string(grid.height));
    GDALRasterIOExtraArg resampling;
    INIT_RASTERIO_EXTRA_ARG(resampling);
    resampling.eResampleAlg = GRIORA_Average;
    startRead();
    if (band.RasterIO(GF_Read, box.x, box.y, box.width, box.height, grid.samples.data(), grid.width, grid.height,
                      GDT_Float32, 0, 0, &resampling) != CE_None ||
        readFailed())
        throw std::runtime_error("is damaged or cut short: its samples cannot be read");

    // Where no sample had data the result is the no-data value; a mask that
    // is not a no-data value is read at the same size.
    int hasNoData = 0;
    const auto noData = static_cast<float>(band.GetNoDataValue(&hasNoData));
    std::vector<uint8_t> mask;
    const int maskFlags = band.GetMaskFlags();
    if (!hasNoData && !(maskFlags & GMF_ALL_VALID)) {
        mask.resize(grid.samples.size());
        if (band.GetMaskBand()->RasterIO(GF_Read, box.x, box.y, box.width, box.height, mask.data(), grid.width,
                                         grid.height, GDT_Byte, 0, 0, &resampling) != CE_None ||
            readFailed())
            throw std::runtime_error("is damaged or cut short: its mask cannot be read");
    }
    int hasScale = 0, hasOffset = 0;
    const double scale = band.GetScale(&hasScale);
    const double offset = band.GetOffset(&hasOffset);
    const float missing = std::numeric_limits<float>::quiet_NaN();
    for (size_t i = 0; i < grid.samples.size(); ++i) {
        float& sample = grid.samples[i];
        if ((hasNoData && sample == noData) || std::isnan(sample) || (!mask.empty() && mask[i] == 0))
            sample = missing;
        else if (hasScale || hasOffset)
            sample = static_cast<float>(sample * scale + offset);
    }
    return model;
}

} // namespace landscape
