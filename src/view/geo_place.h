#pragma once
// Where the viewer stands on the Earth, from the place's geographic reference
// (assets/geo_reference.h): the eye's latitude and longitude, the ground's
// height under it in metres, and the heading of the horizontal view in
// degrees clockwise from true north. Pure: no state, no allocation, cheap
// enough to run every frame.
//
// Degrees come from the reference's 17 x 17 grid, bilinear between its points
// and clamped to its edge outside world 0 .. 1024. North and east are taken
// from the grid around the eye, so a projected model whose grid is turned
// against the meridians (grid convergence) still gives a true heading.

#include "assets/geo_reference.h"
#include "terrain/ground_lookup.h"
#include "view/camera.h"

struct GeoPlace {
    double latitude, longitude; // degrees, north and east positive; longitude in [-180, 180]
    double groundMetres;        // the ground under the eye, above the model's datum
    double headingDegrees;      // [0, 360): 0 north, 90 east
};

// Longitude and latitude of world point (x, z), clamped to the grid.
LonLat lonLatAt(const GeoReference& reference, double x, double z);

// The heading of the camera's horizontal view, degrees clockwise from true
// north in [0, 360): what the readout shows and the compass points by.
double headingOf(const GeoReference& reference, const Camera& camera);

// The ground's height comes from the lookup at the eye: the height map's
// cell, or a fine ground's surface at the eye's own point.
GeoPlace placeOf(const GeoReference& reference, const GroundLookup& lookup, const Camera& camera);
