#include "platform/glyphs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

using namespace platform;

namespace {

constexpr int kOverlayHeight = 34;
constexpr int kBold = 700;
constexpr int kRegular = 400;

int rowBytes(const GlyphBitmap& g) { return (g.width + 7) / 8; }

// row counts from the bottom, as glBitmap reads it
bool pixel(const GlyphBitmap& g, int x, int row)
{
    return (g.bits[row * rowBytes(g) + x / 8] & (0x80 >> (x % 8))) != 0;
}

int pixelsInRow(const GlyphBitmap& g, int row)
{
    int n = 0;
    for (int x = 0; x < g.width; ++x)
        n += pixel(g, x, row);
    return n;
}

int longestRunInRow(const GlyphBitmap& g, int row)
{
    int best = 0, run = 0;
    for (int x = 0; x < g.width; ++x) {
        run = pixel(g, x, row) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

bool drawsNothing(const GlyphBitmap& g)
{
    for (int row = 0; row < g.height; ++row)
        if (pixelsInRow(g, row) > 0)
            return false;
    return true;
}

bool sameBitmap(const GlyphBitmap& a, const GlyphBitmap& b)
{
    return a.width == b.width && a.height == b.height && std::memcmp(a.bits, b.bits, sizeof a.bits) == 0;
}

// Bytes past the rows and pad bits past each row's width must stay clear.
bool unusedBitsClear(const GlyphBitmap& g)
{
    for (int i = rowBytes(g) * g.height; i < kMaxGlyphBytes; ++i)
        if (g.bits[i] != 0)
            return false;
    for (int row = 0; row < g.height; ++row)
        for (int x = g.width; x < rowBytes(g) * 8; ++x)
            if (pixel(g, x, row))
                return false;
    return true;
}

const GlyphBitmap& glyphOf(const GlyphSet& set, char c) { return set.glyphs[c - kFirstGlyph]; }

std::unique_ptr<GlyphSet> load(const char* face, int height, int weight)
{
    auto set = std::make_unique<GlyphSet>();
    EXPECT_TRUE(loadGlyphs(face, height, weight, *set)) << face << " at " << height;
    return set;
}

class OverlayFace : public testing::Test {
protected:
    static void SetUpTestSuite() { face = load("Stencil", kOverlayHeight, kBold).release(); }
    static void TearDownTestSuite() { delete face; }
    static GlyphSet* face;
};
GlyphSet* OverlayFace::face = nullptr;

} // namespace

// loadGlyphs: the overlay's face

TEST_F(OverlayFace, ComesFromAReadableFile)
{
    std::FILE* file = std::fopen(face->facePath, "rb");
    EXPECT_NE(file, nullptr) << face->facePath;
    if (file)
        std::fclose(file);
}

TEST_F(OverlayFace, CapitalsStandOnTheBaselineAtCapitalHeight)
{
    for (char c : {'E', 'H', 'I', 'N', 'T'}) {
        const GlyphBitmap& g = glyphOf(*face, c);
        EXPECT_GE(g.height, 22) << c;
        EXPECT_LE(g.height, 30) << c;
        EXPECT_LE(std::abs(g.originY), 1) << c;
        EXPECT_GT(g.advance, static_cast<float>(g.width - g.originX - 1)) << c;
    }
}

TEST_F(OverlayFace, LowercaseDescendersHangBelowTheBaseline)
{
    EXPECT_GE(glyphOf(*face, 'p').originY, 4);
    EXPECT_GE(glyphOf(*face, 'g').originY, 4);
}

TEST_F(OverlayFace, StrokesAreBold)
{
    const GlyphBitmap& i = glyphOf(*face, 'I');
    EXPECT_GE(longestRunInRow(i, i.height / 2), 4);
}

TEST_F(OverlayFace, RowsRunBottomUpWithTheLeftPixelInTheTopBit)
{
    const GlyphBitmap& t = glyphOf(*face, 'T'); // bar on top, stem below
    EXPECT_GT(pixelsInRow(t, t.height - 1), 2 * pixelsInRow(t, 0));
    const GlyphBitmap& l = glyphOf(*face, 'L'); // stem on the left, foot on the bottom
    EXPECT_TRUE(pixel(l, 0, l.height - 1));
    EXPECT_FALSE(pixel(l, l.width - 1, l.height - 1));
    EXPECT_GT(pixelsInRow(l, 0), 2 * pixelsInRow(l, l.height - 1));
}

TEST_F(OverlayFace, CompassGlyphsAreDrawnAndDistinct)
{
    const char compass[] = {'N', 'S', 'W', 'O', '+'};
    for (char a : compass) {
        EXPECT_FALSE(drawsNothing(glyphOf(*face, a))) << a;
        for (char b : compass) {
            if (a == b)
                continue;
            EXPECT_FALSE(sameBitmap(glyphOf(*face, a), glyphOf(*face, b))) << a << " vs " << b;
        }
    }
}

TEST_F(OverlayFace, SpaceDrawsNothingButAdvances)
{
    const GlyphBitmap& space = glyphOf(*face, ' ');
    EXPECT_TRUE(space.width == 0 || drawsNothing(space));
    EXPECT_GT(space.advance, 0.0f);
}

TEST_F(OverlayFace, EveryGlyphFitsItsRecord)
{
    for (const GlyphBitmap& g : face->glyphs) {
        EXPECT_LE(g.width, kMaxGlyphWidth);
        EXPECT_LE(g.height, kMaxGlyphRows);
        EXPECT_TRUE(unusedBitsClear(g));
    }
}

// loadGlyphs: other requests

TEST(LoadGlyphs, BoldIsThickerThanRegular)
{
    auto regular = load("Stencil", kOverlayHeight, kRegular);
    auto bold = load("Stencil", kOverlayHeight, kBold);
    const GlyphBitmap& thin = glyphOf(*regular, 'I');
    const GlyphBitmap& thick = glyphOf(*bold, 'I');
    EXPECT_GT(longestRunInRow(thick, thick.height / 2), longestRunInRow(thin, thin.height / 2));
}

// Only a face without a bold style exercises the thickening; skip when the
// machine has none under this name.
TEST(LoadGlyphs, AFaceWithoutBoldIsThickened)
{
    auto regular = load("Noto Mono", kOverlayHeight, kRegular);
    auto bold = load("Noto Mono", kOverlayHeight, kBold);
    if (std::strcmp(regular->facePath, bold->facePath) != 0)
        GTEST_SKIP() << "a bold style exists: " << bold->facePath;
    const GlyphBitmap& thin = glyphOf(*regular, 'I');
    const GlyphBitmap& thick = glyphOf(*bold, 'I');
    EXPECT_GT(longestRunInRow(thick, thick.height / 2), longestRunInRow(thin, thin.height / 2));
    EXPECT_GE(glyphOf(*bold, 'M').advance, glyphOf(*regular, 'M').advance);
}

TEST(LoadGlyphs, AnUnknownOrMissingNameGetsASubstitute)
{
    for (const char* name : {"No Such Face Lumora 7q", "", static_cast<const char*>(nullptr)}) {
        auto set = load(name, kOverlayHeight, kBold);
        EXPECT_NE(set->facePath[0], '\0');
        EXPECT_FALSE(drawsNothing(glyphOf(*set, 'A')));
    }
}

TEST(LoadGlyphs, RepeatsExactly)
{
    auto first = load("Stencil", kOverlayHeight, kBold);
    auto second = load("Stencil", kOverlayHeight, kBold);
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(GlyphSet)), 0);
}

TEST(LoadGlyphs, ANonPositiveHeightFailsAndLeavesTheSetEmpty)
{
    for (int height : {0, -kOverlayHeight}) {
        auto set = std::make_unique<GlyphSet>();
        std::memset(set.get(), 0xAB, sizeof(GlyphSet));
        EXPECT_FALSE(loadGlyphs("Stencil", height, kBold, *set));
        EXPECT_EQ(set->facePath[0], '\0');
        for (const GlyphBitmap& g : set->glyphs) {
            EXPECT_EQ(g.width, 0);
            EXPECT_EQ(g.advance, 0.0f);
            EXPECT_TRUE(unusedBitsClear(g));
        }
    }
}

// At 400 pixels nearly every glyph is larger than the record: each keeps its
// top-left corner where the whole glyph would have it.
TEST(LoadGlyphs, AHugeHeightIsClippedToTheBound)
{
    constexpr int kHuge = 400;
    auto set = load("Stencil", kHuge, kBold);
    for (const GlyphBitmap& g : set->glyphs) {
        EXPECT_LE(g.width, kMaxGlyphWidth);
        EXPECT_LE(g.height, kMaxGlyphRows);
        EXPECT_TRUE(unusedBitsClear(g));
    }
    const GlyphBitmap& w = glyphOf(*set, 'W');
    EXPECT_EQ(w.width, kMaxGlyphWidth);
    EXPECT_EQ(w.height, kMaxGlyphRows);
    const int capitalTop = w.height - w.originY;
    EXPECT_GE(capitalTop, 22 * kHuge / kOverlayHeight);
    EXPECT_LE(capitalTop, 30 * kHuge / kOverlayHeight);
    EXPECT_GT(w.advance, static_cast<float>(kMaxGlyphWidth));
}

// packGlyphBitmap

TEST(PackGlyphBitmap, FlipsRowsAndPlacesTheOrigin)
{
    const uint8_t source[] = {0b10100000, 0b01000000}; // top row X.X, bottom row .X.
    GlyphBitmap g{};
    packGlyphBitmap(source, 1, 3, 2, 2, 5, g);
    EXPECT_EQ(g.width, 3);
    EXPECT_EQ(g.height, 2);
    EXPECT_EQ(g.bits[0], 0b01000000);
    EXPECT_EQ(g.bits[1], 0b10100000);
    EXPECT_EQ(g.originX, -2); // image starts 2 right of the pen
    EXPECT_EQ(g.originY, -3); // its bottom row is 3 above the baseline
}

TEST(PackGlyphBitmap, IgnoresSourcePaddingAndFollowsThePitch)
{
    // 9 pixels wide: the ninth is the top bit of a second byte; the source
    // pads rows to 4 bytes with set bits that must not leak in.
    const uint8_t source[] = {0xFF, 0x80, 0xFF, 0xFF,  // 9 set
                              0x00, 0xFF, 0xFF, 0xFF}; // only the 9th set
    GlyphBitmap g{};
    packGlyphBitmap(source, 4, 9, 2, 0, 2, g);
    ASSERT_EQ(rowBytes(g), 2);
    EXPECT_EQ(pixelsInRow(g, 1), 9);
    EXPECT_EQ(pixelsInRow(g, 0), 1);
    EXPECT_TRUE(pixel(g, 8, 0));
    EXPECT_TRUE(unusedBitsClear(g));

    // The same image stored bottom-up: start at its last row, step back.
    GlyphBitmap up{};
    packGlyphBitmap(source + 4, -4, 9, 2, 0, 2, up);
    EXPECT_EQ(pixelsInRow(up, 1), 1);
    EXPECT_EQ(pixelsInRow(up, 0), 9);
}

TEST(PackGlyphBitmap, EmptyImagesDrawNothing)
{
    const uint8_t source[] = {0xFF};
    for (auto [width, height] : {std::pair{0, 1}, {1, 0}, {-3, 1}, {1, -3}}) {
        GlyphBitmap g{};
        packGlyphBitmap(source, 1, width, height, 4, 4, g);
        EXPECT_EQ(g.width, 0);
        EXPECT_EQ(g.height, 0);
        EXPECT_EQ(g.originX, 0);
        EXPECT_EQ(g.originY, 0);
        EXPECT_TRUE(unusedBitsClear(g));
    }
}

// The record is allocated alone so that AddressSanitizer sees any write past
// its bits; one pixel beyond the bound in each direction must be dropped.
TEST(PackGlyphBitmap, KeepsTheTopLeftOfAnImageBeyondTheBound)
{
    for (int extra : {0, 1, 37}) {
        const int width = kMaxGlyphWidth + extra, height = kMaxGlyphRows + extra;
        const int pitch = (width + 7) / 8;
        auto patterned = [](int x, int y) { return (x * 7 + y * 3) % 5 == 0; };
        std::vector<uint8_t> source(static_cast<size_t>(pitch * height), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (patterned(x, y))
                    source[y * pitch + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));

        auto g = std::make_unique<GlyphBitmap>();
        const int top = 100;
        packGlyphBitmap(source.data(), pitch, width, height, -1, top, *g);
        ASSERT_EQ(g->width, kMaxGlyphWidth) << extra;
        ASSERT_EQ(g->height, kMaxGlyphRows) << extra;
        EXPECT_EQ(g->originX, 1);
        EXPECT_EQ(g->height - g->originY, top) << "top edge moved";
        int mismatches = 0;
        for (int y = 0; y < kMaxGlyphRows; ++y)
            for (int x = 0; x < kMaxGlyphWidth; ++x)
                mismatches += pixel(*g, x, kMaxGlyphRows - 1 - y) != patterned(x, y);
        EXPECT_EQ(mismatches, 0) << extra;
    }
}
