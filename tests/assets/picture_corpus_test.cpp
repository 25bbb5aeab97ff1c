// The readers against public corpora that we did not write: every file listed
// in the corpus manifests is decoded under the sanitizers, and what decodes is
// compared with the corpus's reference picture (read with stb_image).

#include "assets/dib_image.h"
#include "assets/file_bytes.h"
#include "assets/tga_image.h"
#include "landscape.h"

#include <gtest/gtest.h>

#include <stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kBmpDir = std::string(LUMORA_CORPORA_DIR) + "/bmpsuite/";
const std::string kTgaDir = std::string(LUMORA_CORPORA_DIR) + "/tga/";

using Row = std::map<std::string, std::string>;

std::vector<Row> readManifest(const std::string& path)
{
    std::ifstream in(path);
    std::vector<Row> rows;
    std::string line;
    std::vector<std::string> columns;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t'))
            fields.push_back(field);
        if (columns.empty()) {
            columns = fields;
            continue;
        }
        Row row;
        for (size_t i = 0; i < columns.size() && i < fields.size(); ++i)
            row[columns[i]] = fields[i];
        rows.push_back(row);
    }
    return rows;
}

std::vector<uint8_t> readBytes(const std::string& path)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(readWholeFile(path.c_str(), bytes)) << path;
    return bytes;
}

std::vector<std::string> splitRefs(const std::string& refs)
{
    std::vector<std::string> out;
    std::stringstream split(refs);
    std::string ref;
    while (std::getline(split, ref, ';'))
        if (!ref.empty() && ref != "-")
            out.push_back(ref);
    return out;
}

// A reference picture, top row first, with the requested number of channels.
struct Reference {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;
};

bool readReference(const std::string& path, int channels, Reference& ref)
{
    int components;
    uint8_t* data = stbi_load(path.c_str(), &ref.width, &ref.height, &components, channels);
    if (!data)
        return false;
    ref.channels = channels;
    ref.pixels.assign(data, data + size_t(ref.width) * size_t(ref.height) * size_t(channels));
    stbi_image_free(data);
    return true;
}

// Shifted: compare only the top 5 bits of each colour channel, for pictures
// whose 5-bit channels were shifted left by 3 rather than widened.
enum class Widening { Exact, Shifted };

// How far image differs from the reference. Image rows are compared in
// stored order: bottomUp says the first image row is the reference's last
// row. An image with fewer rows than the reference (a truncated file) is
// compared on the rows it has. Returns the largest difference of one channel,
// or 256 when the sizes do not fit at all.
int largestDifference(const Image& image, const Reference& ref, bool bottomUp, Widening widening)
{
    if (image.width != ref.width || image.height > ref.height || image.components != ref.channels)
        return 256;
    int worst = 0;
    const size_t rowBytes = size_t(image.width) * size_t(image.components);
    for (int y = 0; y < image.height; ++y) {
        const int refRow = bottomUp ? ref.height - 1 - y : y;
        const uint8_t* got = image.pixels.data() + size_t(y) * rowBytes;
        const uint8_t* want = ref.pixels.data() + size_t(refRow) * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i) {
            int a = got[i];
            int b = want[i];
            if (widening == Widening::Shifted && i % size_t(image.components) < 3) {
                a >>= 3;
                b >>= 3;
            }
            worst = std::max(worst, std::abs(a - b));
        }
    }
    return worst;
}

bool isReaderMessage(const char* failure)
{
    static const std::set<std::string> messages = {"Unknown DIB file format.", "Out of memory.",
                                                   "Image file conversion error."};
    return failure && messages.count(failure);
}

bool wellFormed(const Image& image)
{
    return image.width > 0 && image.height > 0 &&
           image.pixels.size() == size_t(image.width) * size_t(image.height) * size_t(image.components);
}

} // namespace

TEST(BmpCorpus, GoodFilesMatchTheirReferencesAndTheRestDecodeOrGiveAReaderMessage)
{
    const std::vector<Row> rows = readManifest(kBmpDir + "manifest.tsv");
    ASSERT_GT(rows.size(), 100u);

    int decodedGood = 0, matchedGood = 0, refusedAsExpected = 0;
    int otherDecoded = 0, otherMatched = 0, otherWithoutReference = 0, otherRefused = 0;
    std::vector<std::string> otherMismatches;
    for (const Row& row : rows) {
        const std::string& file = row.at("file");
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = readBytes(kBmpDir + file);
        const ImageResult result = decodeDibImage(bytes.data(), bytes.size());
        const std::string& scope = row.at("scope");
        const bool good = file.rfind("g/", 0) == 0 || file.rfind("nofh/", 0) == 0;

        if (scope == "reject-header") {
            EXPECT_STREQ(result.failure, "Unknown DIB file format.");
            EXPECT_FALSE(result.image);
            refusedAsExpected += result.image ? 0 : 1;
            continue;
        }
        if (scope == "reject-format") {
            EXPECT_STREQ(result.failure, "Image file conversion error.");
            refusedAsExpected += result.image ? 0 : 1;
            continue;
        }
        if (!result.image) {
            EXPECT_FALSE(good && scope == "decode") << result.failure;
            EXPECT_TRUE(isReaderMessage(result.failure)) << (result.failure ? result.failure : "(none)");
            ++otherRefused;
            continue;
        }
        const Image& image = *result.image;
        ASSERT_TRUE(wellFormed(image));
        EXPECT_EQ(image.components, 3);
        EXPECT_EQ(image.width, std::atoi(row.at("width").c_str()));

        // Widened channels: 16-bit pixels and masks narrower than 8 bits.
        const int bits = std::atoi(row.at("bits").c_str());
        const bool widened = bits == 16 || row.at("compression") == "bitfields";
        bool matched = false;
        const std::vector<std::string> refNames = splitRefs(row.at("refs"));
        for (const std::string& refName : refNames) {
            Reference ref;
            ASSERT_TRUE(readReference(kBmpDir + refName, 3, ref)) << refName;
            const int difference = largestDifference(image, ref, true, Widening::Exact);
            // Repeating the bits of a channel lands within 1 of scaling it.
            if (difference == 0 || (widened && difference <= 1)) {
                matched = true;
                break;
            }
        }
        if (good && scope == "decode") {
            ++decodedGood;
            matchedGood += matched ? 1 : 0;
            EXPECT_TRUE(matched) << "differs from every reference";
            EXPECT_EQ(image.height, std::abs(std::atoi(row.at("height").c_str())));
        } else {
            ++otherDecoded;
            otherMatched += matched ? 1 : 0;
            otherWithoutReference += refNames.empty() ? 1 : 0;
            if (!matched && !refNames.empty())
                otherMismatches.push_back(file);
        }
    }
    std::string mismatches;
    for (const std::string& file : otherMismatches)
        mismatches += " " + file;
    std::cout << "BMP corpus: " << matchedGood << " of " << decodedGood << " good files match their reference; "
              << refusedAsExpected << " refused as their scope says; questionable and bad: " << otherDecoded
              << " decoded (" << otherMatched << " match a reference, " << otherWithoutReference << " have none), "
              << otherRefused << " refused with a reader message; differing from their references:"
              << (mismatches.empty() ? " none" : mismatches) << "\n";
    EXPECT_GT(decodedGood, 0);
}

TEST(TgaCorpus, TrueColourFilesMatchTheirReferencesAndTheRestFollowTheDepthRules)
{
    const std::vector<Row> rows = readManifest(kTgaDir + "manifest.tsv");
    ASSERT_GT(rows.size(), 20u);

    int decoded = 0, matched = 0, refused = 0, edges = 0;
    for (const Row& row : rows) {
        const std::string& file = row.at("file");
        SCOPED_TRACE(file);
        const std::vector<uint8_t> bytes = readBytes(kTgaDir + file);
        const ImageResult result = decodeTga(bytes.data(), bytes.size());
        const std::string& scope = row.at("scope");
        const int bits = std::atoi(row.at("bits").c_str());
        const int type = std::atoi(row.at("type").c_str());
        const int width = std::atoi(row.at("width").c_str());
        const int height = std::atoi(row.at("height").c_str());
        const bool bottomUp = row.at("origin") == "bottom-left";

        // Grey, colour-mapped and run-length 16-bit files are refused in silence.
        const bool refusedByDepth =
            type == 10 ? (bits != 24 && bits != 32) : (bits != 16 && bits != 24 && bits != 32);
        if (refusedByDepth) {
            EXPECT_FALSE(result.image);
            EXPECT_EQ(result.failure, nullptr);
            refused += result.image ? 0 : 1;
            continue;
        }
        ASSERT_TRUE(result.image) << (result.failure ? result.failure : "(no message)");
        const Image& image = *result.image;
        ASSERT_TRUE(wellFormed(image));
        EXPECT_EQ(image.width, width);
        EXPECT_EQ(image.height, height);
        EXPECT_EQ(image.components, bits == 32 ? 4 : 3);

        Reference ref;
        ASSERT_TRUE(readReference(kTgaDir + row.at("ref"), image.components, ref)) << row.at("ref");
        const Widening widening = bits == 16 ? Widening::Shifted : Widening::Exact;
        if (scope == "decode") {
            ++decoded;
            const int difference = largestDifference(image, ref, bottomUp, widening);
            EXPECT_EQ(difference, 0);
            matched += difference == 0 ? 1 : 0;
        } else if (row.at("colour_map") != "-") {
            // The colour map is not skipped: its bytes come first as pixels and
            // push the picture on by as many pixels as the map has bytes / 3.
            const int mapPixels = 16 * 24 / 8 / 3;
            const uint8_t* first = image.pixels.data();
            const size_t mapAt = 18 + size_t(std::atoi(row.at("id_length").c_str()));
            EXPECT_EQ(first[0], bytes[mapAt + 2]);
            EXPECT_EQ(first[2], bytes[mapAt]);
            // Stored pixel p is the picture's pixel p - mapPixels (stored order).
            int worst = 0;
            const int total = width * height;
            for (int p = mapPixels; p < total; ++p) {
                const int source = p - mapPixels;
                const int refRow = height - 1 - source / width;
                for (int c = 0; c < 3; ++c) {
                    const int got = image.pixels[size_t(p) * 3 + size_t(c)];
                    const int want =
                        ref.pixels[(size_t(refRow) * size_t(width) + size_t(source % width)) * 3 + size_t(c)];
                    worst = std::max(worst, std::abs(got - want));
                }
            }
            EXPECT_EQ(worst, 0);
            ++edges;
        } else {
            // Grey and alpha at 16 bits is read as 5-5-5 colour: decoded, but
            // not the grey picture.
            EXPECT_NE(largestDifference(image, ref, bottomUp, widening), 0);
            ++edges;
        }
    }
    std::cout << "TGA corpus: " << matched << " of " << decoded << " true-colour files match their reference; "
              << refused << " refused by depth in silence; " << edges
              << " edge files decoded as the depth rules say\n";
    EXPECT_GT(decoded, 0);
}

// The pictures the viewer reads at start-up, as the landscape generator writes
// them with a library writer: ours and the independent reader agree on every
// pixel, and on which row is the top.
TEST(GeneratedLandscape, EveryPictureDecodesAsTheIndependentReaderSeesIt)
{
    int pictures = 0;
    for (const landscape::LandscapeFile& file : landscape::buildLandscape(landscape::kDefaultSeed)) {
        const std::string extension = file.name.substr(file.name.size() - 4);
        if (extension != ".bmp" && extension != ".tga")
            continue;
        SCOPED_TRACE(file.name);
        const bool bmp = extension == ".bmp";
        const ImageResult result = bmp ? decodeDibImage(file.bytes.data(), file.bytes.size())
                                       : decodeTga(file.bytes.data(), file.bytes.size());
        ASSERT_TRUE(result.image) << (result.failure ? result.failure : "(no message)");
        const Image& image = *result.image;

        Reference ref;
        int components;
        uint8_t* data = stbi_load_from_memory(file.bytes.data(), int(file.bytes.size()), &ref.width, &ref.height,
                                              &components, image.components);
        ASSERT_TRUE(data);
        ref.channels = image.components;
        ref.pixels.assign(data, data + size_t(ref.width) * size_t(ref.height) * size_t(ref.channels));
        stbi_image_free(data);

        // BMP rows come bottom row first; TGA rows in file order, which the
        // descriptor's bit 5 says starts at the top.
        const bool bottomUp = bmp || (file.bytes[17] & 0x20) == 0;
        EXPECT_EQ(image.height, ref.height);
        EXPECT_EQ(largestDifference(image, ref, bottomUp, Widening::Exact), 0);
        ++pictures;
    }
    EXPECT_GE(pictures, 9); // terrain, detail, six sky faces, the sprite
}
