#include "terrain/terrain_mesh.h"

void buildTerrainList(Terrain&, const HeightMap&, const ExtensionEntryPoints&)
{
    // The terrain mesh comes with the terrain's own work; until then the frame
    // calls list 0, which draws nothing.
}

void deleteTerrainList(Terrain& terrain)
{
    if (terrain.terrainList != 0)
        glDeleteLists(terrain.terrainList, 1);
    terrain.terrainList = 0;
}
