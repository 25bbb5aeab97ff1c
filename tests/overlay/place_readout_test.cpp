#include "overlay/place_readout.h"

#include "overlay/font.h"
#include "platform/glyphs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

std::string lineFor(const GeoPlace* place)
{
    char text[kTextBufferBytes];
    const int length = formatPlaceLine(place, text);
    EXPECT_EQ(length, static_cast<int>(std::string(text).size()));
    return text;
}

TEST(PlaceLine, DegreesWithHemisphereLettersMetresAndHeading)
{
    struct Case {
        GeoPlace place;
        const char* line;
    };
    const Case cases[] = {
        {{35.523414, -84.012361, 512.4, 273.4}, "35.5234N 84.0124W 512 m hdg 273"},
        {{-33.9, 151.2, -3.6, 359.6}, "33.9000S 151.2000E -4 m hdg 0"},
        {{-0.00004, -0.00004, -0.4, 0.49}, "0.0000N 0.0000E 0 m hdg 0"},
        {{-0.00006, -180, 8848.6, 89.5}, "0.0001S 180.0000W 8849 m hdg 90"},
        {{90, 180, 1e9, 180}, "90.0000N 180.0000E 99999 m hdg 180"},
        {{-90, 0, -1e9, 359.4}, "90.0000S 0.0000E -99999 m hdg 359"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lineFor(&c.place), c.line);
    EXPECT_EQ(lineFor(nullptr), "no geographic reference");
}

// The overlay's own glyphs: the widest line the format can make fits an
// 800-pixel viewport from the readout's left margin.
TEST(PlaceLine, TheWidestLineFitsAnEightHundredPixelWindow)
{
    const auto glyphs = std::make_unique<platform::GlyphSet>();
    ASSERT_TRUE(platform::loadGlyphs(kOverlayFaceName, kOverlayFontPixels, kOverlayFontWeight, *glyphs));
    const auto advance = [&](char c) { return glyphs->glyphs[c - platform::kFirstGlyph].advance; };
    const auto widest = [&](const char* choices) {
        char best = choices[0];
        for (const char* c = choices; *c; ++c)
            best = advance(*c) > advance(best) ? *c : best;
        return best;
    };
    const char digit = widest("0123456789");
    const char latitude = widest("NS");
    const char longitude = widest("EW");
    // Each digit of the format at the widest digit's width.
    std::string line = "00.0000N 000.0000E -00000 m hdg 000";
    for (char& c : line)
        c = c == '0' ? digit : c == 'N' ? latitude : c == 'E' ? longitude : c;
    for (const std::string& text : {line, std::string(kNoGeoReferenceText)}) {
        float width = 0;
        for (char c : text)
            width += advance(c);
        EXPECT_LE(kReadoutLeftPixels + width, 800) << text;
        EXPECT_GT(width, 200) << "the face's glyphs were not measured";
    }
}

} // namespace
