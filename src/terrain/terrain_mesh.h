#pragma once
// The terrain: one display list, compiled once at start-up from the height map,
// with the base picture on texture unit 0 and the repeated detail picture on
// unit 1. The list lives from start-up to the end of the main loop.
//
// The ground is one triangle strip on a grid of 8 world units, heights taken
// as raw bytes. It runs up the first band of columns and down the next, so the
// whole map needs no restart. The first row pairs of the first two bands,
// numbered in strip order (x across, z up the page):
//
//   band 0 climbs from z = 0          band 1 descends from z = 1024
//     3 --- 2   z = 8                   0 --- 1   z = 1024
//     |   / |                           |   / |
//     1 --- 0   z = 0                   2 --- 3   z = 1016
//    x=0   x=8                         x=8   x=16
//
// After the list has run, 2-D texturing is off on both units, unit 0 is the
// active unit, unit 1 stays in combine mode with its texture matrix scaled by
// the detail repeat, and the model-view matrix is selected.

#include "terrain/extensions.h"
#include "terrain/height_map.h"

#include <GL/gl.h>

constexpr int kTerrainGridStep = 8;      // world units between strip vertices
constexpr int kTerrainColumnCount = 129; // bands start at x = 0, 8, ..., 1024
constexpr int kTerrainRowCount = 129;    // rows at z = 0, 8, ..., 1024
constexpr int kTerrainVerticesPerColumn = 2 * kTerrainRowCount;
constexpr int kTerrainVertexCount = kTerrainColumnCount * kTerrainVerticesPerColumn; // 33,282
constexpr int kDetailRepeat = 60;                      // detail repeats across the map in each direction
constexpr float kTerrainTexCoordScale = 0.0009765625f; // 1/1024: the base picture once over the map

// The GL objects that draw the terrain: its two textures and its display list.
struct TerrainMesh {
    GLuint terrainTexture = 0; // "Terrain2.bmp", stretched once over the map
    GLuint detailTexture = 0;  // "Detail1.bmp", repeated across the map
    GLuint terrainList = 0;    // 0 until built, and again once deleted
};

// A grid point of the strip in world units. The last band reaches x = 1032,
// which the height lookup wraps to column 8.
struct TerrainVertex {
    int x;
    int z;
};

// The base unit's coordinate of a point; the detail unit gets the same pair
// and its texture matrix repeats it.
struct TerrainTexCoord {
    float s; // x / 1024
    float t; // -z / 1024: a bottom-up picture shows its top edge along z = 0
};

// Vertex `index` of the strip, 0 <= index < kTerrainVertexCount.
TerrainVertex terrainStripVertex(int index);
TerrainTexCoord terrainTexCoord(float x, float z);

// Start-up, once the height map and both textures are loaded. Without the
// multitexture entry points (the run is already ending) the list holds the
// strip with the base picture alone on the default unit.
void buildTerrainList(TerrainMesh& terrain, const HeightMap& map, const ExtensionEntryPoints& entryPoints);
// Issues the whole terrain; the list build records it.
void drawTerrainMesh(const TerrainMesh& terrain, const HeightMap& map, const ExtensionEntryPoints& entryPoints);
// The base picture on unit 0 and the detail picture combined over it on unit
// 1, both enabled; and back to unit 0 alone with 2-D texturing off.
void bindTerrainTextures(const TerrainMesh& terrain, const ExtensionEntryPoints& entryPoints);
void releaseTerrainTextures(const ExtensionEntryPoints& entryPoints);
// Gives the point's coordinate to both units.
void setTerrainTexCoord(const ExtensionEntryPoints& entryPoints, float x, float z);
// After the main loop.
void deleteTerrainList(TerrainMesh& terrain);
