#include "overlay/place_readout.h"

#include "overlay/overlay.h"

#include <algorithm>
#include <cmath>

namespace {

// Half the last digit shown: a value that prints as zero takes the positive
// hemisphere's letter.
constexpr double kHalfLastDigit = 0.00005;

} // namespace

int formatPlaceLine(const GeoPlace* place, char (&text)[kTextBufferBytes])
{
    if (!place)
        return formatText(text, "%s", kNoGeoReferenceText);
    const double metres = std::clamp(place->groundMetres, double(-kReadoutMostMetres), double(kReadoutMostMetres));
    const long heading = std::lround(place->headingDegrees) % 360;
    return formatText(text, "%.4f%c %.4f%c %ld m hdg %ld", std::fabs(place->latitude),
                      place->latitude < -kHalfLastDigit ? 'S' : 'N', std::fabs(place->longitude),
                      place->longitude < -kHalfLastDigit ? 'W' : 'E', std::lround(metres), heading);
}

void drawPlaceReadout(GLuint fontListBase, const GeoReference* reference, const GroundLookup& lookup, const Camera& camera)
{
    char text[kTextBufferBytes];
    if (reference) {
        const GeoPlace place = placeOf(*reference, lookup, camera);
        formatPlaceLine(&place, text);
    } else {
        formatPlaceLine(nullptr, text);
    }
    beginOverlay();
    // The top-left corner, then a pen move in pixels: the line keeps its
    // place and size in a window of any shape.
    glColor3f(1, 1, 1);
    glRasterPos2f(-1, 1);
    glBitmap(0, 0, 0, 0, kReadoutLeftPixels, -kReadoutBaselinePixels, nullptr);
    printText(fontListBase, "%s", text);
    endOverlay();
}
