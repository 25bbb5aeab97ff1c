#include "assets/tga_image.h"

#include "allocation_probe.h"
#include "picture_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ImageResult decode(const Bytes& file) { return decodeTga(file.data(), file.size()); }

Bytes pixelsOf(const ImageResult& result) { return result.image ? result.image->pixels : Bytes{}; }

} // namespace

// --- Uncompressed pictures --------------------------------------------------------

TEST(TgaRaw, TwentyFourBitPixelsComeBlueGreenRed)
{
    const ImageResult result = decode(tga(2, 24, 2, 1, {10, 20, 30, 1, 2, 3}));
    ASSERT_TRUE(result.image);
    EXPECT_EQ(result.image->components, 3);
    EXPECT_EQ(result.image->pixels, (Bytes{30, 20, 10, 3, 2, 1}));
}

TEST(TgaRaw, ThirtyTwoBitPixelsKeepTheirAlphaLast)
{
    const ImageResult result = decode(tga(2, 32, 1, 1, {10, 20, 30, 40}));
    ASSERT_TRUE(result.image);
    EXPECT_EQ(result.image->components, 4);
    EXPECT_EQ(result.image->pixels, (Bytes{30, 20, 10, 40}));
}

TEST(TgaRaw, SixteenBitChannelsAreShiftedLeftByThreeAndBit15Dropped)
{
    struct Case {
        uint16_t word;
        Bytes rgb;
    };
    for (const Case& c : {Case{0x7FFF, {248, 248, 248}}, Case{0x8000, {0, 0, 0}}, Case{0x001F, {0, 0, 248}},
                          Case{0x03E0, {0, 248, 0}}, Case{0xFC00, {248, 0, 0}}, Case{0x0421, {8, 8, 8}}}) {
        const ImageResult result = decode(tga(2, 16, 1, 1, {uint8_t(c.word), uint8_t(c.word >> 8)}));
        ASSERT_TRUE(result.image);
        EXPECT_EQ(result.image->components, 3);
        EXPECT_EQ(result.image->pixels, c.rgb) << std::hex << c.word;
    }
}

TEST(TgaRaw, TheIdFieldIsSkippedButAColourMapIsNot)
{
    Bytes file = tga(2, 24, 1, 1, {10, 20, 30}, 5);
    ASSERT_EQ(file.size(), 26u);
    EXPECT_EQ(file[23], 10); // the pixels start at offset 23
    EXPECT_EQ(pixelsOf(decode(file)), (Bytes{30, 20, 10}));

    // Colour map type 1 with a 2-entry map: its bytes are read as the first pixels.
    Bytes mapped = tga(2, 24, 3, 1, {1, 2, 3, 4, 5, 6, 10, 20, 30});
    mapped[1] = 1;
    mapped[5] = 2;
    mapped[7] = 24;
    EXPECT_EQ(pixelsOf(decode(mapped)), (Bytes{3, 2, 1, 6, 5, 4, 30, 20, 10}));
}

TEST(TgaRaw, RowsKeepTheFileOrderWhateverTheDescriptorSays)
{
    const Bytes data = {1, 1, 1, 2, 2, 2};
    const Bytes bottomLeft = pixelsOf(decode(tga(2, 24, 1, 2, data, 0, 0x00)));
    const Bytes topLeft = pixelsOf(decode(tga(2, 24, 1, 2, data, 0, 0x20)));
    EXPECT_EQ(bottomLeft, (Bytes{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(topLeft, bottomLeft);
}

TEST(TgaRaw, OnlyTypeTenIsRunLengthEveryOtherTypeGoesByDepth)
{
    for (int type : {0, 1, 2, 3, 9, 11, 255}) {
        const ImageResult result = decode(tga(uint8_t(type), 24, 2, 1, {0x81, 7, 8, 9, 4, 5}));
        EXPECT_EQ(pixelsOf(result), (Bytes{8, 7, 0x81, 5, 4, 9})) << type;
    }
}

// --- Run-length pictures ------------------------------------------------------

TEST(TgaRunLength, ARunPacketRepeatsOnePixel)
{
    const ImageResult result = decode(tga(10, 32, 4, 1, {0x83, 1, 2, 3, 4}));
    ASSERT_TRUE(result.image);
    EXPECT_EQ(result.image->components, 4);
    EXPECT_EQ(result.image->pixels, (Bytes{3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4}));
}

TEST(TgaRunLength, PacketHeadersCountOneTo128PixelsAndPacketsRunOnAcrossRows)
{
    struct Case {
        uint8_t header;
        int pixels;
        bool run;
    };
    for (const Case& c : {Case{0x00, 1, false}, Case{0x7F, 128, false}, Case{0x80, 1, true}, Case{0xFF, 128, true}}) {
        SCOPED_TRACE(int(c.header));
        // The packet, then one raw pixel of 9s: it must land right after it.
        Bytes data = {c.header};
        for (int i = 0; i < (c.run ? 1 : c.pixels); ++i)
            data.insert(data.end(), {1, 2, uint8_t(i)});
        data.insert(data.end(), {0x00, 9, 9, 9});
        // Rows of 3 pixels, so longer packets run on into the next rows.
        const int total = c.pixels + 1;
        const ImageResult result = decode(tga(10, 24, 1, uint16_t(total), data));
        ASSERT_TRUE(result.image);
        const Bytes& pixels = result.image->pixels;
        ASSERT_EQ(pixels.size(), size_t(total) * 3);
        for (int i = 0; i < c.pixels; ++i)
            ASSERT_EQ((Bytes{pixels[size_t(i) * 3], pixels[size_t(i) * 3 + 2]}), (Bytes{uint8_t(c.run ? 0 : i), 1}))
                << i;
        EXPECT_EQ((Bytes(pixels.end() - 3, pixels.end())), (Bytes{9, 9, 9}));
    }
}

TEST(TgaRunLength, APacketThatWouldRunPastTheLastPixelIsCutThere)
{
    EXPECT_EQ(pixelsOf(decode(tga(10, 24, 2, 1, {0x83, 1, 2, 3, 0x80, 9, 9, 9}))), (Bytes{3, 2, 1, 3, 2, 1}));
    EXPECT_EQ(pixelsOf(decode(tga(10, 24, 2, 1, {0x00, 1, 1, 1, 0x02, 2, 2, 2, 3, 3, 3, 4, 4, 4}))),
              (Bytes{1, 1, 1, 2, 2, 2}));
}

// --- Refusals and truncation -------------------------------------------------------

TEST(TgaRefusal, UnknownDepthsAndRunLengthOutsideTwentyFourAndThirtyTwoFailInSilence)
{
    struct Case {
        uint8_t type, depth;
    };
    for (const Case& c : {Case{2, 8}, Case{3, 8}, Case{1, 8}, Case{2, 15}, Case{2, 0}, Case{2, 64}, Case{10, 16},
                          Case{10, 8}, Case{10, 15}}) {
        const ImageResult result = decode(tga(c.type, c.depth, 1, 1, Bytes(16, 1)));
        EXPECT_FALSE(result.image) << int(c.type) << "/" << int(c.depth);
        EXPECT_EQ(result.failure, nullptr);
    }
}

TEST(TgaRefusal, AHeaderCutShortOrNoPixelAtAllIsUnloadable)
{
    const Bytes good = tga(2, 24, 1, 1, {1, 2, 3});
    for (size_t size : {0, 1, 17, 18, 20})
        EXPECT_STREQ(decodeTga(good.data(), size).failure, "Unable to load TGA File!") << size;
    EXPECT_STREQ(decode(tga(10, 24, 1, 1, {0x80, 1, 2})).failure, "Unable to load TGA File!");
    Bytes idTakesThePixel = good;
    idTakesThePixel[0] = 3;
    EXPECT_STREQ(decode(idTakesThePixel).failure, "Unable to load TGA File!");
    EXPECT_STREQ(decodeTga(nullptr, 0).failure, "Unable to load TGA File!");
}

TEST(TgaRefusal, AZeroWidthOrHeightGivesAPictureWithoutPixels)
{
    for (const Bytes& file : {tga(2, 24, 0, 1, {1, 2, 3}), tga(10, 32, 7, 0, {}), tga(2, 16, 0, 0, {})}) {
        const ImageResult result = decode(file);
        ASSERT_TRUE(result.image);
        EXPECT_EQ(result.failure, nullptr);
        EXPECT_EQ(result.image->width * result.image->height, 0);
        EXPECT_TRUE(result.image->pixels.empty());
    }
}

TEST(TgaTruncation, ATruncatedFileKeepsItsSizeAndEveryMissingPixelRepeatsTheLastOneRead)
{
    struct Case {
        const char* what;
        uint8_t type, depth;
        Bytes data;
        std::vector<Bytes> pixels; // the 2 x 3 picture, pixel by pixel
        int missingRows;
    };
    const Bytes a3 = {3, 2, 1}, b3 = {6, 5, 4}, c3 = {9, 8, 7}, a4 = {3, 2, 1, 4}, b4 = {7, 6, 5, 8};
    const Bytes blue = {0, 0, 248}, red = {248, 0, 0};
    const Case cases[] = {
        {"16 bits, a word and a half", 2, 16, {0x1F, 0x00, 0x00, 0x7C, 0xFF}, {blue, red, red, red, red, red}, 2},
        {"24 bits, a pixel cut", 2, 24, {1, 2, 3, 4, 5, 6, 7, 8}, {a3, b3, b3, b3, b3, b3}, 2},
        {"24 bits, a row short", 2, 24, {1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6}, {a3, b3, a3, b3, b3, b3}, 1},
        {"32 bits, a pixel cut", 2, 32, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {a4, b4, b4, b4, b4, b4}, 2},
        {"RLE24, inside a raw packet",
         10,
         24,
         {0x00, 1, 2, 3, 0x81, 4, 5, 6, 0x02, 7, 8, 9},
         {a3, b3, b3, c3, c3, c3},
         1},
        {"RLE32, after a run packet", 10, 32, {0x81, 1, 2, 3, 4}, {a4, a4, a4, a4, a4, a4}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ImageResult result = decode(tga(c.type, c.depth, 2, 3, c.data));
        ASSERT_TRUE(result.image);
        EXPECT_EQ(result.image->width, 2);
        EXPECT_EQ(result.image->height, 3);
        EXPECT_EQ(result.image->missingRows, c.missingRows);
        Bytes expected;
        for (const Bytes& pixel : c.pixels)
            expected.insert(expected.end(), pixel.begin(), pixel.end());
        EXPECT_EQ(result.image->pixels, expected);
    }
}

TEST(TgaTruncation, AClaimBeyondTheSizeLimitIsUnloadableAndAllocatesNothingLarge)
{
    for (const uint8_t type : {uint8_t(2), uint8_t(10)}) {
        const Bytes file = tga(type, 24, 65535, 65535, {0xFF, 1, 2, 3});
        allocationProbe::start();
        const ImageResult result = decode(file);
        EXPECT_LE(allocationProbe::largest(), 4096u) << int(type);
        EXPECT_STREQ(result.failure, "Unable to load TGA File!") << int(type);
    }
    // The limit counts pixels: a 2 x 3 picture passes a limit of 6, not of 5.
    const Bytes small = tga(2, 24, 2, 3, {1, 2, 3});
    EXPECT_TRUE(decodeTga(small.data(), small.size(), 6).image);
    EXPECT_STREQ(decodeTga(small.data(), small.size(), 5).failure, "Unable to load TGA File!");
}

TEST(TgaTruncation, EveryCutOfAFileDecodesWithinItOrIsUnloadable)
{
    for (const Bytes& full : {tga(10, 32, 5, 3, {0x82, 1, 2, 3, 4, 0x03, 5, 5, 5,    5, 6, 6, 6, 6,
                                                 7,    7, 7, 7, 8, 8,    8, 8, 0xC0, 9, 9, 9, 9}),
                              tga(2, 16, 5, 3, Bytes(30, 0x5A), 3)}) {
        for (size_t size = 0; size <= full.size(); ++size) {
            const Bytes cut(full.begin(), full.begin() + long(size)); // the sanitizer knows its end
            const ImageResult result = decode(cut);
            if (result.image)
                EXPECT_EQ(result.image->pixels.size(),
                          size_t(result.image->height) * 5 * size_t(result.image->components))
                    << size;
            else
                EXPECT_STREQ(result.failure, "Unable to load TGA File!") << size;
        }
    }
}

// --- Reading files ----------------------------------------------------------------

TEST(TgaFile, OnlyAFileThatCannotBeOpenedOrLoadedHasAMessage)
{
    const PictureLoad missing = loadTga("no such sprite.tga");
    EXPECT_FALSE(missing.image);
    EXPECT_EQ(missing.report.text, "Unable to load TGA File!");

    const std::string grey = writeTempFile("grey.tga", tga(3, 8, 1, 1, {5}));
    const PictureLoad unknownDepth = loadTga(grey.c_str());
    EXPECT_FALSE(unknownDepth.image);
    EXPECT_TRUE(unknownDepth.report.failed());
    EXPECT_EQ(unknownDepth.report.text, "");
}
