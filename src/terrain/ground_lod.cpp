#include "terrain/ground_lod.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace {

// The most levels a ground has: 16385 a side holds 2^9 nodes across at level 0.
constexpr int kMostGroundLevels = 10;
static_assert(((kMostFineGroundSide - 1) >> (kMostGroundLevels - 1)) == kGroundNodeQuads);
// Depth first, each split leaves at most three siblings waiting on every level
// above the one being split, and pushes four.
constexpr int kNodeStackCapacity = 3 * kMostGroundLevels + 4;

float distanceToBox(const GroundLayout& layout, GroundNode node, const GroundNodeBounds& bounds, Vector3 eye)
{
    const GroundRect rect = nodeRect(layout, node);
    const float dx = std::max({rect.x0 - eye.x, 0.0f, eye.x - rect.x1});
    const float dy = std::max({bounds.minHeight - eye.y, 0.0f, eye.y - bounds.maxHeight});
    const float dz = std::max({rect.z0 - eye.z, 0.0f, eye.z - rect.z1});
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Squared distance across the ground from the eye to the node's middle: the
// order of four siblings by it is an order front to back.
float flatDistanceSquared(const GroundLayout& layout, GroundNode node, Vector3 eye)
{
    const GroundRect rect = nodeRect(layout, node);
    const float dx = 0.5f * (rect.x0 + rect.x1) - eye.x;
    const float dz = 0.5f * (rect.z0 + rect.z1) - eye.z;
    return dx * dx + dz * dz;
}

bool isVisible(const GroundLayout& layout, GroundNode node, const GroundNodeBounds& bounds, const LodView& view)
{
    if (view.frustum == nullptr)
        return true;
    const GroundRect rect = nodeRect(layout, node);
    return view.frustum->containsBox(rect.x0, bounds.minHeight, rect.z0, rect.x1, bounds.maxHeight, rect.z1);
}

// A node's four children, nearest the eye first.
void childrenNearestFirst(const GroundLayout& layout, GroundNode node, Vector3 eye, GroundNode (&children)[4])
{
    float distance[4];
    for (int child = 0; child < 4; ++child) {
        const GroundNode c = childNode(node, child);
        const float d = flatDistanceSquared(layout, c, eye);
        int at = child;
        for (; at > 0 && distance[at - 1] > d; --at) {
            children[at] = children[at - 1];
            distance[at] = distance[at - 1];
        }
        children[at] = c;
        distance[at] = d;
    }
}

// The nodes to load, kept in order of need: first those on the eye's own
// path (fixed once placed), then the rest by the screen error of the parent
// that wants them, larger first; equal errors keep the order they came in.
// The errors are kept beside the list for the search, so the list is held to
// kWantedSortCapacity whatever capacity the selection offers.
class WantedList {
public:
    static constexpr int kWantedSortCapacity = 1024;

    explicit WantedList(LodSelection& selection)
        : selection_(selection), capacity_(std::min(selection.wantedCapacity, kWantedSortCapacity))
    {}

    void addOnEyePath(int index)
    {
        if (selection_.wantedCount < capacity_) {
            errors_[selection_.wantedCount] = std::numeric_limits<float>::infinity();
            selection_.wanted[selection_.wantedCount++] = index;
        }
        eyePathCount_ = selection_.wantedCount;
    }

    void add(int index, float parentError)
    {
        const int count = selection_.wantedCount;
        const int at = static_cast<int>(
            std::upper_bound(errors_ + eyePathCount_, errors_ + count, parentError, std::greater<float>()) - errors_);
        if (at >= capacity_)
            return;                                      // less needed than everything kept
        const int last = std::min(count, capacity_ - 1); // the least needed falls off a full list
        for (int i = last; i > at; --i) {
            selection_.wanted[i] = selection_.wanted[i - 1];
            errors_[i] = errors_[i - 1];
        }
        selection_.wanted[at] = index;
        errors_[at] = parentError;
        selection_.wantedCount = last + 1;
    }

private:
    LodSelection& selection_;
    int capacity_;
    int eyePathCount_ = 0;
    float errors_[kWantedSortCapacity];
};

} // namespace

float nodeScreenError(const GroundLayout& layout, GroundNode node, const GroundNodeBounds& bounds,
                      const LodView& view)
{
    if (!(bounds.error > 0))
        return 0;
    const float distance = distanceToBox(layout, node, bounds, view.eye);
    if (!(distance > 0))
        return std::numeric_limits<float>::infinity();
    return bounds.error / distance * view.pixelsPerUnitAtOne;
}

void selectGroundNodes(const GroundLayout& layout, const GroundNodeBounds* bounds, const uint8_t* resident,
                       const LodView& view, LodSelection& selection)
{
    selection.drawnCount = 0;
    selection.wantedCount = 0;
    selection.largestScreenError = 0;
    WantedList wanted(selection);
    const GroundNode root{rootLevel(layout), 0, 0};

    // The ground under the eye is drawn at full detail, so its path is asked
    // for first, whether it is in view or not: the eye stands on it.
    const bool eyeOnGround =
        view.eye.x >= 0 && view.eye.x <= kGroundWorldSize && view.eye.z >= 0 && view.eye.z <= kGroundWorldSize;
    const GroundNode eyeLeaf = leafNodeAt(layout, view.eye.x, view.eye.z);
    auto holdsEye = [&](GroundNode node) {
        return eyeOnGround && (eyeLeaf.x >> node.level) == node.x && (eyeLeaf.z >> node.level) == node.z;
    };
    int eyeWaiting = -1; // the node on the eye's path whose children were asked for
    if (eyeOnGround) {
        for (GroundNode node = root; node.level > 0 && eyeWaiting < 0;) {
            const int below = node.level - 1;
            const GroundNode eyeChild{below, eyeLeaf.x >> below, eyeLeaf.z >> below};
            GroundNode children[4];
            childrenNearestFirst(layout, node, view.eye, children);
            GroundNode* own = std::find_if(children, children + 4,
                                           [&](GroundNode c) { return c.x == eyeChild.x && c.z == eyeChild.z; });
            std::rotate(children, own, own + 1); // the eye's own child first, the rest nearest first
            for (const GroundNode& child : children) {
                const int index = groundNodeIndex(layout, child);
                if (!resident[index]) {
                    wanted.addOnEyePath(index);
                    eyeWaiting = groundNodeIndex(layout, node);
                }
            }
            node = eyeChild;
        }
    }

    // Depth first from the root, nearest child first, so nodes come out front
    // to back. While a node waits on the stack it holds a place in drawn, so a
    // split never leaves more nodes than drawn can take.
    GroundNode stack[kNodeStackCapacity];
    int stackSize = 0;
    if (selection.drawnCapacity > 0 && isVisible(layout, root, bounds[0], view))
        stack[stackSize++] = root;
    while (stackSize > 0) {
        const GroundNode node = stack[--stackSize];
        const int index = groundNodeIndex(layout, node);
        const float error = nodeScreenError(layout, node, bounds[index], view);
        if (node.level > 0 && (error > view.allowedError || holdsEye(node))) {
            GroundNode children[4];
            childrenNearestFirst(layout, node, view.eye, children);
            int visible[4];
            int visibleCount = 0;
            bool allResident = true;
            for (const GroundNode& child : children) {
                const int childIndex = groundNodeIndex(layout, child);
                if (!isVisible(layout, child, bounds[childIndex], view))
                    continue;
                visible[visibleCount++] = childIndex;
                if (!resident[childIndex]) {
                    allResident = false;
                    if (index != eyeWaiting)
                        wanted.add(childIndex, error);
                }
            }
            const bool fits = selection.drawnCount + stackSize + visibleCount <= selection.drawnCapacity &&
                              stackSize + visibleCount <= kNodeStackCapacity;
            if (allResident && fits) {
                for (int i = visibleCount - 1; i >= 0; --i) // farthest pushed first, popped last
                    stack[stackSize++] = groundNodeAt(layout, visible[i]);
                continue;
            }
        }
        selection.drawn[selection.drawnCount++] = index;
        selection.largestScreenError = std::max(selection.largestScreenError, error);
    }
}
