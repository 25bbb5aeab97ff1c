#include "overlay/place_readout.h"

#include "overlay/font.h"
#include "platform/glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

TEST(PlaceLine, DegreesWithHemisphereLettersMetresAndHeading)
{
    const struct {
        GeoPlace place;
        const char* line;
    } cases[] = {
        {{35.523414, -84.012361, 512.4, 273.4}, "35.5234N 84.0124W 512 m hdg 273"},
        {{-33.9, 151.2, -3.6, 359.6}, "33.9000S 151.2000E -4 m hdg 0"},
        {{-0.00004, -0.00004, -0.4, 0.49}, "0.0000N 0.0000E 0 m hdg 0"},
        {{-0.00006, -180, 1e9, 89.5}, "0.0001S 180.0000W 99999 m hdg 90"},
        {{-90, 0, -1e9, 359.4}, "90.0000S 0.0000E -99999 m hdg 359"},
    };
    char text[kTextBufferBytes];
    for (const auto& c : cases) {
        EXPECT_EQ(formatPlaceLine(&c.place, text), int(std::string(c.line).size()));
        EXPECT_STREQ(text, c.line);
    }
    formatPlaceLine(nullptr, text);
    EXPECT_STREQ(text, "no geographic reference");
}

// Measured with the overlay's own glyphs: the widest line the format can
// make fits an 800-pixel viewport from the readout's left margin.
TEST(PlaceLine, TheWidestLineFitsAnEightHundredPixelWindow)
{
    const auto glyphs = std::make_unique<platform::GlyphSet>();
    ASSERT_TRUE(platform::loadGlyphs(kOverlayFaceName, kOverlayFontPixels, kOverlayFontWeight, *glyphs));
    const auto advance = [&](char c) { return glyphs->glyphs[c - platform::kFirstGlyph].advance; };
    const auto widest = [&](std::string choices) {
        return *std::max_element(choices.begin(), choices.end(),
                                 [&](char a, char b) { return advance(a) < advance(b); });
    };
    std::string line = "00.0000N 000.0000E -00000 m hdg 000";
    for (char& c : line)
        c = c == '0' ? widest("0123456789") : c == 'N' ? widest("NS") : c == 'E' ? widest("EW") : c;
    for (const std::string& text : {line, std::string(kNoGeoReferenceText)}) {
        float width = 0;
        for (char c : text)
            width += advance(c);
        EXPECT_LE(kReadoutLeftPixels + width, 800) << text;
        EXPECT_GT(width, 200) << "no glyphs were measured";
    }
}

} // namespace
