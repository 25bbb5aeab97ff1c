#pragma once
// The fine ground, drawn by level of detail in place of the terrain list when
// the landscape holds one ("landscape.ground.tif", with "landscape.picture.tif"
// for its picture past 8192 pixels when there is one). Each frame chooses its
// nodes (ground_lod.h) and draws them front to back with the list's two
// texture units: unit 0 the terrain picture once over the ground, unit 1 the
// detail picture repeated over it, both placed by texture-coordinate
// generation. Nodes and their pictures are read and built off the frame by a
// loader thread into a cache of fixed size; a node not ready yet is drawn by
// its parent, so the frame never waits on the disk, and nothing is allocated
// per frame. The ground under the eye is kept at full detail, and every height
// that something stands on is read from the full-detail surface.

#include "assets/report.h"
#include "terrain/extensions.h"
#include "terrain/ground_layout.h"
#include "terrain/terrain_mesh.h"
#include "view/camera.h"
#include "view/frustum.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// What a frame of the fine ground cost, for the benchmark and the tests.
struct FineTerrainFigures {
    int nodesDrawn = 0;
    int trianglesDrawn = 0;       // skirts included
    float largestScreenError = 0; // pixels, over the nodes drawn
    int nodesResident = 0;
    size_t textureBytes = 0;      // picture textures resident, mipmaps included
};

class FineTerrain {
public:
    // Opens the fine ground in the working directory and reads, on this
    // thread, what the first frame needs about the eye at (x, z): the root and
    // the full detail there. Null when there is none (an empty report) or when
    // it cannot serve (the report says why, in one line). Starts the loader.
    static std::unique_ptr<FineTerrain> open(float eyeX, float eyeZ, Report& report);
    ~FineTerrain(); // stops the loader

    const GroundLayout& layout() const;

    // The full-detail surface's height at a world point clamped onto the
    // ground, as the full-detail triangles cut it. Reads the node from the
    // file on this thread when the loader has not brought it (placing the
    // plants at start-up; a jump across the ground). A node that cannot be
    // read gives the surface of its nearest ancestor that can.
    float surfaceHeight(float x, float z);
    // The same at count points (xz holds x and z in turn), read in the order
    // the file's tiles lie in, so that each tile is decoded about once.
    void surfaceHeights(const float* xz, float* heights, int count);
    // The highest the full detail rises within the level-0 node under the
    // point, from the bounds alone: what flies above it stays above the ground.
    float highestAt(float x, float z) const;

    // GL objects (the nodes' display lists, the picture's texture pool); once, after the
    // extension entry points are loaded, with the context current.
    Report createGLObjects(const ExtensionEntryPoints& entryPoints);
    // The terrain pass, with the viewer's transformation current. Uses the
    // terrain's two textures where no fine picture serves. Leaves the GL state
    // as the terrain list leaves it.
    void draw(const TerrainMesh& terrain, const ExtensionEntryPoints& entryPoints, Vector3 eye,
              const FrustumPlanes& frustum, float pixelsPerUnitAtOne, float allowedError);
    void deleteGLObjects();

    FineTerrainFigures figures() const; // of the last draw

    // What went wrong while the ground still serves, for the caller to say:
    // a fine picture that cannot serve (the terrain's own picture is drawn
    // instead) and each node that failed to read (its parent is drawn), each
    // once. Taking them empties the list; none, nothing is allocated.
    std::vector<Report> takeReports();

    struct State;

private:
    FineTerrain() = default;
    std::unique_ptr<State> state_;
};
