#pragma once
// Everything the scene is made of: the records of every subsystem, filled by
// the start-up sequence and kept until the process ends.

#include "assets/geo_reference.h"
#include "assets/mesh_model.h"
#include "overlay/overlay.h"
#include "scene/flyers.h"
#include "scene/random_source.h"
#include "scene/vegetation.h"
#include "terrain/extensions.h"
#include "terrain/height_map.h"
#include "terrain/sky_box.h"
#include "terrain/terrain_mesh.h"
#include "view/camera.h"
#include "view/frustum.h"
#include "view/ground_following.h"

#include <optional>

struct World {
    Camera camera;
    GroundFollowing ground;
    FrustumPlanes frustum;
    HeightMap heightMap;
    ExtensionEntryPoints extensions;
    TerrainMesh terrain;
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
