#pragma once
// The terrain: one display list, compiled once at start-up from the height map,
// with the base picture on texture unit 0 and the repeated detail picture on
// unit 1. The list lives from start-up to the end of the main loop.

#include "terrain/extensions.h"
#include "terrain/height_map.h"

#include <GL/gl.h>

struct Terrain {
    GLuint terrainTexture = 0; // "Terrain2.bmp", stretched once over the map
    GLuint detailTexture = 0;  // "Detail1.bmp", repeated across the map
    GLuint terrainList = 0;    // 0 until built, and again once deleted
};

void buildTerrainList(Terrain& terrain, const HeightMap& map, const ExtensionEntryPoints& entryPoints);
void deleteTerrainList(Terrain& terrain);
