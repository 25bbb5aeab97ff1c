// The import of a user's place around its elevation model: a picture in
// another coordinate system warped onto the ground, a GPS track drawn on it,
// the geographic reference's numbers, colours from metres, and files that
// must be refused. Every input is made here through GDAL's own API.
#include "geodata_files.h"

#include "geodata_file.h"
#include "imagery.h"
#include "landscape.h"
#include "place_import.h"
#include "terrain_picture.h"
#include "track.h"

#include "assets/mesh_model.h"

#include <gtest/gtest.h>

#include <gdal_utils.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <memory>

namespace landscape_test {
namespace {

// A ground of 128 x 128 samples, about 6 km a side near 10 E 47.3 N: in
// degrees, or in UTM zone 32 metres. Its heights are a plane in the model's
// own coordinates, from about 500 to 1000 m.
struct Model {
    fs::path file;
    bool degrees;
    std::array<double, 6> transform;
    double height(double x, double y) const
    {
        return degrees ? 500.0 + 4000.0 * (x - 10.0) + 3000.0 * (47.3 - y)
                       : 500.0 + 0.05 * (x - 573000.0) + 0.03 * (5238000.0 - y);
    }
};

Model makeModel(const fs::path& folder, bool degrees)
{
    Model model{folder / (degrees ? "dem-degrees.tif" : "dem-utm.tif"), degrees,
                degrees ? std::array<double, 6>{10.0, 0.000625, 0, 47.3, 0, -0.00046875}
                        : std::array<double, 6>{573000.0, 50.0, 0, 5238000.0, 0, -50.0}};
    writeRaster(model.file, {128, 128, GDT_Float32, model.transform, degrees}, [&](int x, int y) {
        const std::array<double, 6>& t = model.transform;
        return model.height(t[0] + (x + 0.5) * t[1], t[3] + (y + 0.5) * t[5]);
    });
    return model;
}

OGRSpatialReference systemOf(bool degrees)
{
    OGRSpatialReference system;
    system.SetWellKnownGeogCS("WGS84");
    if (!degrees)
        system.SetUTM(32);
    system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return system;
}

// A point from one system into the other.
std::array<double, 2> transformed(double x, double y, bool fromDegrees, bool toDegrees)
{
    OGRSpatialReference from = systemOf(fromDegrees), to = systemOf(toDegrees);
    const std::unique_ptr<OGRCoordinateTransformation> transform(OGRCreateCoordinateTransformation(&from, &to));
    transform->Transform(1, &x, &y);
    return {x, y};
}

// Where a point of the model's system lies in a terrain picture of the given
// side, in pixels from its top-left corner, by the geographic reference.
std::array<double, 2> pictureSpot(const landscape::GeoReference& reference, double x, double y, int side)
{
    double inverse[6], worldX = 0.0, worldZ = 0.0;
    EXPECT_TRUE(GDALInvGeoTransform(const_cast<double*>(reference.geotransform.data()), inverse));
    GDALApplyGeoTransform(inverse, x, y, &worldX, &worldZ);
    return {worldX * side / 1024.0, worldZ * side / 1024.0};
}

landscape::ImportedPlace importWith(const Model& model, const std::string& image, const std::string& track = "")
{
    landscape::ImportOptions options;
    options.heightMap = model.file;
    options.pictureSize = 1024;
    options.image = image;
    options.track = track;
    return landscape::importPlace(options, landscape::kDefaultSeed);
}

// The centre of the pixels of one strong colour (0 red, 2 blue), weighted by
// how far that channel stands above the others.
std::array<double, 2> centreOfColour(const landscape::Picture& picture, int channel)
{
    double sum = 0.0, x = 0.0, y = 0.0;
    for (int row = 0; row < picture.height; ++row)
        for (int column = 0; column < picture.width; ++column) {
            const uint8_t* p = picture.at(column, row);
            const double weight = std::max(0, p[channel] - std::max(p[(channel + 1) % 3], p[(channel + 2) % 3]) - 40);
            sum += weight, x += weight * (column + 0.5), y += weight * (row + 0.5);
        }
    EXPECT_GT(sum, 0.0);
    return {x / sum, y / sum};
}

// A grey RGB picture in the other system covering the model's ground and a
// margin, with a red block north-west of a blue one; the blocks' centres in
// the picture's system come back.
struct Marks {
    std::array<double, 2> red, blue;
};

Marks makePicture(const fs::path& file, const Model& model)
{
    const bool degrees = !model.degrees;
    const std::array<double, 6>& t = model.transform;
    double west = 1e300, east = -1e300, south = 1e300, north = -1e300;
    for (const int corner : {0, 1, 2, 3}) {
        const auto [x, y] =
            transformed(t[0] + (corner % 2) * 128 * t[1], t[3] + (corner / 2) * 128 * t[5], model.degrees, degrees);
        west = std::min(west, x), east = std::max(east, x), south = std::min(south, y), north = std::max(north, y);
    }
    const double margin = 0.2 * (east - west), size = 200;
    const std::array<double, 6> picture{
        west - margin, (east - west + 2 * margin) / size, 0, north + margin, 0, -(north - south + 2 * margin) / size};
    const auto block = [](int x, int y, int left, int top) {
        return x >= left && x < left + 3 && y >= top && y < top + 3;
    };
    writeRaster(file, {200, 200, GDT_Byte, picture, degrees, 3}, [&](int x, int y, int band) {
        if (block(x, y, 55, 62))
            return band == 1 ? 255.0 : 0.0;
        if (block(x, y, 137, 131))
            return band == 3 ? 255.0 : 0.0;
        return 90.0;
    });
    const auto centre = [&](double column, double row) {
        return std::array<double, 2>{picture[0] + column * picture[1], picture[3] + row * picture[5]};
    };
    return {centre(56.5, 63.5), centre(138.5, 132.5)};
}

TEST(PlaceImport, PictureInAnotherSystemLinesUpUprightAndUnmirrored)
{
    const fs::path folder = scratch("lines-up");
    for (const bool degrees : {true, false}) {
        SCOPED_TRACE(degrees ? "projected picture on a model in degrees" : "picture in degrees on a projected model");
        const Model model = makeModel(folder, degrees);
        const fs::path file = folder / (degrees ? "photo-utm.tif" : "photo-degrees.tif");
        const Marks marks = makePicture(file, model);
        const landscape::ImportedPlace place = importWith(model, file);
        const landscape::Picture& picture = place.terrain.picture;
        ASSERT_EQ(picture.width, 1024);
        EXPECT_NE(place.report.find("picture " + file.string() +
                                    ": 200 x 200 pixels, warped onto the ground at 1024 x 1024"),
                  std::string::npos)
            << place.report;
        EXPECT_EQ(place.report.find("covers"), std::string::npos) << place.report;

        const auto expectAt = [&](const std::array<double, 2>& mark, int channel) {
            const auto [x, y] = transformed(mark[0], mark[1], !degrees, degrees);
            const auto expected = pictureSpot(*place.reference, x, y, picture.width);
            const auto found = centreOfColour(picture, channel);
            EXPECT_NEAR(found[0], expected[0], 1.0);
            EXPECT_NEAR(found[1], expected[1], 1.0);
            return found;
        };
        const auto red = expectAt(marks.red, 0), blue = expectAt(marks.blue, 2);
        // North-west of the blue mark in the picture: west at x = 0, north at z = 0.
        EXPECT_LT(red[0] + 100, blue[0]);
        EXPECT_LT(red[1] + 100, blue[1]);
    }
}

// A magenta picture over the western half of the model only, on a terrain
// picture of the side a picture gets by default.
TEST(PlaceImport, PartialCoverIsPaintedAroundAndReported)
{
    const fs::path folder = scratch("partial");
    const Model model = makeModel(folder, true);
    writeRaster(folder / "west.tif", {100, 100, GDT_Byte, {9.96, 0.0008, 0, 47.35, 0, -0.002}, true, 3},
                [](int, int, int band) { return band == 2 ? 40.0 : 200.0; });
    landscape::ImportOptions options;
    options.heightMap = model.file;
    options.image = folder / "west.tif";
    const landscape::ImportedPlace place = landscape::importPlace(options, landscape::kDefaultSeed);
    const size_t at = place.report.find("; it covers ");
    ASSERT_NE(at, std::string::npos) << place.report;
    EXPECT_NEAR(std::stod(place.report.substr(at + 12)), 50.0, 0.2) << place.report;
    EXPECT_NE(place.report.find(" % of the ground, the rest is painted"), std::string::npos) << place.report;
    const auto magenta = [&](int x, int z) {
        const uint8_t* p = place.terrain.picture.at(x, z);
        return p[0] > 150 && p[1] < 80 && p[2] > 150;
    };
    EXPECT_NE(place.report.find("warped onto the ground at 2048 x 2048"), std::string::npos) << place.report;
    for (const int z : {20, 1000, 2000}) {
        EXPECT_TRUE(magenta(40, z) && magenta(1000, z)) << z;
        EXPECT_FALSE(magenta(1060, z) || magenta(2000, z)) << z;
    }
}

std::string gpx(const std::vector<std::array<double, 2>>& track, const std::array<double, 2>& waypoint)
{
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                       "xmlns=\"http://www.topografix.com/GPX/1/1\">\n";
    text += "<wpt lat=\"" + std::to_string(waypoint[1]) + "\" lon=\"" + std::to_string(waypoint[0]) + "\"/>\n";
    text += "<trk><trkseg>\n";
    for (const auto& point : track)
        text += "<trkpt lat=\"" + std::to_string(point[1]) + "\" lon=\"" + std::to_string(point[0]) + "\"/>\n";
    return text + "</trkseg></trk>\n</gpx>\n";
}

// A track in degrees on a model in UTM metres: every point and the waypoint
// lie on a red pixel within two pixels of their places. A track far away
// draws nothing and says so, naming it in full however long its path, and
// the landscape is still made.
TEST(PlaceImport, TrackPointsLandOnTheirPlaces)
{
    const fs::path folder = scratch("track");
    const Model model = makeModel(folder, false);
    const std::vector<std::array<double, 2>> points = {{9.985, 47.262}, {10.01, 47.245}, {10.04, 47.25}};
    const std::array<double, 2> waypoint{10.03, 47.255};
    writeBytes(folder / "walk.gpx", gpx(points, waypoint));
    const fs::path deep = folder / std::string(200, 'd') / std::string(200, 'e') / std::string(200, 'f');
    fs::create_directories(deep);
    writeBytes(deep / "far.gpx", gpx({{12.0, 50.0}, {12.1, 50.1}}, {12.2, 50.2}));

    const landscape::ImportedPlace place = importWith(model, "", (folder / "walk.gpx").string());
    EXPECT_NE(place.report.find("; track " + (folder / "walk.gpx").string() + ": 1 line and 1 waypoint drawn"),
              std::string::npos)
        << place.report;
    const landscape::Picture& picture = place.terrain.picture;
    std::vector<std::array<double, 2>> spots = points;
    spots.push_back(waypoint);
    for (const auto& spot : spots) {
        const auto [x, y] = transformed(spot[0], spot[1], true, false);
        const auto at = pictureSpot(*place.reference, x, y, picture.width);
        bool red = false;
        for (int dz = -2; dz <= 2; ++dz)
            for (int dx = -2; dx <= 2; ++dx) {
                const uint8_t* p = picture.at(static_cast<int>(at[0]) + dx, static_cast<int>(at[1]) + dz);
                red |= p[0] > 180 && p[1] < 60 && p[2] < 60;
            }
        EXPECT_TRUE(red) << spot[0] << " " << spot[1];
    }

    const landscape::ImportedPlace far = importWith(model, "", (deep / "far.gpx").string());
    EXPECT_NE(far.report.find("; track " + (deep / "far.gpx").string() +
                              " lies wholly outside the ground, so nothing of it is drawn"),
              std::string::npos)
        << far.report;
}

// A terrain picture too large to hold whole is laid a band of rows at a
// time: a partial photograph and a track laid on bands of 100 rows (the
// last one shorter) give the pixels, the share and the count of laying them
// on the whole picture.
TEST(PlaceImport, PhotoAndTrackLaidInBandsEqualTheWholePicture)
{
    const fs::path folder = scratch("bands");
    const Model model = makeModel(folder, true);
    writeRaster(folder / "west.tif", {100, 100, GDT_Byte, {9.96, 0.0008, 0, 47.35, 0, -0.002}, true, 3},
                [](int x, int y, int band) { return band == 2 ? 40.0 : 2.0 * (x + y); });
    writeBytes(folder / "walk.gpx", gpx({{9.985, 47.262}, {10.01, 47.245}, {10.04, 47.25}}, {10.03, 47.255}));
    const landscape::GeoReference reference = *importWith(model, "").reference;
    const std::unique_ptr<GDALDataset> photo = landscape::openGeodata(folder / "west.tif", landscape::GeodataKind::Imagery);
    const std::unique_ptr<GDALDataset> track = landscape::openGeodata(folder / "walk.gpx", landscape::GeodataKind::Track);
    constexpr int kSide = 1024;
    const landscape::Vec3 gain{1.1f, 0.9f, 1.0f};
    landscape::Picture whole(kSide, kSide, 3);
    std::fill(whole.pixels.begin(), whole.pixels.end(), uint8_t(100));
    landscape::Picture banded = whole;
    const landscape::ImageryCover cover = landscape::drapeImagery(*photo, &reference, gain, whole);
    const landscape::TrackDrawing drawing = landscape::drawTrack(*track, reference, gain, whole);

    landscape::ImageryDrape drape(*photo, &reference, gain, kSide);
    landscape::TrackDrawer drawer(*track, reference, gain, kSide);
    for (int first = 0; first < kSide; first += 100) {
        landscape::Picture band(kSide, std::min(100, kSide - first), 3);
        std::copy_n(banded.at(0, first), band.pixels.size(), band.pixels.begin());
        drape.lay(first, band);
        drawer.draw(first, band);
        std::copy(band.pixels.begin(), band.pixels.end(), banded.at(0, first));
    }
    EXPECT_TRUE(whole.pixels == banded.pixels);
    EXPECT_GT(cover.coveredShare, 0.3);
    EXPECT_DOUBLE_EQ(drape.cover().coveredShare, cover.coveredShare);
    EXPECT_TRUE(drawing.drawn && drawer.drawing().drawn);
    EXPECT_EQ(drawer.drawing().lines, drawing.lines);
    EXPECT_EQ(drawer.drawing().waypoints, drawing.waypoints);
}

// Files that cannot serve: the import fails naming the file, and the command
// says so in one line, exits 1 and writes nothing.
TEST(PlaceImport, PictureOrTrackThatCannotServeIsRefused)
{
    const fs::path folder = scratch("refused/inside");
    const Model model = makeModel(folder, true);
    writeBytes(folder / "notes.tif", "just some words\n");
    writeBytes(folder / "notes.gpx", "just some words\n");
    writeRaster(folder.parent_path() / "outside.tif", {8, 8, GDT_Byte, {10, 0.01, 0, 47.3, 0, -0.01}, true, 3},
                [](int, int, int) { return 9.0; });
    const auto mosaic = [&](const std::string& name, const std::string& source) {
        writeBytes(folder / name, "<VRTDataset rasterXSize=\"8\" rasterYSize=\"8\"><VRTRasterBand dataType=\"Byte\" "
                                  "band=\"1\"><SimpleSource><SourceFilename relativeToVRT=\"1\">" +
                                      source +
                                      "</SourceFilename><SourceBand>1</SourceBand></SimpleSource>"
                                      "</VRTRasterBand></VRTDataset>");
        return (folder / name).string();
    };
    const struct {
        std::string image, track, reason;
    } cases[] = {
        {(folder / "notes.tif").string(), "", "is not a picture that can be read"},
        {mosaic("url.vrt", "http://127.0.0.1:9/t.tif"), "", "refused: the mosaic names"},
        {mosaic("above.vrt", "../outside.tif"), "", "refused: the mosaic names \"../outside.tif\""},
        {"/vsicurl/http://127.0.0.1:9/t.tif", "", "cannot be found"},
        {"", (folder / "notes.gpx").string(), "is not a track (GPX, GeoJSON or KML) that can be read"},
        {"", "http://127.0.0.1:9/t.gpx", "cannot be found"},
    };
    for (const auto& c : cases) {
        const std::string file = c.image.empty() ? c.track : c.image;
        try {
            importWith(model, c.image, c.track);
            ADD_FAILURE() << file << " was taken";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(file + ": " + c.reason, 0), 0u) << e.what();
        }
    }
    const CommandRun run = generate(folder / "out", "--heightmap " + model.file.string() + " --image " +
                                                        mosaic("x.vrt", "../outside.tif"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lumora-landscape: " + (folder / "x.vrt").string() +
                           ": refused: the mosaic names \"../outside.tif\", which is not a file in the mosaic's own "
                           "folder\n");
    EXPECT_FALSE(fs::exists(folder / "out"));
}

// The height in metres that the reference gives at world points, the edges'
// included, equals the model's plane there, within half a height step, when
// the ground is fitted by default, raised under the start, or flattened.
TEST(PlaceImport, ReferenceGivesTheModelsPositionsAndMetres)
{
    const fs::path folder = scratch("reference");
    const struct {
        bool degrees;
        std::optional<float> exaggeration;
        const char* what;
    } cases[] = {{true, std::nullopt, "in degrees, by default"},
                 {false, 1.0f, "projected, true proportions: raised under the start"},
                 {false, 200.0f, "projected, exaggerated: flattened to fit"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Model model = makeModel(folder, c.degrees);
        landscape::ImportOptions options;
        options.heightMap = model.file;
        options.exaggeration = c.exaggeration;
        const landscape::ImportedPlace place = landscape::importPlace(options, landscape::kDefaultSeed);
        ASSERT_TRUE(place.reference);
        const landscape::GeoReference& r = *place.reference;
        const std::array<double, 6>& g = r.geotransform;
        EXPECT_GT(r.metresPerHeightStep, 0.0);
        for (const auto& [i, j] : std::vector<std::array<int, 2>>{{64, 64}, {500, 500}, {900, 100}, {200, 960}, {0, 1023}, {1023, 0}}) {
            const double x = g[0] + i * g[1] + j * g[2], y = g[3] + i * g[4] + j * g[5];
            const double metres =
                r.metresAtHeight0 + std::round(place.terrain.ground.at(i, j)) * r.metresPerHeightStep;
            EXPECT_NEAR(metres, model.height(x, y), 0.5 * r.metresPerHeightStep + 0.5) << i << "," << j;
        }
        // World (0, 0) is the centre of the model's first sample.
        const std::array<double, 6>& t = model.transform;
        const auto corner = transformed(t[0] + t[1] * 0.5, t[3] + t[5] * 0.5, c.degrees, true);
        EXPECT_NEAR(r.grid[0].longitude, corner[0], 1e-9);
        EXPECT_NEAR(r.grid[0].latitude, corner[1], 1e-9);
        EXPECT_NE(place.terrain.geoReference.find("\"format\": \"lumora-geo\""), std::string::npos);
    }
}

// A ramp west to east, 256 samples 30 m apart in UTM (the ground spans the
// 255 steps from the first sample to the last: a grid step of 7.471 m): a
// coastal plain from the sea at -1 m to 88 m is drawn 3 times steeper, not
// spread 21 times over the byte range; a mountainside 2500 m high needs less
// than 3 to fit and is spread over it.
TEST(PlaceImport, DefaultExaggerationIsAtMostThree)
{
    const fs::path folder = scratch("default-exaggeration");
    const struct {
        double low, high;
        const char* factor;
        int span; // height steps from the lowest to the highest cell
    } cases[] = {{-1, 88, "exaggerated 3 times", 36}, {0, 2500, "exaggerated 0.762 times", 255}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.factor);
        const fs::path file = folder / ("ramp" + std::to_string(static_cast<int>(c.high)) + ".tif");
        writeRaster(file, {256, 256, GDT_Float32, {573000.0, 30.0, 0, 5238000.0, 0, -30.0}},
                    [&](int x, int) { return c.low + (c.high - c.low) * x / 255.0; });
        landscape::ImportOptions options;
        options.heightMap = file;
        const landscape::ImportedPlace place = landscape::importPlace(options, landscape::kDefaultSeed);
        EXPECT_NE(place.report.find("a grid step is 7.471 m and a height step"), std::string::npos) << place.report;
        EXPECT_NE(place.report.find(std::string("so the relief is ") + c.factor), std::string::npos) << place.report;
        const auto [low, high] =
            std::minmax_element(place.terrain.ground.heights.begin(), place.terrain.ground.heights.end());
        EXPECT_NEAR(*high - *low, c.span, 0.5f);
    }
}

TEST(PlaceColours, SnowLineFallsFromTheTropicsToThePoles)
{
    const struct {
        double latitude, metres;
    } cases[] = {{0, 4500}, {-25, 4500}, {46, 2781.8}, {-52.5, 2250}, {70, 818.2}, {80, 0}, {-89, 0}};
    for (const auto& c : cases)
        EXPECT_NEAR(landscape::snowLineMetres(c.latitude), c.metres, 0.1) << c.latitude;
}

// A ridge 840 m high painted from metres (on a smaller ground, which paints
// the same way): no snow from 236 m at latitude 36 (the Tennessee ridges),
// snow on the same ridge from 4300 m; and an import's picture is the same
// however steep the ground is drawn.
TEST(PlaceColours, SnowFollowsMetresNotHeightSteps)
{
    landscape::HeightField ridge{256, std::vector<float>(256 * 256)};
    for (int z = 0; z < 256; ++z)
        for (int x = 0; x < 256; ++x)
            ridge.heights[z * 256 + x] = 255.0f * (1.0f - std::fabs(static_cast<float>(x) - 128.0f) / 128.0f);
    const auto snowCells = [&](double atHeight0, double perStep, double stepMetres) {
        const landscape::Picture picture =
            landscape::paintTerrain(ridge, 1, {atHeight0, perStep, stepMetres, stepMetres, 36.0, 36.0});
        int snow = 0;
        for (size_t i = 0; i < picture.pixels.size(); i += 3)
            snow += std::min({picture.pixels[i], picture.pixels[i + 1], picture.pixels[i + 2]}) > 225;
        return snow;
    };
    EXPECT_EQ(snowCells(236.0, 840.0 / 255, 400.0), 0);
    EXPECT_GT(snowCells(4300.0, 840.0 / 255, 400.0), 256 * 25);

    const fs::path folder = scratch("colours");
    const Model model = makeModel(folder, false);
    std::vector<landscape::Picture> pictures;
    for (const float exaggeration : {1.0f, 6.0f}) {
        landscape::ImportOptions options;
        options.heightMap = model.file;
        options.exaggeration = exaggeration;
        pictures.push_back(landscape::importPlace(options, landscape::kDefaultSeed).terrain.picture);
    }
    int differ = 0;
    for (size_t i = 0; i < pictures[0].pixels.size(); ++i)
        differ += std::abs(pictures[0].pixels[i] - pictures[1].pixels[i]) > 3;
    EXPECT_EQ(differ, 0);
}

// Without plants the meshes hold nothing, and the viewer's reader takes them
// without a word; their textures are not written.
TEST(PlaceImport, NoPlantsLeavesEmptyMeshesTheViewerReads)
{
    landscape::LandscapeOptions options;
    options.plants = landscape::Plants::None;
    landscape::Terrain flat;
    flat.ground = {1024, std::vector<float>(1024 * 1024, 30.0f)};
    flat.picture = landscape::Picture(1024, 1024, 3);
    flat.detailPicture = landscape::Picture(8, 8, 3);
    int meshes = 0;
    for (const landscape::LandscapeFile& file : landscape::buildLandscapeAround(flat, 1, options)) {
        EXPECT_EQ(file.name.find("palmBark"), std::string::npos);
        if (file.name.size() < 4 || file.name.substr(file.name.size() - 4) != ".vxm")
            continue;
        ++meshes;
        auto model = std::make_unique<MeshModel>();
        const auto noPicture = [](uint32_t*, const char*, int) { return Report{}; };
        EXPECT_EQ(parseMesh(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size(), *model, noPicture,
                            nullptr),
                  nullptr)
            << file.name;
        EXPECT_EQ(model->subMeshCount, 0) << file.name;
    }
    EXPECT_EQ(meshes, 5);
}

} // namespace
} // namespace landscape_test
