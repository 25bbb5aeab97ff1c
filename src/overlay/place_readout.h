#pragma once
// The readout of where you stand: one white line in the overlay's font at the
// top left of the viewport, clear of the compass, clock, counter and
// captions, shown only while F3 has it on. It reads the latitude and
// longitude in degrees with hemisphere letters (four decimals: about 11 m),
// the ground's height in metres and the heading in degrees
// ("35.5234N 84.0124W 512 m hdg 273"), or "no geographic reference" for a
// place without one. The font has no degree sign, so degrees are bare
// numbers; the widest line the format can make fits an 800-pixel window in
// the overlay's 34-pixel bold face.
//
// Hidden, nothing of it is computed or drawn. Shown, it formats into a fixed
// buffer each frame and allocates nothing.

#include "assets/geo_reference.h"
#include "overlay/text.h"
#include "terrain/ground_lookup.h"
#include "view/camera.h"
#include "view/geo_place.h"

#include <GL/gl.h>

constexpr const char* kNoGeoReferenceText = "no geographic reference";
// The line's pen start, in pixels from the viewport's top-left corner: the
// face's capitals are about 26 pixels tall, its brackets reach a little
// higher, so the top of the glyphs clears the edge.
constexpr int kReadoutLeftPixels = 8;
constexpr int kReadoutBaselinePixels = 36;
// Heights beyond this many metres either way show as this bound, so that the
// line always fits an 800-pixel viewport.
constexpr long kReadoutMostMetres = 99999;

// The line for the place, or kNoGeoReferenceText without one. Returns the
// text's length.
int formatPlaceLine(const GeoPlace* place, char (&text)[kTextBufferBytes]);

// Draws the line for the camera's place, in overlay coordinates of its own;
// called after the overlay, inside the frame's pushed model-view matrix.
// Leaves the colour white, 2-D texturing on, blending off and the model-view
// matrix selected, as the overlay does.
void drawPlaceReadout(GLuint fontListBase, const GeoReference* reference, const GroundLookup& lookup, const Camera& camera);
