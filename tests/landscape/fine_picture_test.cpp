// The terrain picture past 8192 pixels: its cloud-optimised GeoTIFF read back
// through GDAL (tiles, JPEG, overviews, which way up), the 2048 picture made
// beside it, and the painter that paints it finer than the ground. The
// writer runs on a small side with small tiles, as a 32768 run takes minutes.
#include "geodata_files.h"
#include "support/generated_set.h"

#include "fine_picture.h"
#include "heightfield.h"
#include "landscape.h"
#include "terrain_picture.h"

#include <gtest/gtest.h>

#include <gdal_priv.h>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace landscape_test {
namespace {

using landscape::Picture;

// A picture with a red square at its top-left corner and a blue one at its
// top-right, grey elsewhere.
constexpr int kMark = 64;
void paintMarks(int side, int first, Picture& band)
{
    for (int row = 0; row < band.height; ++row)
        for (int x = 0; x < side; ++x) {
            const int y = first + row;
            uint8_t* p = band.at(x, row);
            const bool top = y < kMark;
            p[0] = top && x < kMark ? 230 : 120;
            p[1] = 120;
            p[2] = top && x >= side - kMark ? 230 : 120;
        }
}

std::vector<fs::path> filesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.push_back(entry.path().filename());
    return files;
}

TEST(FinePicture, CloudOptimisedJpegTilesWithHalvingOverviewsUpright)
{
    const fs::path folder = scratch("fine-picture");
    constexpr int kSide = 2300, kTile = 128;
    landscape::GeoReference ground;
    ground.systemWkt = SRS_WKT_WGS84_LAT_LONG;
    ground.geotransform = {10.0, 0.001, 0.0, 47.3, 0.0, -0.001};
    landscape::FinePicture fine = landscape::makeFinePicture(
        folder, kSide, &ground, [&](int first, Picture& band) { paintMarks(kSide, first, band); }, kTile);
    fine.file->placeAs(folder / kFinePictureFileName);
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{kFinePictureFileName}); // nothing passing is left

    GDALAllRegister();
    const std::unique_ptr<GDALDataset> set(
        GDALDataset::Open((folder / kFinePictureFileName).c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    ASSERT_TRUE(set);
    EXPECT_EQ(set->GetRasterXSize(), kSide);
    EXPECT_EQ(set->GetRasterYSize(), kSide);
    ASSERT_EQ(set->GetRasterCount(), 3);
    EXPECT_STREQ(set->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "YCbCr JPEG");
    EXPECT_STREQ(set->GetMetadataItem("LAYOUT", "IMAGE_STRUCTURE"), "COG");
    // Georeferenced like the ground: a pixel is 1024 / side of a ground cell.
    double transform[6];
    ASSERT_EQ(set->GetGeoTransform(transform), CE_None);
    EXPECT_NEAR(transform[1], 0.001 * 1024 / kSide, 1e-12);
    EXPECT_NEAR(transform[5], -0.001 * 1024 / kSide, 1e-12);
    EXPECT_DOUBLE_EQ(transform[0], 10.0);

    GDALRasterBand& red = *set->GetRasterBand(1);
    int blockX = 0, blockY = 0;
    red.GetBlockSize(&blockX, &blockY);
    EXPECT_EQ(blockX, kTile);
    EXPECT_EQ(blockY, kTile);
    // Each level half the one before, rounded up, down to one tile.
    int previous = kSide;
    for (int i = 0; i < red.GetOverviewCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GT(previous, kTile);
        GDALRasterBand& overview = *red.GetOverview(i);
        EXPECT_EQ(overview.GetXSize(), (previous + 1) / 2);
        EXPECT_EQ(overview.GetYSize(), (previous + 1) / 2);
        previous = overview.GetXSize();
    }
    EXPECT_LE(previous, kTile);
    EXPECT_GE(red.GetOverviewCount(), 5);

    // The marks where they were painted, at full size and at the coarsest level.
    const auto pixel = [&](GDALDataset& at, int x, int y) {
        std::array<uint8_t, 3> rgb{};
        EXPECT_EQ(at.RasterIO(GF_Read, x, y, 1, 1, rgb.data(), 1, 1, GDT_Byte, 3, nullptr, 3, 3, 1, nullptr), CE_None);
        return rgb;
    };
    const auto isRed = [](std::array<uint8_t, 3> p) { return p[0] > 200 && p[2] < 150; };
    const auto isBlue = [](std::array<uint8_t, 3> p) { return p[2] > 200 && p[0] < 150; };
    EXPECT_TRUE(isRed(pixel(*set, 10, 10)));
    EXPECT_TRUE(isBlue(pixel(*set, kSide - 10, 10)));
    EXPECT_FALSE(isRed(pixel(*set, 10, kSide - 10)));
    // And at a quarter of the side, where the red square is 16 pixels.
    const auto quarter = [&](int band, int x, int y) {
        uint8_t value = 0;
        EXPECT_EQ(set->GetRasterBand(band)->GetOverview(1)->RasterIO(GF_Read, x, y, 1, 1, &value, 1, 1, GDT_Byte, 0, 0,
                                                                      nullptr),
                  CE_None);
        return value;
    };
    EXPECT_GT(quarter(1, 6, 6), 200);
    EXPECT_LT(quarter(3, 6, 6), 150);
    EXPECT_LT(quarter(1, 6, kSide / 4 - 6), 150);

    // Terrain2.bmp's picture: the same averaged to 2048, red square included.
    const Picture& list = fine.listPicture;
    ASSERT_EQ(list.width, landscape::kListPictureSize);
    ASSERT_EQ(list.height, landscape::kListPictureSize);
    const int markThere = kMark * landscape::kListPictureSize / kSide; // 56 pixels
    EXPECT_EQ(list.at(markThere / 2, markThere / 2)[0], 230);
    EXPECT_EQ(list.at(list.width - markThere / 2, markThere / 2)[2], 230);
    EXPECT_EQ(list.at(markThere / 2, list.height - 5)[0], 120);
}

TEST(FinePicture, FailureLeavesNothingInTheFolder)
{
    const fs::path folder = scratch("fine-picture-fails");
    const auto paint = [](int first, Picture& band) {
        if (first >= 512)
            throw std::runtime_error("the photograph is cut short");
        paintMarks(2100, first, band);
    };
    EXPECT_THROW(landscape::makeFinePicture(folder, 2100, nullptr, paint, 256), std::runtime_error);
    EXPECT_TRUE(filesIn(folder).empty());
}

// Pixels of 5 columns averaged into 2: each target pixel covers two and a
// half of them, so a column ramp 0, 10, 20, 30, 40 gives (0 + 10 + 10) / 2.5
// and (10 + 30 + 40) / 2.5; rows likewise, with two rows of 100 split.
TEST(FinePicture, ShrinkWeighsPartsOfPixelsByTheirShare)
{
    landscape::PictureShrink shrink(5, 2);
    for (int y = 0; y < 5; ++y) {
        std::vector<uint8_t> row(15);
        for (int x = 0; x < 5; ++x)
            row[x * 3] = static_cast<uint8_t>(10 * x), row[x * 3 + 1] = y == 2 ? 100 : 0;
        shrink.addRow(row.data());
    }
    const Picture& picture = shrink.picture();
    EXPECT_EQ(picture.at(0, 0)[0], 8);
    EXPECT_EQ(picture.at(1, 0)[0], 32);
    EXPECT_EQ(picture.at(1, 1)[0], 32);
    EXPECT_EQ(picture.at(0, 0)[1], 20); // half of row 2 in each
    EXPECT_EQ(picture.at(1, 1)[1], 20);
}

// At the ground's own side the painter meets the cells and paints as the
// whole-picture painter does; at eight pixels a cell its pixels change
// within cells, as the heights between the samples do.
TEST(FinePicture, PainterMatchesTheGroundsPainterAtItsSideAndIsSmoothFiner)
{
    // The generated ground, as its byte map holds it.
    const std::vector<uint8_t>& raw = defaultFile("Tertest.raw");
    landscape::HeightField field{1024, std::vector<float>(raw.begin(), raw.end())};
    const Picture whole = landscape::paintTerrain(field, landscape::kDefaultSeed);
    const landscape::GroundMetres metres{200.0, 8.0, 30.0, 31.0, 47.5, 47.2};
    const Picture wholeInMetres = landscape::paintTerrain(field, landscape::kDefaultSeed, metres);
    for (const landscape::GroundMetres* ground : {static_cast<const landscape::GroundMetres*>(nullptr), &metres}) {
        SCOPED_TRACE(ground ? "in metres" : "in height steps");
        const landscape::FinePainter painter(landscape::blendedHeights(field), landscape::kDefaultSeed, ground, 1024);
        Picture band(1024, 40, 3);
        painter.paint(500, band);
        const Picture& expected = ground ? wholeInMetres : whole;
        EXPECT_TRUE(std::equal(band.pixels.begin(), band.pixels.end(), expected.at(0, 500)));
    }

    const landscape::FinePainter fine(landscape::blendedHeights(field), landscape::kDefaultSeed, nullptr, 8192);
    Picture band(8192, 2, 3);
    fine.paint(4000, band);
    int same = 0;
    for (int x = 1; x < band.width; ++x)
        same += std::equal(band.at(x, 0), band.at(x, 0) + 3, band.at(x - 1, 0));
    // Cells drawn as blocks would repeat 7 pixels in 8.
    EXPECT_LT(same, band.width / 2);
}

} // namespace
} // namespace landscape_test
