#include "assets/dib_image.h"

#include "allocation_probe.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ImageResult decode(const Bytes& file) { return decodeDibImage(file.data(), file.size()); }

Bytes pixelsOf(const ImageResult& result) { return result.image ? result.image->pixels : Bytes{}; }

// A 2 x 2 8-bit picture: bottom row indices 0, 1; top row 2, 3.
Bmp twoByTwoPalette()
{
    Bmp bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.bitCount = 8;
    bmp.coloursUsed = 4;
    bmp.palette = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    bmp.pixels = {0, 1, 0, 0, 2, 3, 0, 0};
    return bmp;
}

} // namespace

// --- Layout: file header, palette, rows --------------------------------------

TEST(DibLayout, EightBitPaletteGivesEachPixelsColourAsRedGreenBlue)
{
    Bmp bmp = twoByTwoPalette();
    bmp.coloursUsed = 0; // 256 entries by the bit count
    bmp.palette.resize(256, 0);
    bmp.palette[255] = 0xFE0102;
    bmp.pixels = {255, 1, 0, 0, 2, 3, 0, 0};
    const ImageResult result = decode(bmp.bytes());
    ASSERT_TRUE(result.image) << result.failure;
    EXPECT_EQ(result.image->components, 3);
    EXPECT_EQ(result.image->width, 2);
    EXPECT_EQ(result.image->height, 2);
    EXPECT_EQ(result.image->pixels, (Bytes{0xFE, 0x01, 0x02, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xB0, 0xC0}));
}

TEST(DibLayout, PackedDibDecodesLikeTheSameFileWithItsHeaderAndTakesPixelsAfterThePalette)
{
    Bmp withHeader = twoByTwoPalette();
    // With the file header the offset decides; put a gap before the pixels.
    withHeader.pixelOffset = 14 + 40 + 16 + 4;
    Bytes file = withHeader.bytes();
    file.insert(file.begin() + 14 + 40 + 16, {9, 9, 9, 9});
    Bmp packed = twoByTwoPalette();
    packed.fileHeader = false;

    const ImageResult a = decode(file);
    const ImageResult b = decode(packed.bytes());
    ASSERT_TRUE(a.image && b.image);
    EXPECT_EQ(a.image->pixels, b.image->pixels);
    EXPECT_EQ(b.image->pixels[3], 0x40); // index 1, not a palette byte
}

TEST(DibLayout, ColoursUsedWithTwentyFourBitsSkipsThatManyPaletteEntries)
{
    for (uint32_t coloursUsed : {3u, 0x10003u}) { // only the low 16 bits count
        SCOPED_TRACE(coloursUsed);
        Bmp bmp;
        bmp.fileHeader = false;
        bmp.coloursUsed = coloursUsed;
        bmp.palette = {0x111111, 0x222222, 0x333333};
        bmp.pixels = {10, 20, 30, 0};
        EXPECT_EQ(pixelsOf(decode(bmp.bytes())), (Bytes{30, 20, 10}));
    }
}

TEST(DibLayout, WidthFiveGivesRowsOfFifteenBytesBackToBack)
{
    Bmp bmp;
    bmp.width = 5;
    bmp.height = 2;
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 5; ++x)
            bmp.pixels.insert(bmp.pixels.end(), {uint8_t(row), uint8_t(x), 7});
        bmp.pixels.push_back(0xEE); // padding to 16 bytes
    }
    const Bytes pixels = pixelsOf(decode(bmp.bytes()));
    ASSERT_EQ(pixels.size(), 30u);
    EXPECT_EQ((Bytes(pixels.begin() + 12, pixels.begin() + 18)), (Bytes{7, 4, 0, 7, 0, 1}));
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0xEE), 0);
}

TEST(DibLayout, BottomUpFileGivesTheBottomRowFirstAndTopDownGivesTheSameImage)
{
    Bmp bottomUp;
    bottomUp.width = 1;
    bottomUp.height = 3;
    bottomUp.pixels = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}; // bottom red, green, top blue
    Bmp topDown = bottomUp;
    topDown.height = -3;
    topDown.pixels = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0};

    const ImageResult a = decode(bottomUp.bytes());
    const ImageResult b = decode(topDown.bytes());
    ASSERT_TRUE(a.image && b.image);
    EXPECT_EQ(a.image->pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255}));
    EXPECT_EQ(b.image->pixels, a.image->pixels);
    EXPECT_EQ(b.image->height, 3);
}

TEST(DibLayout, CoreHeaderHasThreeBytePaletteEntries)
{
    Bmp bmp;
    bmp.headerBytes = 12;
    bmp.width = 2;
    bmp.bitCount = 1;
    bmp.palette = {0x0000FF, 0xFF8000};
    bmp.pixels = {0x40, 0, 0, 0};
    for (bool fileHeader : {true, false}) {
        bmp.fileHeader = fileHeader;
        EXPECT_EQ(pixelsOf(decode(bmp.bytes())), (Bytes{0, 0, 255, 255, 128, 0})) << fileHeader;
    }
}

// --- Pixel forms -----------------------------------------------------------------

TEST(DibPixels, IndicesArePackedMostSignificantBitsFirst)
{
    Bmp oneBit;
    oneBit.width = 10;
    oneBit.bitCount = 1;
    oneBit.palette = {0x000000, 0xFFFFFF};
    oneBit.pixels = {0xB2, 0x40, 0, 0}; // 1011 0010 01
    Bytes expected;
    for (int bit : {1, 0, 1, 1, 0, 0, 1, 0, 0, 1})
        expected.insert(expected.end(), 3, uint8_t(bit ? 255 : 0));
    EXPECT_EQ(pixelsOf(decode(oneBit.bytes())), expected);

    Bmp fourBit;
    fourBit.width = 3;
    fourBit.bitCount = 4;
    fourBit.palette.assign(16, 0);
    fourBit.palette[1] = 0x010101;
    fourBit.palette[15] = 0x0F0F0F;
    fourBit.palette[7] = 0x070707;
    fourBit.pixels = {0x1F, 0x70, 0, 0};
    EXPECT_EQ(pixelsOf(decode(fourBit.bytes())), (Bytes{1, 1, 1, 15, 15, 15, 7, 7, 7}));
}

TEST(DibPixels, IndexBeyondThePaletteIsBlack)
{
    Bmp bmp;
    bmp.width = 2;
    bmp.bitCount = 8;
    bmp.coloursUsed = 1;
    bmp.palette = {0x336699};
    bmp.pixels = {0, 200, 0, 0};
    EXPECT_EQ(pixelsOf(decode(bmp.bytes())), (Bytes{0x33, 0x66, 0x99, 0, 0, 0}));
}

TEST(DibPixels, SixteenBitsAreFiveFiveFiveWidenedSoThatThirtyOneIs255)
{
    struct Case {
        uint16_t word;
        Bytes rgb;
    };
    const Case cases[] = {
        {0x7FFF, {255, 255, 255}}, {0x8000, {0, 0, 0}},   {0xFFFF, {255, 255, 255}}, {0x001F, {0, 0, 255}},
        {0x03E0, {0, 255, 0}},     {0x7C00, {255, 0, 0}}, {0x0421, {8, 8, 8}},       {0x4210, {132, 132, 132}},
    };
    for (const Case& c : cases) {
        Bmp bmp;
        bmp.bitCount = 16;
        bmp.pixels = {uint8_t(c.word), uint8_t(c.word >> 8), 0, 0};
        EXPECT_EQ(pixelsOf(decode(bmp.bytes())), c.rgb) << std::hex << c.word;
    }
}

TEST(DibPixels, ThirtyTwoBitsAreBlueGreenRedAndAnUnusedByte)
{
    Bmp bmp;
    bmp.width = 2;
    bmp.bitCount = 32;
    bmp.pixels = {1, 2, 3, 4, 250, 251, 252, 0};
    EXPECT_EQ(pixelsOf(decode(bmp.bytes())), (Bytes{3, 2, 1, 252, 251, 250}));
}

TEST(DibPixels, BitFieldMasksFollowTheHeaderAndSelectTheChannels)
{
    Bmp rgb565;
    rgb565.width = 3;
    rgb565.bitCount = 16;
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.pixels = {0x00, 0xF8, 0x20, 0x00, 0x1F, 0x00, 0, 0}; // red, green 1 of 63, blue
    EXPECT_EQ(pixelsOf(decode(rgb565.bytes())), (Bytes{255, 0, 0, 0, 4, 0, 0, 0, 255}));

    Bmp high;
    high.bitCount = 32;
    high.compression = 3;
    high.masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
    high.pixels = {9, 30, 20, 10};
    EXPECT_EQ(pixelsOf(decode(high.bytes())), (Bytes{10, 20, 30}));

    // A packed bit-field file has its pixels after the three masks.
    Bmp packed = rgb565;
    packed.fileHeader = false;
    EXPECT_EQ(pixelsOf(decode(packed.bytes())), pixelsOf(decode(rgb565.bytes())));

    // A channel without a mask is 0; one wider than 8 bits keeps its top bits.
    Bmp odd;
    odd.bitCount = 32;
    odd.compression = 3;
    odd.masks = {0, 0x000FFC00, 0x000003FF};
    odd.pixels = {0xFF, 0x07, 0x00, 0x00}; // green 1 of 1023, blue 1023
    EXPECT_EQ(pixelsOf(decode(odd.bytes())), (Bytes{0, 0, 255}));
}

// --- Run-length pictures ------------------------------------------------------

TEST(DibRunLength, Rle8RunsAbsoluteStretchesEndOfLineDeltaAndEndOfPicture)
{
    Bmp bmp;
    bmp.width = 4;
    bmp.height = 3;
    bmp.bitCount = 8;
    bmp.compression = 1;
    bmp.coloursUsed = 4;
    bmp.palette = {0x000001, 0x000002, 0x000003, 0x000004};
    bmp.pixels = {
        2, 1, 0, 3, 2, 3, 1, 0, // row 0: run of two 1s, absolute 2 3 1 (padded), but only 4 fit
        0, 0,                   // end of line
        0, 2, 1, 1,             // delta: to x 1 of row 2
        1, 3,                   // one 3
        0, 1,                   // end of picture
        5, 2,                   // never read
    };
    const Bytes pixels = pixelsOf(decode(bmp.bytes()));
    auto blue = [&](int x, int y) { return pixels.at(size_t(y * 4 + x) * 3 + 2); };
    ASSERT_EQ(pixels.size(), 36u);
    EXPECT_EQ((Bytes{blue(0, 0), blue(1, 0), blue(2, 0), blue(3, 0)}), (Bytes{2, 2, 3, 4}));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(blue(x, 1), 0) << "row 1 is skipped, so black";
    EXPECT_EQ((Bytes{blue(0, 2), blue(1, 2), blue(2, 2), blue(3, 2)}), (Bytes{0, 4, 0, 0}));
}

TEST(DibRunLength, Rle4RunsAlternateTheirTwoIndicesAndAbsoluteStretchesArePadded)
{
    Bmp bmp;
    bmp.width = 8;
    bmp.height = 2;
    bmp.bitCount = 4;
    bmp.compression = 2;
    bmp.palette.assign(16, 0);
    for (uint32_t i = 0; i < 16; ++i)
        bmp.palette[i] = i;
    bmp.pixels = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, // 1 2 1 2 1, absolute 3 4 5 (2 bytes, padded to 2)
                  8, 0xAB, 0, 1};
    const Bytes pixels = pixelsOf(decode(bmp.bytes()));
    ASSERT_EQ(pixels.size(), 48u);
    Bytes blues;
    for (size_t i = 2; i < pixels.size(); i += 3)
        blues.push_back(pixels[i]);
    EXPECT_EQ(blues, (Bytes{1, 2, 1, 2, 1, 3, 4, 5, 10, 11, 10, 11, 10, 11, 10, 11}));
}

TEST(DibRunLength, CodesNeverWriteOutsideTheirRowOrPictureAndACutStreamEndsIt)
{
    Bmp bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.bitCount = 8;
    bmp.compression = 1;
    bmp.coloursUsed = 2;
    bmp.palette = {0x000000, 0x0000FF};
    // A run of 255 on row 0 stays on row 0; a delta far beyond the picture
    // ends it; an absolute stretch is cut by the end of the file.
    bmp.pixels = {255, 1, 0, 0, 0, 5, 1, 0};
    EXPECT_EQ(pixelsOf(decode(bmp.bytes())), (Bytes{0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}));
    bmp.pixels = {255, 1, 0, 2, 200, 200, 1, 1};
    EXPECT_EQ(pixelsOf(decode(bmp.bytes())), (Bytes{0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 0, 0}));
}

// --- Refusals ---------------------------------------------------------------------

TEST(DibRefusal, EveryHeaderSizeButTwelveAndFortyIsAnUnknownFormat)
{
    for (uint32_t size : {0u, 16u, 39u, 41u, 52u, 56u, 64u, 108u, 124u}) {
        Bmp bmp;
        bmp.headerBytes = size < 12 ? 40 : size;
        Bytes file = bmp.bytes();
        file[14] = uint8_t(size);
        file.resize(std::max<size_t>(file.size(), 200), 0);
        const ImageResult result = decode(file);
        EXPECT_FALSE(result.image) << size;
        EXPECT_STREQ(result.failure, "Unknown DIB file format.") << size;
    }
    EXPECT_STREQ(decodeDibImage(nullptr, 0).failure, "Unknown DIB file format.");
    EXPECT_STREQ(decode(Bytes{'B', 'M', 0, 0}).failure, "Unknown DIB file format.");
}

TEST(DibRefusal, BadDimensionsAndUnfitCompressionsAreConversionErrors)
{
    struct Case {
        const char* what;
        int32_t width, height;
        uint16_t bitCount;
        uint32_t compression;
    };
    const Case cases[] = {
        {"width 0", 0, 1, 24, 0},
        {"height 0", 1, 0, 24, 0},
        {"negative width", -5, 1, 24, 0},
        {"2 bits", 1, 1, 2, 0},
        {"64 bits", 1, 1, 64, 0},
        {"0 bits", 1, 1, 0, 0},
        {"RLE8 at 4 bits", 1, 1, 4, 1},
        {"RLE4 at 8 bits", 1, 1, 8, 2},
        {"RLE8 at 24 bits", 1, 1, 24, 1},
        {"bit fields at 24", 1, 1, 24, 3},
        {"bit fields at 8", 1, 1, 8, 3},
        {"JPEG", 1, 1, 24, 4},
        {"PNG", 1, 1, 24, 5},
        {"alpha bit fields", 1, 1, 32, 6},
        {"top-down RLE8", 1, -1, 8, 1},
    };
    for (const Case& c : cases) {
        Bmp bmp;
        bmp.width = c.width;
        bmp.height = c.height;
        bmp.bitCount = c.bitCount;
        bmp.compression = c.compression;
        if (c.compression == 3)
            bmp.masks = {0xFF0000, 0xFF00, 0xFF};
        bmp.pixels.assign(64, 1);
        const ImageResult result = decode(bmp.bytes());
        EXPECT_FALSE(result.image) << c.what;
        EXPECT_STREQ(result.failure, "Image file conversion error.") << c.what;
    }
}

// --- Files that claim more than they hold ----------------------------------------

TEST(DibTruncation, ATruncatedFileKeepsItsSizeAndItsMissingPixelsAreBlack)
{
    struct Case {
        const char* what;
        uint16_t bitCount;
        uint32_t compression;
        int32_t height;
        Bytes row;       // one stored row of two white pixels, padded
        size_t kept;     // pixel bytes left in the file
        const char* lit; // per pixel in Image order, bottom row first: 1 white, 0 black
        int missingRows;
    };
    const Bytes white24 = {255, 255, 255, 255, 255, 255, 0, 0};
    const Case cases[] = {
        {"1 bit", 1, 0, 3, {0xC0, 0, 0, 0}, 5, "111100", 1},
        {"4 bits", 4, 0, 3, {0x11, 0, 0, 0}, 5, "111100", 1},
        {"8 bits", 8, 0, 3, {1, 1, 0, 0}, 5, "111000", 2},
        {"16 bits", 16, 0, 3, {0xFF, 0x7F, 0xFF, 0x7F}, 6, "111000", 2},
        {"24 bits", 24, 0, 3, white24, 11, "111000", 2},
        {"24 bits, a cut padding", 24, 0, 3, white24, 22, "111111", 0},
        {"24 bits, top row first", 24, 0, -3, white24, 11, "001011", 2},
        {"32 bits", 32, 0, 3, Bytes(8, 255), 12, "111000", 2},
        {"RLE8, stops after a line", 8, 1, 3, {2, 1, 0, 0}, 4, "110000", 2},
        {"RLE8, stops at a row's end", 8, 1, 3, {2, 1, 0, 0}, 10, "111111", 0},
        {"RLE4, stops inside a code", 4, 2, 3, {2, 0x11, 0, 0}, 7, "111100", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bmp bmp;
        bmp.width = 2;
        bmp.height = c.height;
        bmp.bitCount = c.bitCount;
        bmp.compression = c.compression;
        if (c.bitCount <= 8) {
            bmp.palette.assign(c.bitCount == 1 ? 2 : 16, 0);
            bmp.palette[1] = 0xFFFFFF;
            bmp.coloursUsed = uint32_t(bmp.palette.size());
        }
        for (int i = 0; i < 3; ++i)
            bmp.pixels.insert(bmp.pixels.end(), c.row.begin(), c.row.end());
        bmp.pixels.resize(c.kept);
        const ImageResult result = decode(bmp.bytes());
        ASSERT_TRUE(result.image) << result.failure;
        EXPECT_EQ(result.image->width, 2);
        EXPECT_EQ(result.image->height, 3);
        EXPECT_EQ(result.image->missingRows, c.missingRows);
        std::string lit;
        for (size_t i = 0; i < result.image->pixels.size(); i += 3)
            lit += result.image->pixels[i] == 255 && result.image->pixels[i + 2] == 255 ? '1'
                   : result.image->pixels[i] == 0 && result.image->pixels[i + 2] == 0   ? '0'
                                                                                        : '?';
        EXPECT_EQ(lit, c.lit);
    }
}

TEST(DibTruncation, RunLengthCodesSkipAThousandRowsInAFewBytes)
{
    // A red bottom row and a red top row: end of line, then deltas of 255,
    // 255, 255 and 233 rows, then end of picture.
    for (const uint16_t bitCount : {uint16_t(8), uint16_t(4)}) {
        SCOPED_TRACE(bitCount);
        Bmp bmp;
        bmp.width = 64;
        bmp.height = 1000;
        bmp.bitCount = bitCount;
        bmp.compression = bitCount == 8 ? 1 : 2;
        bmp.palette.assign(16, 0);
        bmp.palette[1] = 0xFF0000;
        bmp.coloursUsed = 16;
        const uint8_t red = bitCount == 8 ? 1 : 0x11;
        bmp.pixels = {64, red, 0, 0};
        for (int rows : {255, 255, 255, 233})
            bmp.pixels.insert(bmp.pixels.end(), {0, 2, 0, uint8_t(rows)});
        bmp.pixels.insert(bmp.pixels.end(), {64, red, 0, 1});
        ASSERT_LT(bmp.pixels.size(), 64u);
        const ImageResult result = decode(bmp.bytes());
        ASSERT_TRUE(result.image) << result.failure;
        EXPECT_EQ(result.image->height, 1000);
        EXPECT_EQ(result.image->missingRows, 0);
        const Bytes& pixels = result.image->pixels;
        size_t redPixels = 0;
        for (size_t i = 0; i < pixels.size(); i += 3)
            redPixels += pixels[i] == 255 ? 1 : 0;
        EXPECT_EQ(redPixels, 128u);
        EXPECT_EQ(pixels.front(), 255);
        EXPECT_EQ(pixels[pixels.size() - 3], 255); // the top row's last pixel
        EXPECT_EQ(pixels[size_t(500 * 64) * 3], 0);
    }
}

TEST(DibTruncation, HeadersPalettesAndOffsetsBeyondTheFileReadNothingOutsideIt)
{
    Bmp bmp = twoByTwoPalette();
    const Bytes full = bmp.bytes();
    // Every cut: a reader message or the rows held, and nothing read past the
    // end (the sanitizer watches each copy, sized to the cut).
    for (size_t size = 0; size < full.size(); ++size) {
        const Bytes cut(full.begin(), full.begin() + long(size));
        const ImageResult result = decode(cut);
        if (result.image)
            EXPECT_EQ(result.image->pixels.size(), size_t(result.image->height) * 2 * 3) << size;
        else
            EXPECT_TRUE(result.failure) << size;
    }
    Bmp beyond = twoByTwoPalette();
    beyond.pixelOffset = 1 << 30;
    EXPECT_STREQ(decode(beyond.bytes()).failure, "Image file conversion error.");

    // Masks cut by the end of the file.
    Bmp bitFields;
    bitFields.bitCount = 16;
    bitFields.compression = 3;
    bitFields.masks = {0x7C00, 0x3E0, 0x1F};
    Bytes masks = bitFields.bytes();
    masks.resize(14 + 40 + 8);
    EXPECT_STREQ(decode(masks).failure, "Image file conversion error.");
}

TEST(DibTruncation, AClaimBeyondTheSizeLimitIsAConversionErrorAndAllocatesNothingLarge)
{
    struct Case {
        const char* what;
        uint16_t bitCount;
        uint32_t compression;
        Bytes pixels;
    };
    const Case cases[] = {
        {"24 bits, no pixels", 24, 0, {}},
        {"1 bit, two rows", 1, 0, Bytes(7500 * 2, 0xFF)},
        {"RLE8, end of picture only", 8, 1, {0, 1}},
        {"RLE8, one run", 8, 1, Bytes(60000 / 255 * 2 + 2, 255)},
    };
    for (const Case& c : cases) {
        Bmp bmp;
        bmp.fileHeader = false;
        bmp.width = 60000;
        bmp.height = 60000;
        bmp.bitCount = c.bitCount;
        bmp.compression = c.compression;
        if (c.bitCount <= 8)
            bmp.coloursUsed = 1;
        bmp.palette.assign(bmp.coloursUsed, 0xFFFFFF);
        bmp.pixels = c.pixels;
        const Bytes file = bmp.bytes();
        allocationProbe::start();
        const ImageResult result = decode(file);
        const size_t largest = allocationProbe::largest();
        SCOPED_TRACE(c.what);
        EXPECT_LE(largest, 4096u);
        EXPECT_STREQ(result.failure, "Image file conversion error.");
    }

    // The limit counts pixels: a 2 x 3 picture passes a limit of 6, not of 5.
    Bmp small;
    small.width = 2;
    small.height = -3;
    small.pixels.assign(24, 9);
    const Bytes file = small.bytes();
    EXPECT_TRUE(decodeDibImage(file.data(), file.size(), 6).image);
    EXPECT_STREQ(decodeDibImage(file.data(), file.size(), 5).failure, "Image file conversion error.");
}

// --- Reading files ----------------------------------------------------------------

TEST(DibFile, AFileThatCannotBeOpenedOrHoldsNoBytesNamesItselfInTheMessage)
{
    const std::string empty = writeTempFile("dib_empty.bmp", {});
    for (const std::string& name : {std::string("no such picture.bmp"), empty}) {
        const PictureLoad load = loadDibImage(name.c_str());
        EXPECT_FALSE(load.image);
        EXPECT_EQ(load.report.text, "Failed to open DIB file " + name + ".\n");
    }
}

TEST(DibFile, TheOpenMessageIsCutTo255CharactersAndKeepsItsLineBreak)
{
    const std::string name(300, 'x');
    const PictureLoad load = loadDibImage(name.c_str());
    EXPECT_FALSE(load.image);
    const std::string text = load.report.text;
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(0, 25), "Failed to open DIB file x");
    EXPECT_EQ(text.substr(253), ".\n");
}

TEST(DibFile, ADecodingFailureGivesTheDecodersMessageAndAGoodFileNone)
{
    Bmp v4;
    v4.headerBytes = 108;
    const PictureLoad refused = loadDibImage(writeTempFile("dib_v4.bmp", v4.bytes()).c_str());
    EXPECT_FALSE(refused.image);
    EXPECT_EQ(refused.report.text, "Unknown DIB file format.");

    const PictureLoad good = loadDibImage(writeTempFile("dib_good.bmp", twoByTwoPalette().bytes()).c_str());
    ASSERT_TRUE(good.image);
    EXPECT_EQ(good.image->pixels, pixelsOf(decode(twoByTwoPalette().bytes())));
    EXPECT_FALSE(good.report.failed());
}
