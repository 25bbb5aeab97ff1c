#include "terrain/terrain_mesh.h"

#include <GL/glext.h>

namespace {

bool hasMultitexture(const ExtensionEntryPoints& entryPoints)
{
    return entryPoints.glActiveTextureARB != nullptr && entryPoints.glMultiTexCoord2fARB != nullptr;
}

// Unit 1 multiplies the detail texel into unit 0's result: the combine
// defaults modulate, and a scale of 1 keeps the product as it is.
void setUpDetailUnit(const TerrainMesh& terrain, const ExtensionEntryPoints& entryPoints)
{
    entryPoints.glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 1);
    glBindTexture(GL_TEXTURE_2D, terrain.detailTexture);

    // Loading the identity first keeps every run of the list at one scale
    // instead of compounding it.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glScalef(static_cast<float>(kDetailRepeat), static_cast<float>(kDetailRepeat), 1.0f);
    glMatrixMode(GL_MODELVIEW);
}

} // namespace

TerrainVertex terrainStripVertex(int index)
{
    const int column = index / kTerrainVerticesPerColumn;
    const int inColumn = index % kTerrainVerticesPerColumn;
    const int row = inColumn / 2;
    const bool firstOfPair = inColumn % 2 == 0;
    const int x = column * kTerrainGridStep;
    const int lastZ = (kTerrainRowCount - 1) * kTerrainGridStep;

    // Even bands climb z with the right edge first, odd bands descend with the
    // left edge first, so every triangle inside a band faces +y.
    if (column % 2 == 0)
        return {firstOfPair ? x + kTerrainGridStep : x, row * kTerrainGridStep};
    return {firstOfPair ? x : x + kTerrainGridStep, lastZ - row * kTerrainGridStep};
}

TerrainTexCoord terrainTexCoord(float x, float z) { return {x * kTerrainTexCoordScale, z * -kTerrainTexCoordScale}; }

void setTerrainTexCoord(const ExtensionEntryPoints& entryPoints, float x, float z)
{
    const TerrainTexCoord coord = terrainTexCoord(x, z);
    if (hasMultitexture(entryPoints)) {
        entryPoints.glMultiTexCoord2fARB(GL_TEXTURE0_ARB, coord.s, coord.t);
        entryPoints.glMultiTexCoord2fARB(GL_TEXTURE1_ARB, coord.s, coord.t);
    } else {
        glTexCoord2f(coord.s, coord.t);
    }
}

void bindTerrainTextures(const TerrainMesh& terrain, const ExtensionEntryPoints& entryPoints)
{
    const bool multitexture = hasMultitexture(entryPoints);
    if (multitexture)
        entryPoints.glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, terrain.terrainTexture);
    if (multitexture)
        setUpDetailUnit(terrain, entryPoints);
}

void releaseTerrainTextures(const ExtensionEntryPoints& entryPoints)
{
    // Later bindings, the sky box's first, must land on unit 0.
    if (hasMultitexture(entryPoints)) {
        entryPoints.glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        entryPoints.glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glDisable(GL_TEXTURE_2D);
}

void drawTerrainMesh(const TerrainMesh& terrain, const HeightMap& map, const ExtensionEntryPoints& entryPoints)
{
    bindTerrainTextures(terrain, entryPoints);
    glBegin(GL_TRIANGLE_STRIP);
    for (int index = 0; index < kTerrainVertexCount; ++index) {
        const TerrainVertex vertex = terrainStripVertex(index);
        const int height = heightAt(&map, vertex.x, vertex.z);
        setTerrainTexCoord(entryPoints, static_cast<float>(vertex.x), static_cast<float>(vertex.z));
        glVertex3i(vertex.x, height, vertex.z);
    }
    glEnd();
    releaseTerrainTextures(entryPoints);
}

void buildTerrainList(TerrainMesh& terrain, const HeightMap& map, const ExtensionEntryPoints& entryPoints)
{
    terrain.terrainList = glGenLists(1);
    if (terrain.terrainList == 0)
        return;
    // Texture names and heights are taken as they are now; nothing rebuilds it.
    glNewList(terrain.terrainList, GL_COMPILE);
    drawTerrainMesh(terrain, map, entryPoints);
    glEndList();
}

void deleteTerrainList(TerrainMesh& terrain)
{
    if (terrain.terrainList != 0)
        glDeleteLists(terrain.terrainList, 1);
    terrain.terrainList = 0;
}
