// The generated set as a whole: every file the viewer reads is there, in the
// form the viewer expects, decodable by a reader that we did not write, and
// the same for the same seed.
#include "assets/data_files.h"
#include "support/generated_set.h"
#include "landscape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace landscape_test {
namespace {

struct ExpectedPicture {
    const char* name;
    int width;
    int height;
    int channels;
};

// The pictures the viewer opens by name, and those the meshes name.
const ExpectedPicture kPictures[] = {
    {"Terrain2.bmp", 1024, 1024, 3},  {"Detail1.bmp", 256, 256, 3},    {"hillBack.bmp", 512, 512, 3},
    {"hillFront.bmp", 512, 512, 3},   {"hillBottom.bmp", 512, 512, 3}, {"hillTop.bmp", 512, 512, 3},
    {"hillLeft.bmp", 512, 512, 3},    {"hillRight.bmp", 512, 512, 3},  {"busch2.tga", 128, 128, 4},
    {"palmBark.bmp", 128, 128, 3},    {"palmFrond.bmp", 64, 64, 3},    {"palmFrondPale.bmp", 64, 64, 3},
    {"palmFrondDark.bmp", 64, 64, 3}, {"grassBlade.bmp", 64, 64, 3},
};

const char* const kMeshes[] = {"palme4.vxm", "palmect.vxm", "palme2ct.vxm", "palme3ct.vxm", "grass2.vxm"};

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }

const landscape::LandscapeFile* findFile(const std::vector<landscape::LandscapeFile>& files, const std::string& name)
{
    for (const landscape::LandscapeFile& file : files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

// The viewer's own table of its files, then the pictures that the meshes name.
TEST(GeneratedSet, HoldsEveryFileTheViewerOpens)
{
    std::vector<std::string> expected = {landscape::kVersionFileName};
    for (const DataFileRow& row : kDataFiles)
        expected.push_back(row.name);
    for (const ExpectedPicture& p : kPictures) {
        if (std::find(expected.begin(), expected.end(), p.name) == expected.end())
            expected.push_back(p.name);
    }
    for (const char* mesh : kMeshes) {
        EXPECT_NE(std::find(expected.begin(), expected.end(), mesh), expected.end())
            << mesh << " is not in the table";
    }

    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(defaultSetFolder())) {
        written.push_back(entry.path().filename().string());
    }
    std::sort(expected.begin(), expected.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, expected);
}

TEST(GeneratedSet, RawHeightsHoldExactlyTheMap) { EXPECT_EQ(defaultFile("Tertest.raw").size(), 1024u * 1024u); }

TEST(GeneratedSet, PicturesDecodeWithTheirSizeAndChannels)
{
    for (const ExpectedPicture& p : kPictures) {
        SCOPED_TRACE(p.name);
        const Decoded image = decodeDefault(p.name);
        EXPECT_EQ(image.width, p.width);
        EXPECT_EQ(image.height, p.height);
        EXPECT_EQ(image.channels, p.channels);
    }
}

// The viewer's BMP reader takes a 40-byte info header; rows stored bottom
// first (positive height), 24 bits, uncompressed, pixels where bfOffBits says.
TEST(GeneratedSet, BmpFilesUseTheFormThatTheViewerReads)
{
    for (const ExpectedPicture& p : kPictures) {
        if (p.channels != 3)
            continue;
        SCOPED_TRACE(p.name);
        const std::vector<uint8_t>& b = defaultFile(p.name);
        ASSERT_GE(b.size(), 54u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le32(b, 10), 54u);
        EXPECT_EQ(le32(b, 14), 40u);
        EXPECT_EQ(static_cast<int32_t>(le32(b, 18)), p.width);
        EXPECT_EQ(static_cast<int32_t>(le32(b, 22)), p.height);
        EXPECT_EQ(le16(b, 28), 24);
        EXPECT_EQ(le32(b, 30), 0u);
        const size_t row = (static_cast<size_t>(p.width) * 3 + 3) / 4 * 4;
        EXPECT_EQ(b.size(), 54u + row * p.height);
    }
}

// True colour with alpha (type 2 raw or 10 run-length), 32 bits per pixel,
// 8 of them alpha, no ID field and no colour map (the viewer would not skip one).
TEST(GeneratedSet, SpriteIsTrueColourTgaWithAlpha)
{
    const std::vector<uint8_t>& b = defaultFile("busch2.tga");
    ASSERT_GE(b.size(), 18u);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[1], 0);
    EXPECT_TRUE(b[2] == 2 || b[2] == 10) << int(b[2]);
    EXPECT_EQ(le16(b, 12), 128);
    EXPECT_EQ(le16(b, 14), 128);
    EXPECT_EQ(b[16], 32);
    EXPECT_EQ(b[17] & 0x0F, 8);
    if (b[2] == 2) {
        EXPECT_EQ(b.size(), 18u + 128u * 128u * 4u);
    }
}

TEST(GeneratedSet, VersionFileHoldsTheVersionLine)
{
    const std::vector<uint8_t>& b = defaultFile(landscape::kVersionFileName);
    const std::string text(b.begin(), b.end());
    EXPECT_EQ(text, landscape::versionLine() + "\n");
    // "lumora-landscape N detail D": the run script compares the whole line.
    const std::string prefix = "lumora-landscape ";
    ASSERT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
    const std::string rest = text.substr(prefix.size(), text.size() - prefix.size() - 1);
    const std::string detail = " detail " + std::to_string(landscape::kDefaultDetail);
    ASSERT_GT(rest.size(), detail.size()) << text;
    EXPECT_EQ(rest.substr(rest.size() - detail.size()), detail) << text;
    const std::string number = rest.substr(0, rest.size() - detail.size());
    EXPECT_FALSE(number.empty());
    EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
}

// A second run with the same seed gives the same bytes, file by file, and
// writes the version file last, so that a folder cut short looks incomplete.
TEST(GeneratedSet, SameSeedGivesTheSameFilesWithTheVersionLast)
{
    const std::vector<landscape::LandscapeFile> files = landscape::buildLandscape(landscape::kDefaultSeed);
    ASSERT_FALSE(files.empty());
    EXPECT_EQ(files.back().name, landscape::kVersionFileName);
    for (const landscape::LandscapeFile& file : files) {
        SCOPED_TRACE(file.name);
        EXPECT_TRUE(file.bytes == defaultFile(file.name));
    }
}

TEST(GeneratedSet, AnotherSeedGivesAnotherLandscape)
{
    const std::vector<landscape::LandscapeFile> other = landscape::buildLandscape(landscape::kDefaultSeed + 1);
    // The ground, its picture and the sky all change, not just a few bytes.
    for (const char* name : {"Tertest.raw", "Terrain2.bmp", "hillTop.bmp", "Detail1.bmp"}) {
        SCOPED_TRACE(name);
        const landscape::LandscapeFile* file = findFile(other, name);
        ASSERT_NE(file, nullptr);
        const std::vector<uint8_t>& mine = defaultFile(name);
        ASSERT_EQ(file->bytes.size(), mine.size());
        size_t differing = 0;
        for (size_t i = 0; i < mine.size(); ++i)
            differing += file->bytes[i] != mine[i];
        EXPECT_GT(differing, mine.size() / 2);
    }
}

TEST(GeneratedSet, PreparingAFolderDropsAnOldVersionFile)
{
    const std::filesystem::path folder = std::filesystem::path(LANDSCAPE_TEST_OUTPUT) / "prepare";
    std::filesystem::remove_all(folder);
    landscape::prepareLandscapeFolder(folder / "nested");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "nested"));

    landscape::writeLandscapeFile(folder, {landscape::kVersionFileName, {'x'}});
    landscape::writeLandscapeFile(folder, {"Tertest.raw", {1, 2}});
    landscape::writeLandscapeFile(folder, {kFinePictureFileName, {3}});
    landscape::prepareLandscapeFolder(folder);
    EXPECT_FALSE(std::filesystem::exists(folder / landscape::kVersionFileName));
    EXPECT_FALSE(std::filesystem::exists(folder / kFinePictureFileName)); // not this landscape's
    EXPECT_TRUE(std::filesystem::exists(folder / "Tertest.raw"));

    // A file made in the folder already is put in place under its name.
    landscape::writeLandscapeFile(folder, {"made.part", {4, 5, 6}});
    const auto part = std::make_shared<const landscape::MadeFile>(folder / "made.part");
    const landscape::LandscapeFile made{kFinePictureFileName, {},
                                        [part](const std::filesystem::path& path) { part->placeAs(path); }};
    EXPECT_EQ(landscape::writeLandscapeFile(folder, made), 3u);
    EXPECT_EQ(std::filesystem::file_size(folder / kFinePictureFileName), 3u);
    EXPECT_FALSE(std::filesystem::exists(folder / "made.part"));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace landscape_test
