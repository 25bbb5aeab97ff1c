// The readout of where you stand against GDAL's own answer: for a model in
// metres of a projected system and one in degrees, the place that the viewer
// reads from the generator's landscape.geo.json for a world point is, by
// gdallocationinfo, a sample of the model within one grid step of that point.
#include "geodata_files.h"

#include "place_import.h"

#include "assets/geo_reference.h"
#include "view/geo_place.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace landscape_test {
namespace {

// gdallocationinfo's samples (column, row) of the model at longitudes and
// latitudes, all asked in one run; an empty list when it finds any of them
// off the model.
std::vector<std::array<int, 2>> samplesAt(const fs::path& model, const std::vector<LonLat>& places)
{
    std::string command = "printf -- '";
    for (const LonLat& at : places) {
        char pair[64];
        std::snprintf(pair, sizeof pair, "%.12f %.12f\\n", at.longitude, at.latitude);
        command += pair;
    }
    command += "' | " + std::string(GDALLOCATIONINFO) + " -wgs84 '" + model.string() + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::vector<std::array<int, 2>> samples;
    char line[256];
    std::array<int, 2> sample{};
    while (pipe && std::fgets(line, sizeof line, pipe))
        if (std::sscanf(line, " Location: (%dP,%dL)", &sample[0], &sample[1]) == 2)
            samples.push_back(sample);
    const bool ran = pipe && pclose(pipe) == 0;
    return ran && samples.size() == places.size() ? samples : std::vector<std::array<int, 2>>{};
}

// How far world coordinate w lies outside the ground cell of model sample s.
// The models have 1024 samples a side, one a cell: world point i is the
// centre of cell i, which covers sample i.
double outside(double w, int s) { return std::max({0.0, s - 0.5 - w, w - (s + 0.5)}); }

TEST(ReadoutLocation, GdallocationinfoFindsTheReadoutsPlaceWithinOneGridStep)
{
    const fs::path folder = scratch("readout");
    const struct {
        const char* what;
        bool degrees;
        std::array<double, 6> transform;
    } models[] = {
        // UTM zone 32, 2.5 to 3.5 degrees east of its central meridian: the
        // grid is turned about 2 degrees against the meridians.
        {"projected", false, {680000.0, 100.0, 0, 5250000.0, 0, -100.0}},
        {"in degrees, west of Greenwich", true, {-122.5, 0.001, 0, 37.9, 0, -0.001}},
    };
    for (const auto& m : models) {
        SCOPED_TRACE(m.what);
        const fs::path file = folder / (std::string(m.degrees ? "degrees" : "utm") + ".tif");
        writeRaster(file, {1024, 1024, GDT_Float32, m.transform, m.degrees},
                    [](int x, int y) { return x + 2.0 * y; });
        landscape::ImportOptions options;
        options.heightMap = file;
        const std::string text = landscape::importPlace(options, landscape::kDefaultSeed).terrain.geoReference;
        const GeoReferenceRead read = parseGeoReference(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        ASSERT_EQ(read.status, GeoReferenceStatus::Read) << read.reason;

        const std::array<double, 2> points[] = {{100.5, 200.25}, {512, 700}, {990, 31.75}};
        std::vector<LonLat> places;
        for (const auto& [x, z] : points)
            places.push_back(lonLatAt(read.reference, x, z));
        const std::vector<std::array<int, 2>> samples = samplesAt(file, places);
        ASSERT_EQ(samples.size(), 3u) << "gdallocationinfo finds the places off the model";
        for (size_t i = 0; i < 3; ++i) {
            const auto [x, z] = points[i];
            const auto [column, row] = samples[i];
            EXPECT_LE(outside(x, column), 1.0) << "x " << x << ": sample column " << column;
            EXPECT_LE(outside(z, row), 1.0) << "z " << z << ": sample row " << row;
        }
    }
}

} // namespace
} // namespace landscape_test
