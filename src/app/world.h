#pragma once
// Everything the scene is made of: the records of every subsystem, filled by
// the start-up sequence and kept until the process ends. A landscape with a
// fine ground that serves draws it instead of the terrain list, and whatever
// stands, walks or flies on the ground finds it there.

#include "assets/geo_reference.h"
#include "assets/mesh_model.h"
#include "overlay/overlay.h"
#include "scene/flyers.h"
#include "scene/random_source.h"
#include "scene/vegetation.h"
#include "terrain/extensions.h"
#include "terrain/fine_terrain.h"
#include "terrain/ground_lookup.h"
#include "terrain/height_map.h"
#include "terrain/sky_box.h"
#include "terrain/terrain_mesh.h"
#include "view/camera.h"
#include "view/frustum.h"
#include "view/ground_following.h"
#include "view/walk_bounds.h"

#include <memory>
#include <optional>

struct World {
    Camera camera;
    GroundFollowing ground;
    FrustumPlanes frustum;
    HeightMap heightMap;
    ExtensionEntryPoints extensions;
    TerrainMesh terrain;
    std::unique_ptr<FineTerrain> fineTerrain; // "landscape.ground.tif"; null without one that serves
    SkyBox skyBox;
    GrassField grassField;
    PalmGrove palmGrove;
    FlyerSwarm flyers;
    MeshModel originPalm; // "palme4.vxm", standing at the world origin
    // Set once after start-up on an imported place whose origin is sea, cliff
    // or above the tree line: the origin palm is then not drawn.
    bool originPalmCannotStand = false;
    Overlay overlay;
    RandomSource random;
    std::optional<GeoReference> geoReference; // landscape.geo.json, read after start-up; none for most places
};

// The ground that the eye, the plants and the readout stand on: the fine
// ground's full-detail surface, or the height map's cells.
GroundLookup standingGround(const World& world);
// The ground the flyers keep above: the highest a fine ground rises near
// them, or the height map's cells.
GroundLookup flyingGround(const World& world);
// Where walking stops: at the edge of the ground drawn.
const WalkBounds& walkBounds(const World& world);
