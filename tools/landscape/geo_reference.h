// Where an imported place lies: the world transform of the part of the
// elevation model stretched over the ground, and the longitude and latitude
// of the reference's grid of world points. The record and its file
// (landscape.geo.json) are the viewer's own (assets/geo_reference.h), written
// here and read there. The world point (i, j) is the centre of the ground
// cell that the viewer draws there; x runs east along the model's columns,
// z south along its rows.
#pragma once

#include "assets/geo_reference.h"

#include <array>

namespace landscape {

using ::GeoReference;

// The world transform of a window of the model stretched over the ground:
// windowTransform maps the window's (column, row) from its top-left corner,
// and each of the ground's cells takes an equal share of the window.
std::array<double, 6> worldTransformOf(const std::array<double, 6>& windowTransform, int windowWidth,
                                       int windowHeight);

// The same where world x lies at window column firstColumn + x × columnsEach
// and z at row firstRow + z × rowsEach: from the first sample of a fine
// ground to its last (fine_ground.h).
std::array<double, 6> worldTransformOf(const std::array<double, 6>& windowTransform, double firstColumn,
                                       double columnsEach, double firstRow, double rowsEach);

// Fills the grid's longitudes and latitudes (and the corners) from the
// reference's system and transform. Throws std::runtime_error when the
// system cannot be turned into longitude and latitude.
void placeGridOnEarth(GeoReference& reference);

} // namespace landscape
