#pragma once
// Choosing which nodes of the fine ground to draw this frame: from the root
// down, a node is split into its four children while its error, seen from the
// eye, spans more than the allowed pixels on the drawing surface, and always
// down to the full detail under the eye itself; nodes wholly outside the view
// volume are skipped. A node whose children are not all resident yet is drawn
// itself, so the frame never waits for the loader; the children are asked for.
// The nodes come out front to back. Nothing here allocates.

#include "terrain/ground_layout.h"
#include "view/camera.h"
#include "view/frustum.h"

#include <cstdint>

struct LodView {
    Vector3 eye;
    const FrustumPlanes* frustum = nullptr; // null: nothing is culled
    // Pixels that one world unit spans at distance 1 along the view
    // direction: the surface's height / (2 tan(fovY / 2)).
    float pixelsPerUnitAtOne = 0;
    float allowedError = kDefaultTerrainError; // pixels
};

// A node's error in pixels seen from the eye: its error bound over the
// distance from the eye to its box (the box spans the node's square and its
// bounds' heights), times pixelsPerUnitAtOne; infinite when the eye is inside
// the box and the error is not 0.
float nodeScreenError(const GroundLayout& layout, GroundNode node, const GroundNodeBounds& bounds,
                      const LodView& view);

struct LodSelection {
    // Capacities fixed when made; what does not fit is left out (drawn: the
    // selection stops refining; wanted: the request is dropped until a later frame).
    int* drawn = nullptr;   // node indices to draw, front to back
    int drawnCount = 0;
    int drawnCapacity = 0;
    int* wanted = nullptr;  // nodes to load, the most needed first
    int wantedCount = 0;
    int wantedCapacity = 0;
    float largestScreenError = 0; // pixels, over the nodes drawn
};

// Fills selection.drawn and selection.wanted. bounds and resident hold one
// entry per node (groundNodeIndex); resident is nonzero for a node that can be
// drawn now, and the root must be.
void selectGroundNodes(const GroundLayout& layout, const GroundNodeBounds* bounds, const uint8_t* resident,
                       const LodView& view, LodSelection& selection);
